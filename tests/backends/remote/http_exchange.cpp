#include "http_exchange.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace remote::test {
namespace {

constexpr int answerTimeoutMillis = 5000;

// The answer once its headers and as much body as they announce have arrived.
std::optional<HttpAnswer> parse(const QByteArray& received)
{
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    HttpAnswer answer;
    answer.headers = received.left(end);
    const QList<QByteArray> statusLine = answer.headers.split('\n').first().split(' ');
    answer.status = statusLine.size() >= 2 ? statusLine[1].toInt() : -1;
    qsizetype length = 0;
    for (const QByteArray& line : answer.headers.split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    answer.body = received.mid(end + 4);
    if (answer.body.size() < length)
        return std::nullopt;
    return answer;
}

} // namespace

HttpAnswer exchange(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray received;
    std::optional<HttpAnswer> answer;
    QObject::connect(&socket, &QTcpSocket::connected, [&] { socket.write(request); });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        received += socket.readAll();
        answer = parse(received);
        if (answer)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(answerTimeoutMillis, &loop, &QEventLoop::quit);
    socket.connectToHost(QHostAddress::LocalHost, port);
    loop.exec();
    return answer.value_or(HttpAnswer {});
}

std::vector<HttpAnswer> exchangeKeptAlive(quint16 port, const std::vector<QByteArray>& requests)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    std::vector<HttpAnswer> answers;
    for (const QByteArray& one : requests) {
        QEventLoop loop;
        QByteArray received;
        std::optional<HttpAnswer> answer;
        auto reading = QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
            received += socket.readAll();
            answer = parse(received);
            if (answer)
                loop.quit();
        });
        auto closing
            = QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        QTimer::singleShot(answerTimeoutMillis, &loop, &QEventLoop::quit);
        socket.write(one);
        loop.exec();
        QObject::disconnect(reading);
        QObject::disconnect(closing);
        answers.push_back(answer.value_or(HttpAnswer {}));
    }
    return answers;
}

QByteArray request(const QByteArray& method, const QByteArray& path, const QByteArray& body,
    const QByteArray& extraHeaders)
{
    return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray postJson(const QByteArray& path, const QByteArray& json, const QByteArray& token)
{
    QByteArray headers = "Content-Type: application/json\r\n";
    if (!token.isEmpty())
        headers += "X-Remote-Token: " + token + "\r\n";
    return request("POST", path, json, headers);
}

void spin(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace remote::test
