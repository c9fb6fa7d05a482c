#include "ola_daemon.h"

#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace test_support {
namespace {

// The plugins olad 0.10 loads; each one left enabled would probe hardware or open sockets.
constexpr const char* knownPlugins[] = { "artnet", "dummy", "e131", "espnet", "ftdidmx", "gpio",
    "karate", "kinet", "milinst", "opendmx", "openpixelcontrol", "osc", "pathport", "renard",
    "sandnet", "shownet", "spi", "stageprofi", "uartdmx", "usbdmx", "usbserial" };

bool answers(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// Collects the one answer to FetchDMX, then stops the select loop.
struct FetchAnswer {
    ola::io::SelectServer* loop;
    std::optional<std::vector<std::uint8_t>> frame;

    void received(const ola::client::Result& result, const ola::client::DMXMetadata&,
        const ola::DmxBuffer& buffer)
    {
        if (result.Success()) {
            std::vector<std::uint8_t> channels(512, 0);
            for (unsigned i = 0; i < buffer.Size() && i < channels.size(); ++i)
                channels[i] = buffer.Get(i);
            frame = std::move(channels);
        }
        loop->Terminate();
    }
};

} // namespace

std::uint16_t freeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

OlaDaemon::OlaDaemon(unsigned universe, ConfigFiles files, std::uint16_t port)
    : directory_(std::filesystem::temp_directory_path().string() + "/olad-XXXXXX")
    , port_(port != 0 ? port : freeLoopbackPort())
{
    const passwd* user = getpwnam("olad");
    if (!user || !mkdtemp(directory_.data())) {
        directory_.clear();
        return;
    }
    // olad drops frames for a universe no port is patched to: the first dummy device's output
    // port holds it.
    files.try_emplace("dummy",
        std::vector<std::string> { "enabled = true", "dummy_device_count = 1", "dimmer_count = 0",
            "moving_light_count = 0", "sensor_device_count = 0", "network_device_count = 0",
            "advanced_dimmer_count = 0", "ack_timer_count = 0" });
    files["port"].push_back("1-1-O-0 = " + std::to_string(universe));
    for (const char* plugin : knownPlugins)
        files.try_emplace(plugin, std::vector<std::string> { "enabled = false" });
    for (const auto& [stem, lines] : files) {
        std::ofstream file(directory_ + "/ola-" + stem + ".conf");
        for (const std::string& line : lines)
            file << line << '\n';
    }
    // olad writes its settings back into the folder as its own user.
    for (const auto& entry : std::filesystem::directory_iterator(directory_))
        if (chown(entry.path().c_str(), user->pw_uid, user->pw_gid) != 0)
            directory_.clear();
    if (!directory_.empty()
        && (chown(directory_.c_str(), user->pw_uid, user->pw_gid) != 0
            || chmod(directory_.c_str(), 0755) != 0))
        directory_.clear();
}

OlaDaemon::~OlaDaemon()
{
    stop(SIGKILL);
    if (!directory_.empty())
        std::filesystem::remove_all(directory_);
}

bool OlaDaemon::start()
{
    if (directory_.empty())
        return false;
    const std::string port = std::to_string(port_);
    pid_ = fork();
    if (pid_ == 0) {
        // A test that crashes takes its daemon with it: runuser passes the SIGTERM on.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        // Its log goes nowhere: a test reads what olad holds, not what it says.
        freopen("/dev/null", "w", stderr);
        execlp("runuser", "runuser", "-u", "olad", "--", "olad", "-c", directory_.c_str(),
            "--no-http", "-r", port.c_str(), "-l", "1", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (answers(port_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void OlaDaemon::stop(int signal)
{
    if (pid_ <= 0)
        return;
    // runuser cannot pass SIGKILL on: the daemon itself is signalled, found as runuser's only
    // child.
    const std::string children
        = "/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/children";
    pid_t daemon = -1;
    std::ifstream(children) >> daemon;
    // runuser then sees its child end, reaps it and ends itself.
    if (daemon > 0)
        kill(daemon, signal);
    else
        kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (answers(port_) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

std::optional<std::vector<std::uint8_t>> OlaDaemon::fetch(unsigned universe) const
{
    std::unique_ptr<ola::network::TCPSocket> socket(ola::network::TCPSocket::Connect(
        ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port_)));
    if (!socket)
        return std::nullopt;
    ola::io::SelectServer loop;
    ola::client::OlaClient client(socket.get());
    if (!client.Setup())
        return std::nullopt;
    loop.AddReadDescriptor(socket.get());
    FetchAnswer answer { &loop, std::nullopt };
    client.FetchDMX(universe, ola::NewSingleCallback(&answer, &FetchAnswer::received));
    loop.RegisterSingleTimeout(
        2000, ola::NewSingleCallback(&loop, &ola::io::SelectServer::Terminate));
    loop.Run();
    loop.RemoveReadDescriptor(socket.get());
    client.Stop();
    return answer.frame;
}

} // namespace test_support
