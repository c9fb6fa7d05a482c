#pragma once
// A light daemon (olad) of the test's own: a fresh configuration folder with every output
// plugin off, its RPC port chosen free, no web server. olad refuses to run as root, so it
// runs as the olad user the package creates. Started, killed and started again by the test;
// the frames a universe holds are read back through the daemon's own client.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

class OlaDaemon {
public:
    // Configuration files to write before the start: file stem ("artnet", "port") → its
    // lines. Every known plugin not given is written disabled.
    using ConfigFiles = std::map<std::string, std::vector<std::string>>;

    // universe: the one patched to an output, so that olad keeps what is sent to it. port: its
    // RPC port; 0 picks a free one.
    explicit OlaDaemon(unsigned universe, ConfigFiles files = {}, std::uint16_t port = 0);
    ~OlaDaemon();
    OlaDaemon(const OlaDaemon&) = delete;
    OlaDaemon& operator=(const OlaDaemon&) = delete;

    // True when olad answers on its port within five seconds.
    [[nodiscard]] bool start();
    // SIGTERM is an orderly stop, SIGKILL a crash; either way it has gone on return.
    void stop(int signal = 15);

    std::uint16_t port() const { return port_; }
    bool usable() const { return !directory_.empty(); }

    // The universe's current frame (its 512 channels as olad holds them; channels never sent
    // read 0), or nothing when olad does not answer or knows no such universe.
    std::optional<std::vector<std::uint8_t>> fetch(unsigned universe) const;

private:
    std::string directory_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
std::uint16_t freeLoopbackPort();

} // namespace test_support
