// The private daemon itself: what it holds is what a client sent, and a stop really ends it.

#include "ola_daemon.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

#include <gtest/gtest.h>

#include <signal.h>

#include <memory>

namespace {

// olad forgets a universe whose last source has gone, so the sender stays connected.
std::unique_ptr<ola::client::StreamingClient> send(
    std::uint16_t port, unsigned universe, const std::string& levels)
{
    ola::client::StreamingClient::Options options;
    options.auto_start = false;
    options.server_port = port;
    auto client = std::make_unique<ola::client::StreamingClient>(options);
    ola::DmxBuffer buffer;
    buffer.SetFromString(levels);
    if (!client->Setup() || !client->SendDmx(universe, buffer))
        return nullptr;
    return client;
}

TEST(OlaDaemon, HoldsWhatAClientSentAndGoesAwayWhenStopped)
{
    test_support::OlaDaemon daemon(7);
    ASSERT_TRUE(daemon.start());
    const auto sender = send(daemon.port(), 7, "0,200,0,17");
    ASSERT_TRUE(sender);
    std::optional<std::vector<std::uint8_t>> frame;
    for (int attempt = 0; attempt < 50 && !(frame = daemon.fetch(7)); ++attempt) { }
    ASSERT_TRUE(frame);
    EXPECT_EQ((*frame)[1], 200);
    EXPECT_EQ((*frame)[3], 17);
    EXPECT_EQ((*frame)[0], 0);

    daemon.stop(SIGKILL);
    EXPECT_FALSE(daemon.fetch(7));
    ASSERT_TRUE(daemon.start());
    const auto fresh = daemon.fetch(7);
    EXPECT_TRUE(!fresh || (*fresh)[1] == 0) << "a restarted daemon starts from dark";
}

} // namespace
