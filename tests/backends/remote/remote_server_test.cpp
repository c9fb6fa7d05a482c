// The remote-control server on 127.0.0.1 with a free port, in front of a host that records the
// commands it gets: who gets in, what a request may name, what malformed input leads to, and
// the state pushed to the pages.

#include "http_exchange.h"

#include "backends/remote/remote_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <iostream>
#include <vector>

namespace remote::test {
namespace {

using Kind = ui::RemoteCommand::Kind;

QCoreApplication& qtApplication()
{
    static int argc = 1;
    static char name[] = "remote_server_test";
    static char* argv[] = { name, nullptr };
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

class RecordingHost final : public ui::RemoteHost {
public:
    std::string stateJson() override
    {
        return R"({"play":"playing","style":")" + style
            + R"(","title":"月光","played":3,)"
              R"("limitLeft":null,"trackLeft":95000,"nextStyle":"探戈","volume":80,)"
              R"("shows":["周六"]})";
    }
    std::int64_t now() override { return 123'456; }
    ui::RemoteAnswer run(const ui::RemoteCommand& command) override
    {
        commands.push_back(command);
        return answer;
    }

    std::string style = "慢四";
    ui::RemoteAnswer answer = ui::RemoteAnswer::done;
    std::vector<ui::RemoteCommand> commands;
};

class Server : public ::testing::Test {
protected:
    Server() { start(); }

    void start(bool marqueeNeedsPin = false)
    {
        (void)qtApplication();
        server = std::make_unique<RemoteServer>(host);
        ASSERT_EQ(server->start({ 0, false, "246810", marqueeNeedsPin }), std::nullopt);
        port = server->port();
        ASSERT_NE(port, 0);
    }
    QByteArray openSession(const QByteArray& pin = "246810")
    {
        const HttpAnswer answer
            = exchange(port, postJson("/api/session", R"({"pin":")" + pin + "\"}"));
        EXPECT_EQ(answer.status, 200) << answer.body.toStdString();
        return QJsonDocument::fromJson(answer.body).object().value("token").toString().toUtf8();
    }
    int command(const QByteArray& json, const QByteArray& token)
    {
        return exchange(port, postJson("/api/command", json, token)).status;
    }

    RecordingHost host;
    std::unique_ptr<RemoteServer> server;
    quint16 port = 0;
};

TEST_F(Server, ServesBothPagesAndNothingElse)
{
    for (const char* page :
        { "/", "/marquee", "/remote.js", "/marquee.js", "/session.js", "/pages.css" }) {
        const HttpAnswer answer = exchange(port, request("GET", page));
        EXPECT_EQ(answer.status, 200) << page;
        EXPECT_FALSE(answer.body.isEmpty()) << page;
    }
    EXPECT_TRUE(exchange(port, request("GET", "/")).headers.contains("text/html"));
    EXPECT_EQ(exchange(port, request("POST", "/")).status, 405);
}

TEST_F(Server, PathsThatClimbOrEncodeTheirWayOutAreNotFound)
{
    for (const char* path : { "/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/%2E%2E/remote.js",
             "/remote.js/../remote.html", "//etc/passwd", "/./remote.js", "/%2fetc%2fpasswd",
             "/..%2f..%2fetc%2fpasswd", "/remote.html", "/qrc:/remote/remote.html",
             "/:/remote/remote.html", "/marquee/", "/REMOTE.JS", "/remote.js%00" }) {
        const HttpAnswer answer = exchange(port, request("GET", path));
        EXPECT_GE(answer.status, 400) << path;
        EXPECT_LT(answer.status, 500) << path;
        EXPECT_FALSE(answer.body.contains("root:")) << path;
    }
}

TEST_F(Server, CommandsNeedTheCurrentSessionsTokenInTheHeader)
{
    const QByteArray next = R"({"action":"next"})";
    EXPECT_EQ(command(next, {}), 401);
    EXPECT_EQ(command(next, "0123456789abcdef0123456789abcdef"), 401);
    const QByteArray token = openSession();
    // A cookie is what a third-party page could make the browser send: it opens nothing.
    EXPECT_EQ(exchange(port,
                  request("POST", "/api/command", next, "Cookie: X-Remote-Token=" + token + "\r\n"))
                  .status,
        401);
    EXPECT_EQ(host.commands.size(), 0u);
    EXPECT_EQ(command(next, token), 200);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].kind, Kind::next);

    // An old token after a new session, and after a restart of the server, is refused.
    const QByteArray newer = openSession();
    EXPECT_EQ(command(next, token), 401);
    EXPECT_EQ(command(next, newer), 200);
    start();
    EXPECT_EQ(command(next, newer), 401);
    EXPECT_EQ(exchange(port, request("GET", "/api/state", {}, "X-Remote-Token: " + newer + "\r\n"))
                  .status,
        401);
    EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(Server, WrongPinsAreRefusedAndTheFifthLocksTheRightOneToo)
{
    for (const char* pin : { "000000", "24681", "2468100", "" })
        EXPECT_EQ(exchange(port, postJson("/api/session", R"({"pin":")" + QByteArray(pin) + "\"}"))
                      .status,
            403)
            << pin;
    EXPECT_EQ(exchange(port, postJson("/api/session", R"({"pin":"135791"})")).status, 429);
    const HttpAnswer locked = exchange(port, postJson("/api/session", R"({"pin":"246810"})"));
    EXPECT_EQ(locked.status, 429);
    EXPECT_TRUE(locked.body.contains("retryAfter"));
    EXPECT_EQ(exchange(port, postJson("/api/session", R"({"pin":246810})")).status, 400);
}

TEST_F(Server, EachCommandReachesTheHostAndItsAnswerBecomesTheStatus)
{
    const QByteArray token = openSession();
    EXPECT_EQ(command(R"({"action":"playPause"})", token), 200);
    EXPECT_EQ(command(R"({"action":"stop"})", token), 200);
    EXPECT_EQ(command(R"({"action":"previous"})", token), 200);
    EXPECT_EQ(command(R"({"action":"playSlot","slot":3})", token), 200);
    EXPECT_EQ(command(R"({"action":"loadShow","show":"周日"})", token), 200);
    ASSERT_EQ(host.commands.size(), 5u);
    EXPECT_EQ(host.commands[0].kind, Kind::playOrPause);
    EXPECT_EQ(host.commands[1].kind, Kind::stop);
    EXPECT_EQ(host.commands[2].kind, Kind::previous);
    EXPECT_EQ(host.commands[3].kind, Kind::playSlot);
    EXPECT_EQ(host.commands[3].slot, 3);
    EXPECT_EQ(host.commands[4].show, "周日");
    host.answer = ui::RemoteAnswer::busy;
    EXPECT_EQ(command(R"({"action":"next"})", token), 409);
    host.answer = ui::RemoteAnswer::unknown;
    EXPECT_EQ(command(R"({"action":"playSlot","slot":2})", token), 404);
}

TEST(RemoteServerDialogs, WhileADialogWaitsForTheOperatorCommandsAreBusyAndNotRun)
{
    (void)qtApplication();
    RecordingHost host;
    bool dialogOpen = true;
    RemoteServer server(host, [&] { return dialogOpen; });
    ASSERT_EQ(server.start({ 0, false, "246810", false }), std::nullopt);
    const HttpAnswer session
        = exchange(server.port(), postJson("/api/session", R"({"pin":"246810"})"));
    const QByteArray token
        = QJsonDocument::fromJson(session.body).object().value("token").toString().toUtf8();
    const QByteArray next = R"({"action":"next"})";
    EXPECT_EQ(exchange(server.port(), postJson("/api/command", next, token)).status, 409);
    EXPECT_TRUE(host.commands.empty());
    dialogOpen = false;
    EXPECT_EQ(exchange(server.port(), postJson("/api/command", next, token)).status, 200);
    EXPECT_EQ(host.commands.size(), 1u);
}

TEST_F(Server, AnOversizedBodyIsRefusedUnread)
{
    const QByteArray token = openSession();
    const QByteArray padded = R"({"action":"next","pad":")" + QByteArray(8000, 'x') + "\"}";
    EXPECT_EQ(command(padded, token), 413);
    EXPECT_EQ(
        exchange(port,
            postJson("/api/session", R"({"pin":"246810","pad":")" + QByteArray(8000, 'x') + "\"}"))
            .status,
        413);
    EXPECT_EQ(host.commands.size(), 0u);
}

TEST_F(Server, AConnectionSendingMoreThanARequestMayHoldIsDroppedUnanswered)
{
    const QByteArray token = openSession();
    const QByteArray huge = "POST /api/command HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Remote-Token: "
        + token + "\r\nContent-Length: 100000000\r\n\r\n" + QByteArray(1 << 20, 'x');
    EXPECT_EQ(exchange(port, huge).status, 0);
    const QByteArray headers
        = "GET / HTTP/1.1\r\nX-Padding: " + QByteArray(200'000, 'x') + "\r\n\r\n";
    EXPECT_EQ(exchange(port, headers).status, 0);
    EXPECT_EQ(host.commands.size(), 0u);
    // The server goes on answering, and a kept-alive connection counts each request anew: a
    // phone pressing buttons all evening sends far more than one request may hold.
    const QByteArray next = R"({"action":"next"})";
    const QByteArray padding = "X-Padding: " + QByteArray(3000, 'x') + "\r\n";
    const std::vector<HttpAnswer> answers = exchangeKeptAlive(port,
        std::vector<QByteArray>(40,
            request("POST", "/api/command", next,
                padding + "X-Remote-Token: " + token + "\r\nConnection: keep-alive\r\n")));
    for (const HttpAnswer& answer : answers)
        EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(host.commands.size(), 40u);
}

// Bodies, methods and paths of every kind of wrong, with a valid session: each one a 4xx, and
// the host never asked to do anything.
TEST_F(Server, AThousandMalformedRequestsAreAll4xxAndChangeNothing)
{
    const QByteArray token = openSession();
    const std::vector<QByteArray> bodies { "", "{", "[]", "null", "\"next\"", "{\"action\":1}",
        R"({"action":"NEXT"})", R"({"action":"next ")", R"({"action":"nextTrack"})",
        R"({"action":"playSlot"})", R"({"action":"playSlot","slot":"3"})",
        R"({"action":"playSlot","slot":0})", R"({"action":"playSlot","slot":-4})",
        R"({"action":"playSlot","slot":2.5})", R"({"action":"playSlot","slot":1e9})",
        R"({"action":"loadShow"})", R"({"action":"loadShow","show":""})",
        R"({"action":"loadShow","show":7})", R"({"action":["next"]})", "\x00\xff\xfe",
        R"({"action":"next")" };
    const std::vector<QByteArray> methods { "POST", "GET", "PUT", "DELETE" };
    const std::vector<QByteArray> paths { "/api/command", "/api/command/", "/api/Command",
        "/api/../api/command", "/api/%63ommand", "/api/session" };
    int sent = 0;
    for (int k = 0; sent < 1000; ++k) {
        const QByteArray& body = bodies[std::size_t(k) % bodies.size()];
        const QByteArray& method = methods[std::size_t(k / 3) % methods.size()];
        const QByteArray& path = paths[std::size_t(k / 7) % paths.size()];
        const HttpAnswer answer
            = exchange(port, request(method, path, body, "X-Remote-Token: " + token + "\r\n"));
        ++sent;
        ASSERT_GE(answer.status, 400) << method.data() << ' ' << path.data() << ' ' << body.data();
        ASSERT_LT(answer.status, 500) << method.data() << ' ' << path.data() << ' ' << body.data();
    }
    EXPECT_EQ(host.commands.size(), 0u);
}

// A WebSocket client on this thread, collecting what the server pushes.
struct PageClient {
    explicit PageClient(quint16 port, const QByteArray& path = "/ws")
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
            [this](const QString& message) { received.push_back(message.toUtf8()); });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        socket.open(QUrl("ws://127.0.0.1:" + QString::number(port) + path));
        for (int k = 0; k < 100 && socket.state() != QAbstractSocket::ConnectedState && !closed;
             ++k)
            spin(10);
    }
    // Waits up to a second for one more message than there were.
    bool awaitMessage()
    {
        const std::size_t had = received.size();
        for (int k = 0; k < 100 && received.size() == had && !closed; ++k)
            spin(10);
        return received.size() > had;
    }
    QWebSocket socket;
    std::vector<QByteArray> received;
    bool closed = false;
};

TEST_F(Server, ARemotePageWithTheTokenGetsTheStateAndEveryChange)
{
    PageClient page(port);
    page.socket.sendTextMessage(R"({"token":")" + QString::fromUtf8(openSession()) + "\"}");
    ASSERT_TRUE(page.awaitMessage());
    EXPECT_TRUE(page.received.back().contains("慢四"));
    host.style = "探戈";
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(page.awaitMessage());
    std::cout << "push after a change: " << waited.elapsed() << " ms\n";
    EXPECT_TRUE(page.received.back().contains("\"style\":\"探戈\""));
    // No change, no message.
    spin(300);
    EXPECT_EQ(page.received.size(), 2u);
}

TEST_F(Server, TheMarqueeNeedsNoPinUnlessAskedAndGetsOnlyWhatItShows)
{
    PageClient marquee(port);
    marquee.socket.sendTextMessage(R"({"marquee":true})");
    ASSERT_TRUE(marquee.awaitMessage());
    const QJsonObject state = QJsonDocument::fromJson(marquee.received.back()).object();
    EXPECT_EQ(state.value("style").toString(), QString::fromUtf8("慢四"));
    EXPECT_EQ(state.value("nextStyle").toString(), QString::fromUtf8("探戈"));
    EXPECT_EQ(state.value("trackLeft").toInteger(), 95'000) << "the time left without a limit";
    EXPECT_FALSE(state.contains("shows"));
    EXPECT_EQ(state.value("now").toInteger(), 123'456);
    EXPECT_FALSE(state.contains("volume"));

    start(true);
    PageClient locked(port);
    locked.socket.sendTextMessage(R"({"marquee":true})");
    ASSERT_TRUE(locked.awaitMessage());
    EXPECT_TRUE(locked.received.back().contains("session"));
    for (int k = 0; k < 50 && !locked.closed; ++k)
        spin(10);
    EXPECT_TRUE(locked.closed);
}

TEST_F(Server, APageThatSaysTheWrongThingOrTooMuchIsClosed)
{
    PageClient noToken(port);
    noToken.socket.sendTextMessage(R"({"token":"nothing"})");
    PageClient oversized(port);
    oversized.socket.sendTextMessage(QString(4000, 'x'));
    PageClient binary(port);
    binary.socket.sendBinaryMessage("\x01\x02");
    PageClient elsewhere(port, "/socket");
    for (int k = 0;
         k < 100 && !(noToken.closed && oversized.closed && binary.closed && elsewhere.closed); ++k)
        spin(10);
    EXPECT_TRUE(noToken.closed);
    EXPECT_TRUE(oversized.closed);
    EXPECT_TRUE(binary.closed);
    EXPECT_TRUE(elsewhere.closed);
    for (const PageClient* page : { &noToken, &oversized, &binary, &elsewhere })
        for (const QByteArray& message : page->received)
            EXPECT_FALSE(message.contains("慢四"));
}

TEST_F(Server, ANewSessionClosesThePagesOfTheOldOne)
{
    PageClient page(port);
    page.socket.sendTextMessage(R"({"token":")" + QString::fromUtf8(openSession()) + "\"}");
    ASSERT_TRUE(page.awaitMessage());
    (void)openSession();
    for (int k = 0; k < 100 && !page.closed; ++k)
        spin(10);
    EXPECT_TRUE(page.closed);
}

TEST(RemoteServerPort, APortInUseIsReportedNotIgnored)
{
    (void)qtApplication();
    RecordingHost host;
    RemoteServer first(host);
    ASSERT_EQ(first.start({ 0, false, "246810", false }), std::nullopt);
    RemoteServer second(host);
    const std::optional<std::string> problem
        = second.start({ first.port(), false, "246810", false });
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find(std::to_string(first.port())), std::string::npos);
}

} // namespace
} // namespace remote::test
