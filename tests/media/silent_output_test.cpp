#include "backends/headless/headless_clock.h"
#include "media/silent_output.h"

#include <gtest/gtest.h>

#include <vector>

namespace media {
namespace {

TEST(SilentOutput, PlaysAtTheSampleRateAndHoldsWhilePaused)
{
    platform::headless::HeadlessClock clock;
    SilentOutput output(clock, 250);
    ASSERT_TRUE(output.open({ 8000, 1 }));
    OutputState empty = output.state();
    EXPECT_EQ(empty.freeBytes, 4000u); // a quarter second of 16-bit mono
    std::vector<std::uint8_t> bytes(5000);
    EXPECT_EQ(output.write(bytes), 4000u);
    EXPECT_EQ(output.state().freeBytes, 0u);
    EXPECT_EQ(output.state().delay, 250);

    clock.advance(100); // 800 samples
    EXPECT_EQ(output.state().playedBytes, 1600u);
    output.pause();
    clock.advance(1000);
    EXPECT_EQ(output.state().playedBytes, 1600u);
    EXPECT_FALSE(output.state().playing);
    output.resume();
    clock.advance(1000);
    EXPECT_EQ(output.state().playedBytes, 4000u);
    EXPECT_EQ(output.state().queuedBytes, 0u);
    // Time spent empty is not credited to audio written later.
    EXPECT_EQ(output.write(bytes), 4000u);
    EXPECT_EQ(output.state().playedBytes, 4000u);
    output.reset();
    EXPECT_EQ(output.state().queuedBytes, 0u);
}

TEST(SilentOutput, KeepsWholeSampleFramesAndFractionalTime)
{
    platform::headless::HeadlessClock clock;
    SilentOutput output(clock);
    ASSERT_TRUE(output.open({ 44100, 2 }));
    std::vector<std::uint8_t> bytes(1003);
    EXPECT_EQ(output.write(bytes), 1000u);
    for (int i = 0; i < 10; ++i) {
        (void)output.write(std::vector<std::uint8_t>(400));
        clock.advance(1);
    }
    // 10 ms at 44.1 kHz is 441 frames, not 10 * 44.
    EXPECT_EQ(output.state().playedBytes, 441u * 4);
}

} // namespace
} // namespace media
