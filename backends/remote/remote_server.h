#pragma once
// The remote-control server on Qt's HTTP and WebSocket servers: the remote page and the
// marquee from compiled-in resources, the PIN that opens a session, the commands a session
// sends, and the state pushed to every open page. It lives on the thread that makes it, the
// interface thread, and calls the host there, between events like any other input.
//
// What a request may name is a fixed table: its path is compared whole, never joined to
// anything, so no request reaches the file system.

#include "backends/remote/session_guard.h"
#include "ui/remote_control.h"

#include <QByteArray>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QHttpServerRequest;
class QTcpSocket;
class QHttpServerResponder;
class QWebSocket;

namespace remote {

class PageServer;

class RemoteServer final : public ui::RemoteServer {
public:
    static constexpr qsizetype bodyLimit = 4096;
    // Headers and body of one request: more closes the connection unanswered.
    static constexpr qint64 requestLimit = 64 * 1024;
    static constexpr qsizetype messageLimit = 1024;
    static constexpr int pageLimit = 200; // open WebSockets
    static constexpr int pushIntervalMillis = 100; // how often a change is looked for
    static constexpr int helloTimeoutMillis = 10'000;

    // modalDialogOpen: whether the computer shows a dialog that waits for the operator; a
    // command then is refused as busy, as a click on the window would go nowhere.
    explicit RemoteServer(ui::RemoteHost& host, std::function<bool()> modalDialogOpen = {});
    ~RemoteServer() override;

    [[nodiscard]] std::optional<std::string> start(
        const ui::RemoteServerSettings& settings) override;
    // Where it listens; 0 before a start.
    [[nodiscard]] quint16 port() const { return port_; }

private:
    struct Page {
        QWebSocket* socket;
        bool marquee;
        bool greeted = false; // its hello was accepted: it receives the state
    };

    void answer(const QHttpServerRequest& request, QHttpServerResponder& responder);
    void openSession(const QHttpServerRequest& request, QHttpServerResponder& responder);
    void runCommand(const QHttpServerRequest& request, QHttpServerResponder& responder);
    [[nodiscard]] bool hasSession(const QHttpServerRequest& request) const;

    void acceptPages();
    void greet(QWebSocket* socket, const QString& message);
    void dropPage(QWebSocket* socket);
    // Closes the pages of the session a new one replaced.
    void closeRemotePages();
    void pushIfChanged();
    void send(Page& page);

    ui::RemoteHost& host_;
    std::function<bool()> modalDialogOpen_;
    std::unique_ptr<PageServer> http_;
    std::optional<SessionGuard> sessions_;
    bool marqueeNeedsPin_ = false;
    quint16 port_ = 0;
    std::vector<Page> pages_;
    QTimer pushTimer_;
    QByteArray lastState_; // as last sent
    QByteArray lastMarquee_;
};

// The marquee's share of the state: what it shows and nothing of the show lists.
[[nodiscard]] QByteArray marqueeState(const QByteArray& stateJson);

// Counts what a connection sends from now, the start of its next request.
void startCounting(QTcpSocket* socket);

} // namespace remote
