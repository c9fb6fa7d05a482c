// The light program on the headless platform in virtual time: a style's states applied in
// 50 ms steps, the switch-off sequence, track changes ending the previous sequence and the
// previous style's application, the lock between overlapping applications.

#include "app/application.h"
#include "app/light_program.h"
#include "app/style_settings_file.h"
#include "lamp_panel_hall.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace app::test {
namespace {

namespace MainWindow = ids::MainWindow;

class LightProgram : public ::testing::Test, protected LampPanelHall {
protected:
    LightProgram()
        : LampPanelHall("light_program")
    {
        application.globals.lightLock = application.threads.createSection();
    }

    void setStyle(const char* style, const std::map<std::string, std::string>& keys)
    {
        for (const auto& [key, value] : keys)
            ASSERT_TRUE(writeStyleValue(application, style, key, value));
    }
    void setAllChannels(const char* style, const char* state)
    {
        for (int channel = 1; channel <= channelCount; ++channel)
            ASSERT_TRUE(writeStyleValue(application, style, channelKey(channel), state));
    }

    // The track-start order of the sequencer.
    void startTrack(const char* style)
    {
        stopTrackLights(application);
        application.globals.currentStyle.set(style);
        startTrackLights(application);
    }
};

TEST_F(LightProgram, AppliesLitAndDarkChannelsOneStepEveryFiftyMilliseconds)
{
    setStyle("慢四", { { "1", "1" }, { "2", "0" }, { "3", "x" }, { "4", "1" } });

    startTrack("慢四");

    headless.advance(49);
    EXPECT_EQ(colour(1), untouched);
    headless.advance(1);
    EXPECT_EQ(colour(1), lit);
    EXPECT_EQ(colour(2), untouched);
    headless.advance(50);
    EXPECT_EQ(colour(2), dark);
    // Channel 3's value is neither state: it is skipped without a wait.
    headless.advance(50);
    EXPECT_EQ(colour(3), untouched);
    EXPECT_EQ(colour(4), lit);

    headless.advance(60'000);
    std::vector<std::int32_t> expected(channelCount, untouched);
    expected[0] = lit;
    expected[1] = dark;
    expected[3] = lit;
    EXPECT_EQ(colours(), expected);
}

TEST_F(LightProgram, SwitchesOffAfterFiveSecondsAndTheAddedUpDelays)
{
    setStyle(
        "快四", { { "1c", "10" }, { "2c", "" }, { "3c", "5" }, { "4c", "abc" }, { "5c", "-3" } });

    startTrack("快四");

    // Channel 1: 5 s + 10 s + one step.
    headless.advance(15'049);
    EXPECT_EQ(colour(1), untouched);
    headless.advance(1);
    EXPECT_EQ(colour(1), dark);
    // Channel 3: another 5 s and a step; channel 2 has no delay and is passed over.
    headless.advance(5'049);
    EXPECT_EQ(colour(3), untouched);
    headless.advance(1);
    EXPECT_EQ(colour(3), dark);
    // A delay that is not a number, or negative, waits nothing.
    headless.advance(50);
    EXPECT_EQ(colour(4), dark);
    EXPECT_EQ(colour(5), untouched);
    headless.advance(50);
    EXPECT_EQ(colour(5), dark);

    headless.advance(60'000);
    std::vector<std::int32_t> expected(channelCount, untouched);
    for (int channel : { 1, 3, 4, 5 })
        expected[channel - 1] = dark;
    EXPECT_EQ(colours(), expected);
}

TEST_F(LightProgram, ATrackChangeEndsThePreviousSequenceWhereverItIs)
{
    setStyle("慢四", { { "1c", "0" }, { "2c", "10" } });
    setStyle("探戈", { { "3c", "1" } });

    // Still in its first 5 s: the first sequence switches nothing, the new one starts over.
    startTrack("慢四");
    headless.advance(3'000);
    startTrack("探戈");
    headless.advance(6'049);
    EXPECT_EQ(colour(3), untouched);
    headless.advance(1);
    EXPECT_EQ(colour(3), dark);
    EXPECT_EQ(colour(1), untouched);

    // Part way: channel 1 went dark, channel 2's 10 s wait is cut off.
    startTrack("慢四");
    headless.advance(6'000);
    EXPECT_EQ(colour(1), dark);
    startTrack("");
    headless.advance(60'000);
    EXPECT_EQ(colour(2), untouched);
}

// The previous track's style is no longer wanted: its run stops where it is, and one that has
// not even had the lock yet draws nothing.
TEST_F(LightProgram, ANewerTrackStartCutsTheLightsOfTheTrackBeforeShort)
{
    setAllChannels("慢四", "1");
    setAllChannels("快四", "0");

    startTrack("慢四");
    headless.advance(100);
    startTrack("快四");
    headless.advance(49);
    EXPECT_EQ(colour(1), lit);
    EXPECT_EQ(colour(3), untouched) << "the first run went no further";
    headless.advance(1);
    EXPECT_EQ(colour(1), dark);
    headless.advance(750);
    EXPECT_EQ(colours(), std::vector<std::int32_t>(channelCount, dark));

    // Three starts in 20 ms: the middle one is passed over while it waits for the lock.
    startTrack("慢四");
    headless.advance(10);
    startTrack("快四");
    headless.advance(10);
    startTrack("慢四");
    headless.advance(49);
    EXPECT_EQ(colours(), std::vector<std::int32_t>(channelCount, dark));
    headless.advance(1);
    EXPECT_EQ(colour(1), lit);
    headless.advance(750);
    EXPECT_EQ(colours(), std::vector<std::int32_t>(channelCount, lit));
}

TEST_F(LightProgram, ADeletedLockNoLongerHoldsRunsBack)
{
    setAllChannels("慢四", "1");
    setAllChannels("快四", "0");

    startTrack("慢四");
    headless.advance(100);
    // Shutdown deletes the lock while the first run holds it.
    EXPECT_TRUE(application.threads.deleteSection(application.globals.lightLock));
    startTrack("快四");
    headless.advance(50);
    EXPECT_EQ(colour(1), dark);

    // The first run still ends (its leave is harmless) and a later run enters nothing.
    headless.advance(2'000);
    startTrack("慢四");
    headless.advance(800);
    EXPECT_EQ(colours(), std::vector<std::int32_t>(channelCount, lit));
}

} // namespace
} // namespace app::test
