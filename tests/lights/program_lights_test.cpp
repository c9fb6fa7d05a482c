// The real program with lamps on a DMX bus and a real olad on its usual port: the program
// loads its OLA module from beside its folder and the lamps' levels reach the universe.

#include "ola_daemon.h"

#include "backends/ola/ola_entry.h"
#include "lights/light_settings.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint8_t offLevel = 7;
constexpr std::uint8_t onLevel = 200;

bool loopbackPortFree(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool free = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return free;
}

// A hall seeded from the shipped defaults, with the lamps on universe 1.
fs::path prepareHall(const fs::path& root)
{
    const fs::path hall = root / "hall";
    fs::create_directories(hall);
    for (const fs::directory_entry& entry : fs::directory_iterator(DANCEHALL_DIST))
        if (entry.path().filename() != "dancehall")
            fs::copy(entry.path(), hall / entry.path().filename(), fs::copy_options::recursive);
    lights::LightSettings settings;
    settings.enabled = true;
    for (lights::LampLevels& lamp : settings.lamps) {
        lamp.on = onLevel;
        lamp.off = offLevel;
    }
    EXPECT_TRUE(lights::writeLightSettings((hall / lights::lightSettingsFile).string(), settings));
    return hall;
}

// The program on the offscreen platform; its output goes to a file for the failure message.
pid_t startProgram(const fs::path& root, const fs::path& hall)
{
    const std::string log = (root / "program.log").string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        execl(DANCEHALL_PROGRAM, DANCEHALL_PROGRAM, "--data", hall.c_str(), "--no-resume",
            static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

void stopProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int waited = 0; waited < 100; ++waited) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(50ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Every lamp's channel holds its off or on level and the channel after them nothing.
bool lampsInUniverse(const std::vector<std::uint8_t>& frame)
{
    for (int channel = 1; channel <= lights::lampCount; ++channel)
        if (frame[channel - 1] != offLevel && frame[channel - 1] != onLevel)
            return false;
    return frame[lights::lampCount] == 0;
}

TEST(ProgramLights, TheProgramsLampsReachOladThroughItsModule)
{
    if (!std::getenv("PULSE_SERVER"))
        GTEST_SKIP() << "no private sound server (run under scripts/with-test-env)";
    if (!loopbackPortFree(platform::ola::defaultPort))
        GTEST_SKIP() << "another olad holds port " << platform::ola::defaultPort;
    test_support::OlaDaemon daemon(1, {}, platform::ola::defaultPort);
    ASSERT_TRUE(daemon.start());

    char scratch[] = "/tmp/program_lights_XXXXXX";
    ASSERT_TRUE(mkdtemp(scratch));
    const fs::path root = scratch;
    const fs::path hall = prepareHall(root);
    const pid_t program = startProgram(root, hall);
    ASSERT_GT(program, 0);

    bool reached = false;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!reached && std::chrono::steady_clock::now() < deadline) {
        const auto frame = daemon.fetch(1);
        reached = frame && lampsInUniverse(*frame);
        if (!reached)
            std::this_thread::sleep_for(50ms);
    }
    stopProgram(program);
    std::stringstream log;
    log << std::ifstream(root / "program.log").rdbuf();
    EXPECT_TRUE(reached) << "the lamps never reached universe 1; the program said:\n" << log.str();
    fs::remove_all(root);
}

} // namespace
