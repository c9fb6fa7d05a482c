#pragma once
// A sound server of its own on a fresh socket, started, killed and started again by the test,
// with every connection made meanwhile pointed at it. Tests that take the server away use it,
// never the shared test server.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace media::test {

class PrivateServer {
public:
    PrivateServer()
        : directory_(testing::TempDir() + "private-server-XXXXXX")
        , sharedServer_(std::getenv("PULSE_SERVER") ? std::getenv("PULSE_SERVER") : "")
    {
        if (!mkdtemp(directory_.data()))
            directory_.clear();
        setenv("PULSE_SERVER", address().c_str(), 1);
    }
    ~PrivateServer()
    {
        stop();
        setenv("PULSE_SERVER", sharedServer_.c_str(), 1);
        if (!directory_.empty())
            std::filesystem::remove_all(directory_);
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    std::string address() const { return "unix:" + directory_ + "/native"; }

    void start()
    {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("XDG_RUNTIME_DIR", directory_.c_str(), 1);
            std::string socket
                = "module-native-protocol-unix auth-anonymous=1 socket=" + directory_ + "/native";
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                "--use-pid-file=no", "--system=false", "-L", socket.c_str(), "-L",
                "module-null-sink sink_name=private", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // SIGTERM lets the server say goodbye to its clients; SIGKILL is a crash.
    void stop(int signal = SIGTERM)
    {
        if (pid_ > 0) {
            kill(pid_, signal);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    std::string directory_;
    std::string sharedServer_;
    pid_t pid_ = -1;
};

} // namespace media::test
