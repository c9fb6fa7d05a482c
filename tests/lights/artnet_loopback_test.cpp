// The lamps on a real network protocol: olad's Art-Net output bound to the loopback interface,
// and the ArtDmx packets it sends read off UDP port 6454 with a parser of this test's own.

#include "ola_daemon.h"

#include "backends/ola/ola_link.h"
#include "lights/dmx_sender.h"
#include "platform/system_clock.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::uint16_t artNetPort = 6454;

struct ArtDmx {
    std::uint16_t portAddress; // net (7 bits), sub-net (4) and universe (4)
    std::vector<std::uint8_t> channels; // 512, those the packet leaves out read 0
};

// An ArtDmx packet: the "Art-Net" id, opcode 0x5000 little-endian, protocol version 14
// big-endian, sequence, physical port, port-address low and high byte, data length big-endian
// (2 … 512), then the channels. Anything else is not one.
std::optional<ArtDmx> parseArtDmx(const std::uint8_t* packet, std::size_t size)
{
    static constexpr char id[8] = { 'A', 'r', 't', '-', 'N', 'e', 't', '\0' };
    if (size < 18 || std::memcmp(packet, id, sizeof id) != 0)
        return std::nullopt;
    const unsigned opcode = packet[8] | packet[9] << 8;
    const unsigned version = packet[10] << 8 | packet[11];
    const unsigned length = packet[16] << 8 | packet[17];
    if (opcode != 0x5000 || version < 14 || length < 2 || length > 512 || size < 18 + length)
        return std::nullopt;
    ArtDmx dmx { static_cast<std::uint16_t>(packet[14] | (packet[15] & 0x7f) << 8),
        std::vector<std::uint8_t>(512, 0) };
    std::copy(packet + 18, packet + 18 + length, dmx.channels.begin());
    return dmx;
}

// Port 6454 on 127.0.0.1, shared with olad's own Art-Net socket on every address: the
// datagrams sent to the loopback address come here, the more exact binding.
class ArtNetListener {
public:
    ArtNetListener()
        : fd_(socket(AF_INET, SOCK_DGRAM, 0))
    {
        const int yes = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        const timeval wait { 0, 100'000 };
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(artNetPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~ArtNetListener() { close(fd_); }
    ArtNetListener(const ArtNetListener&) = delete;
    ArtNetListener& operator=(const ArtNetListener&) = delete;

    bool bound() const { return bound_; }

    // Every ArtDmx packet that arrives within the limit, with when it came.
    std::vector<std::pair<Clock::time_point, ArtDmx>> collect(milliseconds limit)
    {
        std::vector<std::pair<Clock::time_point, ArtDmx>> seen;
        const auto deadline = Clock::now() + limit;
        std::array<std::uint8_t, 1024> packet;
        while (Clock::now() < deadline) {
            const ssize_t size = recv(fd_, packet.data(), packet.size(), 0);
            if (size <= 0)
                continue;
            if (auto dmx = parseArtDmx(packet.data(), static_cast<std::size_t>(size)))
                seen.emplace_back(Clock::now(), std::move(*dmx));
        }
        return seen;
    }

    // The first ArtDmx packet within the limit whose channels are the wanted ones, or the
    // last one seen when none is.
    std::optional<ArtDmx> waitFor(const std::vector<std::uint8_t>& wanted, milliseconds limit)
    {
        std::optional<ArtDmx> last;
        const auto deadline = Clock::now() + limit;
        std::array<std::uint8_t, 1024> packet;
        while (Clock::now() < deadline) {
            const ssize_t size = recv(fd_, packet.data(), packet.size(), 0);
            if (size <= 0)
                continue;
            if (auto dmx = parseArtDmx(packet.data(), static_cast<std::size_t>(size))) {
                last = std::move(dmx);
                if (last->channels == wanted)
                    break;
            }
        }
        return last;
    }

private:
    int fd_;
    bool bound_ = false;
};

std::vector<std::uint8_t> frameOf(const std::map<int, std::uint8_t>& channels)
{
    std::vector<std::uint8_t> frame(512, 0);
    for (const auto& [channel, level] : channels)
        frame[channel - 1] = level;
    return frame;
}

// The Art-Net plugin (plugin 2, device 1) on the loopback interface, whose broadcast goes to
// the local host; its first output port patched to the universe.
test_support::OlaDaemon artNetDaemon(unsigned universe)
{
    return test_support::OlaDaemon(universe,
        { { "artnet",
              { "enabled = true", "ip = 127.0.0.1", "use_loopback = true",
                  "always_broadcast = true" } },
            { "port", { "2-1-O-0 = " + std::to_string(universe) } } });
}

double millisBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

TEST(ArtNetLoopback, TheArtDmxPacketsCarryTheLampsChannels)
{
    constexpr unsigned universe = 7;
    test_support::OlaDaemon daemon = artNetDaemon(universe);
    ArtNetListener listener;
    ASSERT_TRUE(listener.bound()) << "UDP 127.0.0.1:6454 is taken";
    ASSERT_TRUE(daemon.start());

    lights::LightSettings settings;
    settings.enabled = true;
    settings.universe = universe;
    settings.lamps[0] = { 10, 200, 0 };
    settings.lamps[1] = { 2, 255, 17 }; // dark, but its off level is not zero
    settings.lamps[2] = { 300, 128, 0 };
    settings.lamps[15] = { 512, 255, 0 };
    platform::SystemClock clock;
    lights::DmxSender output(
        clock, settings, std::make_unique<platform::ola::OlaLink>(daemon.port()));
    for (const int lamp : { 1, 3, 16 })
        output.setLamp(lamp, true);

    const auto wanted = frameOf({ { 10, 200 }, { 2, 17 }, { 300, 128 }, { 512, 255 } });
    const auto seen = listener.waitFor(wanted, milliseconds(3000));
    ASSERT_TRUE(seen) << "no ArtDmx packet reached 127.0.0.1:6454";
    // olad gives the Art-Net port the low four bits of the universe patched to it, in net 0
    // and sub-net 0.
    EXPECT_EQ(seen->portAddress, universe);
    EXPECT_EQ(seen->channels, wanted);
    EXPECT_EQ(daemon.fetch(universe), wanted);
}

// What a lamp sees: a fade as at least 25 frames a second, and a lamp at rest refreshed at
// least once a second. The sender aims well inside both (40 frames a second, a refresh every
// 0.8 s), so the wire keeps to them on a busy machine too.
TEST(ArtNetLoopback, AFadeReachesTheWireAtTwentyFiveFramesASecondAndRestAtLeastOnceASecond)
{
    constexpr unsigned universe = 3;
    test_support::OlaDaemon daemon = artNetDaemon(universe);
    ArtNetListener listener;
    ASSERT_TRUE(listener.bound()) << "UDP 127.0.0.1:6454 is taken";
    ASSERT_TRUE(daemon.start());
    lights::LightSettings settings;
    settings.enabled = true;
    settings.universe = universe;
    settings.fadeMillis = 400;
    platform::SystemClock clock;
    lights::DmxSender output(
        clock, settings, std::make_unique<platform::ola::OlaLink>(daemon.port()));
    ASSERT_TRUE(listener.waitFor(frameOf({}), milliseconds(3000))) << "no frame at connecting";

    const auto resting = listener.collect(milliseconds(4500));
    ASSERT_GE(resting.size(), 3u);
    double longestRest = 0;
    for (std::size_t i = 1; i < resting.size(); ++i)
        longestRest = std::max(longestRest, millisBetween(resting[i - 1].first, resting[i].first));
    EXPECT_LE(longestRest, 1000.0);

    output.setLamp(1, true);
    const auto fading = listener.collect(milliseconds(1000));
    // From the first frame that left the off level to the first at the full level.
    std::vector<Clock::time_point> fadeFrames;
    for (const auto& [at, dmx] : fading) {
        if (dmx.channels[0] == 0)
            continue;
        fadeFrames.push_back(at);
        if (dmx.channels[0] == 255)
            break;
    }
    ASSERT_GE(fadeFrames.size(), 2u);
    const double span = millisBetween(fadeFrames.front(), fadeFrames.back());
    EXPECT_GT(span, 300.0) << "the fade went out in " << fadeFrames.size() << " frames";
    const double framesPerSecond = 1000.0 * double(fadeFrames.size() - 1) / span;
    EXPECT_GE(framesPerSecond, 25.0) << fadeFrames.size() << " frames in " << span << " ms";
    std::cout << "at rest a frame at least every " << longestRest << " ms; the fade at "
              << framesPerSecond << " frames a second\n";
}

} // namespace
