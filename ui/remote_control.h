#pragma once
// What a remote-control server (a web page on a phone, a marquee on a hall screen) asks of the
// application: the state it shows and the commands it forwards. The application implements
// it; a server backend calls it on the interface thread only. Not a transport: nothing here
// knows of HTTP, sessions or PINs.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

struct RemoteCommand {
    enum class Kind { playOrPause, stop, previous, next, playSlot, loadShow };
    Kind kind = Kind::playOrPause;
    std::int32_t slot = 0; // playSlot: the slot's number in the current show, from 1
    std::string show; // loadShow: the saved show's name, UTF-8
};

enum class RemoteAnswer {
    done, // passed to the window as its own input
    busy, // the window takes no input now (a dialog is open): nothing happened
    unknown, // no such slot with a track, or no such saved show: nothing happened
};

class RemoteHost {
public:
    virtual ~RemoteHost() = default;
    // The state the pages show, as one UTF-8 JSON object. Times that pass by themselves are
    // moments on the clock of now(), so the text changes only when something else does.
    [[nodiscard]] virtual std::string stateJson() = 0;
    // The clock the state's moments are on, in milliseconds; sent with every message.
    [[nodiscard]] virtual std::int64_t now() = 0;
    [[nodiscard]] virtual RemoteAnswer run(const RemoteCommand& command) = 0;
};

// How a server listens and whom it lets in.
struct RemoteServerSettings {
    std::uint16_t port = 8080; // 0: any free port (tests)
    bool allowLan = false; // else the local host only
    std::string pin; // six digits; entering it opens a session
    bool marqueeNeedsPin = false;
};

// A running server; it stops when destroyed.
class RemoteServer {
public:
    virtual ~RemoteServer() = default;
    // Starts listening; why it could not (the port is taken, say), or nothing.
    [[nodiscard]] virtual std::optional<std::string> start(const RemoteServerSettings& settings)
        = 0;
};

// Makes a server that serves the host; the host outlives it.
using RemoteServerFactory = std::function<std::unique_ptr<RemoteServer>(RemoteHost& host)>;

} // namespace ui
