#pragma once
// Raw HTTP and WebSocket exchanges with a server on this thread: the test's own event loop
// runs until the answer is whole, so the server answers in between. Requests go out byte for
// byte as written, so a path like /../ reaches the server unchanged.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace remote::test {

struct HttpAnswer {
    int status = 0; // 0: no answer before the connection closed or the time ran out
    QByteArray headers;
    QByteArray body;
};

[[nodiscard]] HttpAnswer exchange(quint16 port, const QByteArray& request);
// Several requests one after the other on one kept-alive connection.
[[nodiscard]] std::vector<HttpAnswer> exchangeKeptAlive(
    quint16 port, const std::vector<QByteArray>& requests);
// A request with the usual headers, a body and its length.
[[nodiscard]] QByteArray request(const QByteArray& method, const QByteArray& path,
    const QByteArray& body = {}, const QByteArray& extraHeaders = {});
[[nodiscard]] QByteArray postJson(
    const QByteArray& path, const QByteArray& json, const QByteArray& token = {});
// Runs the event loop for about that long.
void spin(int millis);

} // namespace remote::test
