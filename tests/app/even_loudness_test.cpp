// Even loudness in the running program: the show's tracks measured in the background once it
// is shown, with the progress on the status row; nothing at all while the switch is off; a
// broken store told once while the evening goes on.

#include "tests/app/main_window_run.h"

#include "app/even_loudness.h"
#include "loudness/track_gain.h"
#include "ui/unit_properties.h"

#include <fstream>

namespace app::test {
namespace {

using namespace ids::MainWindow;

class EvenLoudnessRun : public MainWindowRun {
protected:
    EvenLoudnessRun()
    {
        for (const char* name : { "cbr_stereo_44k.mp3", "ramp_6s.mp3" })
            fs::copy_file(fs::path(MEDIA_TEST_DATA) / name, directory / name);
        saveShow(u8"周六.dat",
            { { "1", "慢四", "一", track("cbr_stereo_44k.mp3") }, { "2", "探戈", "", "" },
                { "3", "快四", "二", track("ramp_6s.mp3") } });
    }
    ~EvenLoudnessRun() override { application.trackPlayer.stopPlaying(); }

    Text track(const char* name) const { return (directory / name).string(); }
    void switchOn()
    {
        std::ofstream(directory / "loudness.ini") << "[loudness]\nenabled=1\ntarget=-18\n";
    }
    Text progressText()
    {
        return std::get<Text>(mainProperty(标签响度分析, ui::prop::transLabel::caption));
    }
    // Runs until the status row has shown progress and then gone empty; every text it showed.
    std::vector<Text> progressShown()
    {
        std::vector<Text> shown;
        EXPECT_TRUE(headless.loop().runUntil([&] {
            Text now = progressText();
            if (shown.empty() ? !now.empty() : now != shown.back())
                shown.push_back(now);
            return !shown.empty() && now.empty();
        }));
        return shown;
    }
};

TEST_F(EvenLoudnessRun, TheShownShowIsMeasuredWithItsProgressOnTheStatusRow)
{
    switchOn();
    start();
    const std::vector<Text> shown = progressShown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front(), "响度分析 0/2");
    EXPECT_EQ(shown.back(), "");
    for (const std::string& native : { track("cbr_stereo_44k.mp3"), track("ramp_6s.mp3") }) {
        auto figures = application.loudness.figures(native);
        ASSERT_TRUE(figures) << native;
        EXPECT_EQ(
            trackGain(application, native), loudness::linearGain(loudness::gainDb(*figures, -18)));
    }
    EXPECT_NE(trackGain(application, track("cbr_stereo_44k.mp3")), 1.0f);
}

TEST_F(EvenLoudnessRun, WithTheSwitchOffNothingIsMeasuredOrStoredAndTracksPlayAsTheyAre)
{
    start();
    headless.advance(3000);
    EXPECT_EQ(progressText(), "");
    EXPECT_FALSE(fs::exists(directory / "loudness.db"));
    EXPECT_FALSE(fs::exists(directory / "loudness.ini"));
    EXPECT_EQ(trackGain(application, track("cbr_stereo_44k.mp3")), 1.0f);

    // Turned on during the evening: the current show is measured at once.
    applyLoudnessSettings(application, { true, -16 });
    EXPECT_EQ(progressShown().front(), "响度分析 0/2");
    EXPECT_NE(trackGain(application, track("ramp_6s.mp3")), 1.0f);
    // And off again: the tracks play as they are, figures kept for the next time.
    applyLoudnessSettings(application, { false, -16 });
    EXPECT_EQ(trackGain(application, track("ramp_6s.mp3")), 1.0f);
    EXPECT_TRUE(application.loudness.figures(track("ramp_6s.mp3")));
}

TEST_F(EvenLoudnessRun, ABrokenStoreIsToldOnceAndTheShowPlaysOn)
{
    switchOn();
    fs::create_directory(directory / "loudness.db");
    start();
    progressShown();
    input.click(window, 播放按钮);
    headless.advance(500);
    EXPECT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);
    EXPECT_EQ(trackGain(application, track("cbr_stereo_44k.mp3")), 1.0f);
    int told = 0;
    for (const std::string& text : messageTexts())
        told += text.find("响度数据库出错") != std::string::npos;
    EXPECT_EQ(told, 1);
}

TEST_F(EvenLoudnessRun, SettingsRoundTripAndAFaultyTargetIsHeldInRange)
{
    start();
    EXPECT_EQ(readLoudnessSettings(application), (LoudnessSettings { false, -16 }));
    ASSERT_TRUE(writeLoudnessSettings(application, { true, -20 }));
    EXPECT_EQ(readLoudnessSettings(application), (LoudnessSettings { true, -20 }));
    std::ofstream(directory / "loudness.ini") << "[loudness]\nenabled=1\ntarget=-40\n";
    EXPECT_EQ(readLoudnessSettings(application), (LoudnessSettings { true, -23 }));
    std::ofstream(directory / "loudness.ini") << "[loudness]\nenabled=yes\ntarget=loud\n";
    EXPECT_EQ(readLoudnessSettings(application), (LoudnessSettings { false, -16 }));
}

} // namespace
} // namespace app::test
