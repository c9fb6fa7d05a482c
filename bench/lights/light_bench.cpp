// The light output against a private olad, beside OLA's own streaming client in the same run:
// the time from a lamp change to the frame in the daemon (seen by a client registered for the
// universe), and the CPU the output takes while nothing changes.
//   scripts/with-test-env build/bench/lights/light_bench [CHANGES]

#include "ola_daemon.h"

#include "backends/ola/ola_link.h"
#include "lights/dmx_sender.h"
#include "platform/system_clock.h"

#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/client/StreamingClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned universe = 1;
constexpr int restSeconds = 5;

// A client of the daemon registered for the universe on a thread of its own: every frame
// the daemon takes, as it takes it.
class FrameWatcher {
public:
    explicit FrameWatcher(std::uint16_t port)
        : socket_(ola::network::TCPSocket::Connect(
            ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port)))
    {
        if (!socket_)
            return;
        client_ = std::make_unique<ola::client::OlaClient>(socket_.get());
        if (!client_->Setup())
            return;
        loop_.AddReadDescriptor(socket_.get());
        client_->SetDMXCallback(ola::NewCallback(this, &FrameWatcher::received));
        client_->RegisterUniverse(universe, ola::client::REGISTER,
            ola::NewSingleCallback(this, &FrameWatcher::registered));
        thread_ = std::thread([this] { loop_.Run(); });
    }
    ~FrameWatcher()
    {
        if (thread_.joinable()) {
            loop_.Execute(ola::NewSingleCallback(&loop_, &ola::io::SelectServer::Terminate));
            thread_.join();
        }
        if (client_)
            client_->Stop();
    }

    bool ready()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(3), [this] { return registered_; });
    }

    // The moment channel (1 …) first held level, waiting up to a second.
    std::optional<Clock::time_point> waitFor(int channel, std::uint8_t level)
    {
        std::unique_lock lock(mutex_);
        const bool seen = changed_.wait_for(lock, std::chrono::seconds(1), [&] {
            return frame_.Size() >= static_cast<unsigned>(channel)
                && frame_.Get(channel - 1) == level;
        });
        return seen ? std::optional(at_) : std::nullopt;
    }

private:
    void registered(const ola::client::Result& result)
    {
        std::lock_guard lock(mutex_);
        registered_ = result.Success();
        changed_.notify_all();
    }
    void received(const ola::client::DMXMetadata&, const ola::DmxBuffer& frame)
    {
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        frame_ = frame;
        at_ = now;
        changed_.notify_all();
    }

    std::unique_ptr<ola::network::TCPSocket> socket_;
    std::unique_ptr<ola::client::OlaClient> client_;
    ola::io::SelectServer loop_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool registered_ = false;
    ola::DmxBuffer frame_;
    Clock::time_point at_;
};

struct Figures {
    double median, p95, worst;
};

Figures figuresOf(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share) {
        return samples[std::min(
            samples.size() - 1, static_cast<std::size_t>(share * samples.size()))];
    };
    return { at(0.5), at(0.95), samples.back() };
}

// Each change switches lamp (and so channel) n, n = 1 … 16 in turn, on or off; the time from
// the change to the daemon holding it, in milliseconds.
std::vector<double> changeTimes(
    FrameWatcher& watcher, int changes, const std::function<void(int, bool)>& change)
{
    std::vector<double> times;
    for (int i = 0; i < changes; ++i) {
        const int lamp = i % 16 + 1;
        const bool on = (i / 16) % 2 == 0;
        const auto start = Clock::now();
        change(lamp, on);
        if (const auto seen = watcher.waitFor(lamp, on ? 255 : 0))
            times.push_back(std::chrono::duration<double, std::milli>(*seen - start).count());
        else
            std::printf("  change %d never reached the daemon\n", i);
        // Apart, as a style's steps are, so each change is a frame of its own.
        std::this_thread::sleep_for(milliseconds(20));
    }
    return times;
}

// CPU seconds of this process (user and system) while fn waits.
double cpuDuring(const std::function<void()>& fn)
{
    const auto cpu = [] {
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double before = cpu();
    fn();
    return cpu() - before;
}

void print(const char* what, const std::vector<double>& times)
{
    if (times.empty()) {
        std::printf("%-34s no frame arrived\n", what);
        return;
    }
    const Figures f = figuresOf(times);
    std::printf("%-34s median %6.2f ms  p95 %6.2f ms  worst %6.2f ms  (%zu changes)\n", what,
        f.median, f.p95, f.worst, times.size());
}

} // namespace

int main(int argc, char** argv)
{
    const int changes = argc > 1 ? std::max(16, std::atoi(argv[1])) : 320;
    test_support::OlaDaemon daemon(universe);
    if (!daemon.start()) {
        std::fprintf(stderr, "olad did not start (it runs as the olad user)\n");
        return 1;
    }
    platform::SystemClock clock;

    // At rest first, with no watcher in the process: the output connected, nothing changing,
    // beside an OLA streaming client that sends its frame once a second (the least refresh a
    // node needs) and sleeps in between.
    double outputCpu = 0;
    {
        lights::DmxSender output(clock, lights::LightSettings {},
            std::make_unique<platform::ola::OlaLink>(daemon.port()));
        std::this_thread::sleep_for(milliseconds(500));
        outputCpu
            = cpuDuring([] { std::this_thread::sleep_for(std::chrono::seconds(restSeconds)); });
    }
    ola::client::StreamingClient::Options options;
    options.auto_start = false;
    options.server_port = daemon.port();
    ola::client::StreamingClient reference(options);
    if (!reference.Setup()) {
        std::fprintf(stderr, "the reference client could not connect\n");
        return 1;
    }
    ola::DmxBuffer frame;
    frame.Blackout();
    const double referenceCpu = cpuDuring([&] {
        for (int second = 0; second < restSeconds; ++second) {
            reference.SendDmx(universe, frame);
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    });

    FrameWatcher watcher(daemon.port());
    if (!watcher.ready()) {
        std::fprintf(stderr, "could not register for the universe\n");
        return 1;
    }
    const std::vector<double> referenceTimes
        = changeTimes(watcher, changes, [&](int lamp, bool on) {
              frame.SetChannel(static_cast<unsigned>(lamp - 1), on ? 255 : 0);
              reference.SendDmx(universe, frame);
          });
    reference.Stop();
    std::vector<double> outputTimes;
    {
        lights::DmxSender output(clock, lights::LightSettings {},
            std::make_unique<platform::ola::OlaLink>(daemon.port()));
        std::this_thread::sleep_for(milliseconds(500));
        outputTimes
            = changeTimes(watcher, changes, [&](int lamp, bool on) { output.setLamp(lamp, on); });
    }

    std::printf("== lamp change to frame in olad (goal: <= 25 ms)\n");
    print("light output", outputTimes);
    print("reference: OLA streaming client", referenceTimes);
    std::printf("== CPU at rest over %d s\n", restSeconds);
    std::printf("%-34s %6.1f ms  (%.3f %%)\n", "light output", outputCpu * 1000,
        outputCpu * 100 / restSeconds);
    std::printf("%-34s %6.1f ms  (%.3f %%)\n", "reference: a frame a second", referenceCpu * 1000,
        referenceCpu * 100 / restSeconds);
    return 0;
}
