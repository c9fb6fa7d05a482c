// Lamps on a DMX bus follow the on-screen panel: the output is made only when the hall's light
// settings enable it, hears every change at the moment the panel shows it, and is switched
// off when the program ends.

#include "app/application.h"
#include "app/light_program.h"
#include "app/style_settings_file.h"
#include "backends/headless/headless_platform.h"
#include "backends/headless/recording_views.h"
#include "lights/light_settings.h"
#include "private_session.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace app::test {
namespace {

struct Change {
    platform::Millis at;
    int lamp;
    bool on;
    bool operator==(const Change&) const = default;
};

// What the output was told, with the virtual time it was told it.
struct OutputLog {
    std::mutex mutex;
    std::vector<Change> changes;
    std::vector<lights::LightSettings> made;
    int switchOffs = 0;
};

class RecordingOutput final : public lights::LightOutput {
public:
    RecordingOutput(platform::Clock& clock, OutputLog& log)
        : clock_(clock)
        , log_(log)
    {
    }
    void setLamp(int lamp, bool on) override
    {
        std::lock_guard lock(log_.mutex);
        log_.changes.push_back({ clock_.now(), lamp, on });
    }
    bool connected() const override { return true; }
    void switchOff() override
    {
        std::lock_guard lock(log_.mutex);
        ++log_.switchOffs;
    }

private:
    platform::Clock& clock_;
    OutputLog& log_;
};

class LightOutputHook : public ::testing::Test {
protected:
    LightOutputHook()
    {
        application.programDirectory = scratch.path.string();
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(ids::MainWindow::window, false);
        application.globals.lightLock = application.threads.createSection();
    }

    void enable(lights::LightSettings settings = {})
    {
        settings.enabled = true;
        ASSERT_TRUE(
            writeLightSettings((scratch.path / lights::lightSettingsFile).string(), settings));
    }

    std::vector<Change> changes()
    {
        std::lock_guard lock(log.mutex);
        return log.changes;
    }

    OutputLog log;
    ScratchProgramDirectory scratch { "light_output" };
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application { runtime, views, [] { return std::unique_ptr<media::Mixer>(); }, {},
        [this](platform::Clock& clock, const lights::LightSettings& settings) {
            std::lock_guard lock(log.mutex);
            log.made.push_back(settings);
            return std::make_unique<RecordingOutput>(clock, log);
        } };
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
