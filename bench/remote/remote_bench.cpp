// The remote-control server of the real program (offscreen, a scratch hall) with 50 pages
// connected over WebSocket: the time from a command that changes the track to each page
// receiving the new state, and the program's CPU over 10 s with the pages idle, beside the
// same 10 s with no page connected; then the same two while a track plays.
//   scripts/with-test-env build/bench/remote/remote_bench build/dist/dancehall build/dist
//       build/tools/recdb/recdb tests/data/media/cbr_stereo_44k.mp3 [CHANGES]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

constexpr int pageCount = 50;
constexpr int restSeconds = 10;
constexpr char pin[] = "135790";

void spin(int millis)
{
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()>& done, int millis)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > millis)
            return false;
        spin(5);
    }
    return true;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A hall with three slots of long tracks and the remote switched on.
bool prepareHall(const QString& hall, const QString& dist, const QString& recdb,
    const QString& track, quint16 port)
{
    for (const char* name : { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat" })
        if (!QFile::copy(dist + "/" + name, hall + "/" + name))
            return false;
    QDir(hall).mkdir("lb");
    QFile source(track);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = source.readAll();
    const char* showSlots[][3]
        = { { "1", "慢四", "月光" }, { "2", "探戈", "晚风" }, { "3", "华尔兹", "远方" } };
    for (const auto& slot : showSlots) {
        const QString path = hall + "/track" + slot[0] + ".mp3";
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly))
            return false;
        for (int k = 0; k < 40; ++k)
            copy.write(data);
        copy.close();
        if (QProcess::execute(recdb,
                { "append", hall + "/dqqf.dat", slot[0], QString::fromUtf8(slot[1]),
                    QString::fromUtf8(slot[2]), path })
            != 0)
            return false;
    }
    std::ofstream(QString(hall + "/remote.ini").toStdString())
        << "[remote]\nenabled=1\nport=" << port << "\npin=" << pin << "\n";
    return true;
}

// User and system time of a process, in clock ticks.
long cpuTicks(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int k = 3; k <= 15 && fields >> field; ++k) {
        if (k == 14)
            utime = std::stol(field);
        if (k == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

double cpuPercentOver(qint64 pid, int seconds)
{
    const long before = cpuTicks(pid);
    spin(seconds * 1000);
    return 100.0 * double(cpuTicks(pid) - before) / double(sysconf(_SC_CLK_TCK) * seconds);
}

QByteArray post(QNetworkAccessManager& network, const QUrl& url, const QByteArray& body,
    const QByteArray& token = {})
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!token.isEmpty())
        request.setRawHeader("X-Remote-Token", token);
    std::unique_ptr<QNetworkReply> reply(network.post(request, body));
    waitFor([&] { return reply->isFinished(); }, 5000);
    return reply->readAll();
}

struct Page {
    QWebSocket socket;
    QString title;
    qint64 changedAt = -1; // when the title last changed, on the bench's timer
    int messages = 0;
};

double percentile(std::vector<qint64> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = std::size_t(p * double(values.size() - 1) + 0.5);
    return double(values[std::min(at, values.size() - 1)]);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication qt(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: remote_bench PROGRAM DIST RECDB TRACK [CHANGES]\n");
        return 2;
    }
    const int changes = argc > 5 ? std::max(1, std::atoi(argv[5])) : 20;
    QTemporaryDir hall;
    const quint16 port = freePort();
    if (!prepareHall(hall.path(), argv[2], argv[3], argv[4], port)) {
        std::fprintf(stderr, "cannot prepare the hall\n");
        return 1;
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", hall.path());
    program.setProcessEnvironment(environment);
    program.start(argv[1], { "--data", hall.path(), "--no-resume" });
    const QString base = "http://127.0.0.1:" + QString::number(port);
    const bool up = waitFor(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(100);
        },
        20'000);
    if (!up) {
        std::fprintf(stderr, "the program did not listen on %u\n", port);
        return 1;
    }

    const double alone = cpuPercentOver(program.processId(), restSeconds);

    QNetworkAccessManager network;
    const QByteArray token = QJsonDocument::fromJson(
        post(network, QUrl(base + "/api/session"), QByteArray("{\"pin\":\"") + pin + "\"}"))
                                 .object()
                                 .value("token")
                                 .toString()
                                 .toUtf8();
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<Page>> pages;
    for (int k = 0; k < pageCount; ++k) {
        auto page = std::make_unique<Page>();
        Page* p = page.get();
        QObject::connect(&p->socket, &QWebSocket::connected, [p, &token] {
            p->socket.sendTextMessage("{\"token\":\"" + QString::fromUtf8(token) + "\"}");
        });
        QObject::connect(
            &p->socket, &QWebSocket::textMessageReceived, [p, &clock](const QString& m) {
                ++p->messages;
                const QString title
                    = QJsonDocument::fromJson(m.toUtf8()).object().value("title").toString();
                if (title != p->title) {
                    p->title = title;
                    p->changedAt = clock.elapsed();
                }
            });
        p->socket.open(QUrl("ws://127.0.0.1:" + QString::number(port) + "/ws"));
        pages.push_back(std::move(page));
    }
    const bool greeted = waitFor(
        [&] {
            return std::all_of(
                pages.begin(), pages.end(), [](const auto& p) { return p->messages > 0; });
        },
        10'000);
    if (!greeted) {
        std::fprintf(stderr, "not every page received the state\n");
        return 1;
    }

    const double idle = cpuPercentOver(program.processId(), restSeconds);

    std::vector<qint64> latencies;
    int missed = 0;
    for (int change = 0; change < changes; ++change) {
        const QString before = pages.front()->title;
        const qint64 sent = clock.elapsed();
        (void)post(network, QUrl(base + "/api/command"), "{\"action\":\"next\"}", token);
        waitFor(
            [&] {
                return std::all_of(
                    pages.begin(), pages.end(), [&](const auto& p) { return p->title != before; });
            },
            2000);
        for (const auto& page : pages) {
            if (page->title != before)
                latencies.push_back(page->changedAt - sent);
            else
                ++missed;
        }
        spin(300);
    }
    // Playing, the state changes every second (the time played), so every page gets a push.
    // A track just started decodes ahead faster for a moment; let that pass first.
    spin(3000);
    const int messagesBefore = pages.front()->messages;
    const double playingWithPages = cpuPercentOver(program.processId(), restSeconds);
    const int messagesPlaying = pages.front()->messages - messagesBefore;
    for (auto& page : pages)
        page->socket.close();
    spin(500);
    const double playingAlone = cpuPercentOver(program.processId(), restSeconds);
    program.kill();
    program.waitForFinished();

    std::printf("remote control, %d pages over WebSocket, %d track changes\n", pageCount, changes);
    std::printf("  command to new state at a page: p50 %.0f ms, p99 %.0f ms, max %.0f ms "
                "(target: p99 under 200 ms)%s\n",
        percentile(latencies, 0.5), percentile(latencies, 0.99), percentile(latencies, 1.0),
        missed ? " — some pages missed a change" : "");
    if (missed)
        std::printf("  missed: %d of %d\n", missed, changes * pageCount);
    std::printf("  program CPU over %d s, stopped: %.2f %% with no page, %.2f %% with %d idle "
                "pages (target: under 1 %%)\n",
        restSeconds, alone, idle, pageCount);
    std::printf("  program CPU over %d s, playing: %.2f %% with no page, %.2f %% with %d pages "
                "(%d messages to each)\n",
        restSeconds, playingAlone, playingWithPages, pageCount, messagesPlaying);
    return 0;
}
