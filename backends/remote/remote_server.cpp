#include "backends/remote/remote_server.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <algorithm>
#include <array>
#include <functional>

namespace remote {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

// QAbstractHttpServer with every request but a WebSocket upgrade handed to one function: the routes
// are ours, so no rule of a router can widen what a path matches.
class PageServer final : public QAbstractHttpServer {
public:
    using Handler = std::function<void(const QHttpServerRequest&, QHttpServerResponder&)>;
    explicit PageServer(Handler handler)
        : handler_(std::move(handler))
    {
    }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        startCounting(socket);
        // Taken without an answer, an upgrade goes on to the WebSocket server, which hands the
        // page over; which pages stay is acceptPages' to say.
        if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
            return true;
        QHttpServerResponder responder = makeResponder(request, socket);
        handler_(request, responder);
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override { }

private:
    Handler handler_;
};

namespace {

constexpr char bytesSinceRequest[] = "remoteBytesSinceRequest";

} // namespace

void startCounting(QTcpSocket* socket)
{
    socket->setProperty(bytesSinceRequest, qint64(0));
}

// Qt's server reads a whole request into memory before it hands it over, whatever its length:
// this listener watches each connection first and drops one that sends more than a request
// may hold before the server took the last one.
class BoundedListener final : public QTcpServer {
protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        startCounting(socket);
        // Connected before the server's own reader, so it sees each arrival first.
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            const qint64 bytes
                = socket->property(bytesSinceRequest).toLongLong() + socket->bytesAvailable();
            socket->setProperty(bytesSinceRequest, bytes);
            if (bytes > RemoteServer::requestLimit)
                socket->abort();
        });
        addPendingConnection(socket);
    }
};

namespace {

constexpr char tokenHeader[] = "X-Remote-Token";
constexpr char jsonType[] = "application/json";

struct StaticFile {
    const char* path; // as requested, whole
    const char* resource;
    const char* type;
};

constexpr std::array staticFiles {
    StaticFile { "/", ":/remote/remote.html", "text/html; charset=utf-8" },
    StaticFile { "/marquee", ":/remote/marquee.html", "text/html; charset=utf-8" },
    StaticFile { "/pages.css", ":/remote/pages.css", "text/css; charset=utf-8" },
    StaticFile { "/session.js", ":/remote/session.js", "text/javascript; charset=utf-8" },
    StaticFile { "/remote.js", ":/remote/remote.js", "text/javascript; charset=utf-8" },
    StaticFile { "/marquee.js", ":/remote/marquee.js", "text/javascript; charset=utf-8" },
};

void reply(QHttpServerResponder& responder, Status status, const QByteArray& json)
{
    responder.write(
        json, { { "Content-Type", jsonType }, { "Cache-Control", "no-store" } }, status);
}

void refuse(QHttpServerResponder& responder, Status status, const char* why)
{
    reply(responder, status, QByteArray("{\"error\":\"") + why + "\"}");
}

// A JSON object, or nothing for anything else.
std::optional<QJsonObject> objectOf(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<ui::RemoteCommand> commandOf(const QJsonObject& body)
{
    using Kind = ui::RemoteCommand::Kind;
    const QString action = body.value("action").toString();
    static const std::array<std::pair<const char*, Kind>, 4> plain { {
        { "playPause", Kind::playOrPause },
        { "stop", Kind::stop },
        { "previous", Kind::previous },
        { "next", Kind::next },
    } };
    for (const auto& [name, kind] : plain)
        if (action == QLatin1String(name))
            return ui::RemoteCommand { kind, 0, {} };
    if (action == QLatin1String("playSlot")) {
        const QJsonValue slot = body.value("slot");
        const double number = slot.toDouble(-1);
        if (!slot.isDouble() || number < 1 || number > 100'000 || number != int(number))
            return std::nullopt;
        return ui::RemoteCommand { Kind::playSlot, int(number), {} };
    }
    if (action == QLatin1String("loadShow") && body.value("show").isString()) {
        const QString show = body.value("show").toString();
        if (show.isEmpty() || show.size() > 255)
            return std::nullopt;
        return ui::RemoteCommand { Kind::loadShow, 0, show.toStdString() };
    }
    return std::nullopt;
}

} // namespace

RemoteServer::RemoteServer(ui::RemoteHost& host, std::function<bool()> modalDialogOpen)
    : host_(host)
    , modalDialogOpen_(std::move(modalDialogOpen))
{
    pushTimer_.setInterval(pushIntervalMillis);
    QObject::connect(&pushTimer_, &QTimer::timeout, [this] { pushIfChanged(); });
}

RemoteServer::~RemoteServer()
{
    pushTimer_.stop();
    // Unhooked first: a socket going emits disconnected, which would drop it from pages_
    // while this loop walks it.
    for (Page& page : pages_) {
        page.socket->disconnect();
        delete page.socket;
    }
}

std::optional<std::string> RemoteServer::start(const ui::RemoteServerSettings& settings)
{
    port_ = 0;
    sessions_.emplace(settings.pin, randomToken);
    marqueeNeedsPin_ = settings.marqueeNeedsPin;
    http_ = std::make_unique<PageServer>(
        [this](const QHttpServerRequest& request, QHttpServerResponder& responder) {
            answer(request, responder);
        });
    QObject::connect(
        http_.get(), &QAbstractHttpServer::newWebSocketConnection, [this] { acceptPages(); });
    const QHostAddress address = settings.allowLan ? QHostAddress::Any : QHostAddress::LocalHost;
    auto listener = std::make_unique<BoundedListener>();
    if (listener->listen(address, settings.port)) {
        port_ = listener->serverPort();
        http_->bind(listener.release()); // the server takes it
    }
    if (port_ == 0) {
        http_.reset();
        return "端口 " + std::to_string(settings.port) + " 无法监听（可能已被占用）";
    }
    return std::nullopt;
}

void RemoteServer::answer(const QHttpServerRequest& request, QHttpServerResponder& responder)
{
    if (request.body().size() > bodyLimit)
        return refuse(responder, Status::PayloadTooLarge, "too large");
    const QString path = request.url().path(QUrl::FullyEncoded);
    if (path == QLatin1String("/api/session")) {
        if (request.method() != Method::Post)
            return refuse(responder, Status::MethodNotAllowed, "method");
        return openSession(request, responder);
    }
    if (path == QLatin1String("/api/command")) {
        if (request.method() != Method::Post)
            return refuse(responder, Status::MethodNotAllowed, "method");
        return runCommand(request, responder);
    }
    if (path == QLatin1String("/api/state")) {
        if (request.method() != Method::Get)
            return refuse(responder, Status::MethodNotAllowed, "method");
        if (!hasSession(request))
            return refuse(responder, Status::Unauthorized, "session");
        return reply(responder, Status::Ok, QByteArray::fromStdString(host_.stateJson()));
    }
    const auto file = std::find_if(staticFiles.begin(), staticFiles.end(),
        [&](const StaticFile& entry) { return path == QLatin1String(entry.path); });
    if (file == staticFiles.end())
        return refuse(responder, Status::NotFound, "not found");
    if (request.method() != Method::Get)
        return refuse(responder, Status::MethodNotAllowed, "method");
    QFile resource(file->resource);
    if (!resource.open(QIODevice::ReadOnly))
        return refuse(responder, Status::InternalServerError, "resource");
    responder.write(resource.readAll(),
        { { "Content-Type", file->type }, { "Cache-Control", "no-store" },
            { "X-Frame-Options", "DENY" }, { "X-Content-Type-Options", "nosniff" } });
}

void RemoteServer::openSession(const QHttpServerRequest& request, QHttpServerResponder& responder)
{
    const std::optional<QJsonObject> body = objectOf(request.body());
    if (!body || !body->value("pin").isString())
        return refuse(responder, Status::BadRequest, "malformed");
    const SessionGuard::Attempt attempt = sessions_->open(
        body->value("pin").toString().toStdString(), std::chrono::steady_clock::now());
    switch (attempt.outcome) {
    case SessionGuard::Outcome::opened:
        closeRemotePages();
        return reply(
            responder, Status::Ok, QByteArray("{\"token\":\"") + attempt.token.c_str() + "\"}");
    case SessionGuard::Outcome::wrongPin:
        return refuse(responder, Status::Forbidden, "wrong pin");
    case SessionGuard::Outcome::locked:
        return reply(responder, Status::TooManyRequests,
            "{\"error\":\"locked\",\"retryAfter\":"
                + QByteArray::number(qint64(attempt.retryAfter.count())) + "}");
    }
}

bool RemoteServer::hasSession(const QHttpServerRequest& request) const
{
    return sessions_->admits(request.value(tokenHeader).toStdString());
}

void RemoteServer::runCommand(const QHttpServerRequest& request, QHttpServerResponder& responder)
{
    if (!hasSession(request))
        return refuse(responder, Status::Unauthorized, "session");
    const std::optional<QJsonObject> body = objectOf(request.body());
    const std::optional<ui::RemoteCommand> command = body ? commandOf(*body) : std::nullopt;
    if (!command)
        return refuse(responder, Status::BadRequest, "malformed");
    // A question on the computer runs its own event loop, which answers this request: a
    // command acting under it would change what the question is about.
    if (modalDialogOpen_ && modalDialogOpen_())
        return refuse(responder, Status::Conflict, "busy");
    switch (host_.run(*command)) {
    case ui::RemoteAnswer::done:
        pushIfChanged();
        return reply(responder, Status::Ok, "{\"answer\":\"done\"}");
    case ui::RemoteAnswer::busy:
        return refuse(responder, Status::Conflict, "busy");
    case ui::RemoteAnswer::unknown:
        return refuse(responder, Status::NotFound, "unknown");
    }
}

void RemoteServer::acceptPages()
{
    while (http_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = http_->nextPendingWebSocketConnection();
        if (!socket)
            continue;
        const QString path = socket->requestUrl().path(QUrl::FullyEncoded);
        if (int(pages_.size()) >= pageLimit || path != QLatin1String("/ws")) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
            socket.release()->deleteLater();
            continue;
        }
        QWebSocket* page = socket.release();
        page->setMaxAllowedIncomingFrameSize(messageLimit);
        page->setMaxAllowedIncomingMessageSize(messageLimit);
        pages_.push_back({ page, false });
        QObject::connect(page, &QWebSocket::textMessageReceived,
            [this, page](const QString& message) { greet(page, message); });
        QObject::connect(
            page, &QWebSocket::binaryMessageReceived, [this, page] { dropPage(page); });
        QObject::connect(page, &QWebSocket::disconnected, [this, page] { dropPage(page); });
        // A page that never says who it is holds a place for nothing.
        QTimer::singleShot(helloTimeoutMillis, page, [this, page] {
            const auto found = std::find_if(
                pages_.begin(), pages_.end(), [page](const Page& p) { return p.socket == page; });
            if (found != pages_.end() && !found->greeted)
                dropPage(page);
        });
    }
}

// The first message says what the page is: {"token": …} for the remote, {"marquee": true}
// (with the token when the marquee needs the PIN) for the marquee. Anything else, or a
// second message, closes it.
void RemoteServer::greet(QWebSocket* socket, const QString& message)
{
    const auto page = std::find_if(
        pages_.begin(), pages_.end(), [socket](const Page& p) { return p.socket == socket; });
    if (page == pages_.end())
        return;
    const std::optional<QJsonObject> hello = objectOf(message.toUtf8());
    const bool marquee = hello && hello->value("marquee").toBool(false);
    const bool session = hello && sessions_->admits(hello->value("token").toString().toStdString());
    if (page->greeted || !hello || !(session || (marquee && !marqueeNeedsPin_))) {
        socket->sendTextMessage(QStringLiteral("{\"error\":\"session\"}"));
        return dropPage(socket);
    }
    page->greeted = true;
    page->marquee = marquee;
    if (lastState_.isEmpty()) {
        lastState_ = QByteArray::fromStdString(host_.stateJson());
        lastMarquee_ = marqueeState(lastState_);
    }
    send(*page);
    pushTimer_.start();
}

void RemoteServer::dropPage(QWebSocket* socket)
{
    const auto page = std::find_if(
        pages_.begin(), pages_.end(), [socket](const Page& p) { return p.socket == socket; });
    if (page == pages_.end())
        return;
    pages_.erase(page);
    socket->disconnect();
    socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
    socket->deleteLater();
    if (std::none_of(pages_.begin(), pages_.end(), [](const Page& p) { return p.greeted; })) {
        pushTimer_.stop();
        lastState_.clear();
    }
}

void RemoteServer::closeRemotePages()
{
    std::vector<QWebSocket*> replaced;
    for (const Page& page : pages_)
        if (page.greeted && (!page.marquee || marqueeNeedsPin_))
            replaced.push_back(page.socket);
    for (QWebSocket* socket : replaced)
        dropPage(socket);
}

void RemoteServer::pushIfChanged()
{
    if (!pushTimer_.isActive())
        return;
    QByteArray state = QByteArray::fromStdString(host_.stateJson());
    if (state == lastState_)
        return;
    QByteArray marquee = marqueeState(state);
    const bool marqueeChanged = marquee != lastMarquee_;
    lastState_ = std::move(state);
    lastMarquee_ = std::move(marquee);
    for (Page& page : pages_)
        if (page.greeted && (!page.marquee || marqueeChanged))
            send(page);
}

void RemoteServer::send(Page& page)
{
    const QByteArray& state = page.marquee ? lastMarquee_ : lastState_;
    // The clock's time goes in front, for the page to count the passing times on from.
    QByteArray message = "{\"now\":" + QByteArray::number(qint64(host_.now()));
    if (state.size() > 2)
        message += "," + state.mid(1);
    else
        message += "}";
    // QString::fromUtf8 turns a byte no text could hold into U+FFFD: a WebSocket text
    // message must be valid UTF-8.
    page.socket->sendTextMessage(QString::fromUtf8(message));
}

QByteArray marqueeState(const QByteArray& stateJson)
{
    const std::optional<QJsonObject> state = objectOf(stateJson);
    if (!state)
        return "{}";
    QJsonObject marquee;
    for (const char* key : { "play", "style", "title", "played", "playedFrom", "limitLeft",
             "limitAt", "trackLeft", "trackEndsAt", "nextStyle" })
        marquee.insert(QLatin1String(key), state->value(QLatin1String(key)));
    return QJsonDocument(marquee).toJson(QJsonDocument::Compact);
}

} // namespace remote
