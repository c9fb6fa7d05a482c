// Lamps on a DMX bus follow the on-screen panel: the output is made only when the hall's light
// settings enable it, hears every change at the moment the panel shows it, and is switched
// off when the program ends.

#include "app/application.h"
#include "app/light_program.h"
#include "app/style_settings_file.h"
#include "backends/headless/headless_platform.h"
#include "hall_with_recorded_lights.h"
#include "lights/light_settings.h"
#include "ui/templates/window_ids.h"

#include <gtest/gtest.h>

#include <vector>

namespace app::test {
namespace {

class LightOutputHook : public ::testing::Test, protected HallWithRecordedLights {
protected:
    LightOutputHook()
        : HallWithRecordedLights("light_output")
    {
    }

    void enable(lights::LightSettings settings = {})
    {
        settings.enabled = true;
        ASSERT_TRUE(
            writeLightSettings((scratch.path / lights::lightSettingsFile).string(), settings));
    }
};

TEST_F(LightOutputHook, NoOutputWhileTheSettingsLeaveItOff)
{
    startLightOutput(application);
    EXPECT_FALSE(application.lightOutput);
    EXPECT_TRUE(log.made.empty());
    lightOn(application, 1); // the panel alone, as before
    headless.advance(100);
    EXPECT_TRUE(changes().empty());
}

TEST_F(LightOutputHook, EveryPanelStepReachesTheOutputAtTheSameMoment)
{
    lights::LightSettings settings;
    settings.universe = 42;
    enable(settings);
    startLightOutput(application);
    ASSERT_TRUE(application.lightOutput);
    ASSERT_EQ(log.made.size(), 1u);
    EXPECT_EQ(log.made[0].universe, 42);

    for (int channel = 1; channel <= channelCount; ++channel)
        ASSERT_TRUE(writeStyleValue(application, "慢四", channelKey(channel),
            channel == 1 || channel == 3 || channel == 16 ? "1" : "0"));
    ASSERT_TRUE(writeStyleValue(application, "慢四", "3c", "2"));
    stopTrackLights(application);
    application.globals.currentStyle.set("慢四");
    startTrackLights(application);
    headless.advance(10'000);

    std::vector<Change> expected;
    for (int channel = 1; channel <= channelCount; ++channel)
        expected.push_back(
            { 50 * channel, channel, channel == 1 || channel == 3 || channel == 16 });
    // The switch-off sequence: 5 s, lamp 3's 2 s, then the step.
    expected.push_back({ 7'050, 3, false });
    EXPECT_EQ(changes(), expected);
}

TEST_F(LightOutputHook, TheProgramsEndSwitchesTheLampsOff)
{
    enable();
    startLightOutput(application);
    EXPECT_THROW(runtime.endProgram(0), platform::ProgramEnded);
    EXPECT_EQ(log.switchOffs, 1);
}

} // namespace
} // namespace app::test
