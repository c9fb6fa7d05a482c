// The fade-in at each track start, the style status shown and applied by 时钟1, and the
// time limit that fades a track out and starts the next, on the simulated master volume.

#include "tests/app/timed_show_fixture.h"

namespace app::test {
namespace {

using namespace MainWindow;

using FadeIn = TimedShow;

class TimeLimit : public TimedShow {
protected:
    // True when the volume only went up since then: the fade-in, no fade-out.
    bool onlyRises(platform::Millis since)
    {
        std::int64_t last = -1;
        for (const auto& change : volumeChanges(since)) {
            if (change.values[0] < last)
                return false;
            last = change.values[0];
        }
        return true;
    }
};

TEST_F(FadeIn, RampsFromSilenceBy200Every100MsUntilPastTheStyleVolume)
{
    setStyle("慢四", "80", "无限时");
    writeShow({ { "慢四", "long.mp3" }, { "慢四", "medium.mp3" } });
    const platform::Millis start = now();
    click(播放按钮);
    advance(40'000);

    const auto changes = volumeChanges(start + 1); // after the start-up's full volume
    ASSERT_EQ(changes.size(), 262U);
    for (std::size_t tick = 0; tick < changes.size(); ++tick) {
        const std::int64_t level = static_cast<std::int64_t>(tick) * 200;
        ASSERT_EQ(changes[tick].values, (std::vector<std::int64_t> { level, level })) << tick;
        ASSERT_EQ(changes[tick].at, start + 100 * static_cast<platform::Millis>(tick + 1)) << tick;
    }
    // 52,200 is the first level above 80 % of 65,000: about 26.2 s after the start.
    EXPECT_EQ(interval(时钟4), 0);
    EXPECT_EQ(application.globals.fades.fadeInStep, 0);
}

TEST_F(FadeIn, StatusLabelsShowTheStyleOnceItsTrackPlays)
{
    setStyle("慢四", "60", "");
    setStyle("探戈", "", "1");
    writeShow({ { "慢四", "long.mp3" }, { "探戈", "long.mp3" } });

    click(播放按钮);
    advance(2'000);
    EXPECT_EQ(caption(标签当前风格), "慢四");
    EXPECT_EQ(caption(标签当前音量), "60%");
    EXPECT_EQ(caption(标签限时时间), "无限时");
    EXPECT_FLOAT_EQ(application.globals.volumeFactor, 0.6F);
    advance(40'000);
    // The ramp stops at the first level above 39,000.
    EXPECT_EQ(volumeChanges(0).back().values, (std::vector<std::int64_t> { 39'200, 39'200 }));

    click(下一首按钮);
    EXPECT_EQ(caption(标签当前风格), "慢四"); // shown only at the next status refresh
    advance(2'000);
    EXPECT_EQ(caption(标签当前风格), "探戈");
    EXPECT_EQ(caption(标签当前音量), "%");
    EXPECT_EQ(caption(标签限时时间), "1分钟");
    EXPECT_FLOAT_EQ(application.globals.volumeFactor, 1.0F);
    EXPECT_EQ(application.globals.styleStatus.appliedStyle, "探戈");
    EXPECT_EQ(application.globals.styleStatus.appliedTrackSerial,
        application.globals.playing.trackSerial);
}

TEST_F(FadeIn, ANewTrackIsHeardFromSilenceNotAtTheLastTracksVolume)
{
    writeShow({ { "慢四", "long.mp3" }, { "慢四", "long.mp3" } });
    click(播放按钮);
    advance(40'000);
    ASSERT_EQ(volumeChanges(0).back().values[0], 65'200);

    for (const ui::ComponentId button : { 下一首按钮, 上一首按钮 }) {
        const platform::Millis clicked = now();
        click(button);
        const auto changes = volumeChanges(clicked);
        ASSERT_FALSE(changes.empty());
        EXPECT_EQ(changes.front().at, clicked); // before the player's first sound
        EXPECT_EQ(changes.front().values[0], 0);
        advance(40'000);
    }
}

TEST_F(FadeIn, AVolumeAbove100IsHeldAt100AndTheRampEnds)
{
    setStyle("慢四", "150", "无限时");
    writeShow({ { "慢四", "long.mp3" } });
    click(播放按钮);
    advance(40'000);
    EXPECT_EQ(caption(标签当前音量), "100%");
    EXPECT_EQ(interval(时钟4), 0);
    EXPECT_EQ(volumeChanges(0).back().values[0], 65'200);

    // The operator's lower volume stays.
    application.systemVolume.setSystemVolume(30'000, 30'000);
    advance(5000);
    EXPECT_EQ(volumeChanges(0).back().values[0], 30'000);
}

TEST_F(TimeLimit, FadesOutBy1000Every420MsThenStartsTheNextTrack)
{
    ASSERT_GE(lengthMillis("long.mp3"), 80'000);
    setStyle("探戈", "", "1");
    writeShow({ { "探戈", "long.mp3" }, { "探戈", "long.mp3" } });
    // The status is applied as soon as the track is heard, not at a later status tick.
    click(播放按钮);
    advance(2'000);
    EXPECT_EQ(interval(时钟2), 35'000);
    EXPECT_EQ(caption(标签限时时间), "1分钟");

    advance(60'000); // the fade runs inside the timer's event
    EXPECT_EQ(trackNumber(), 2);
    const platform::Millis fadeStart = firstFall(2'000);

    std::vector<std::int64_t> fade;
    std::vector<platform::Millis> times;
    for (const auto& change : volumeChanges(fadeStart)) {
        if (change.values[0] == 0)
            break; // the next track's fade-in
        fade.push_back(change.values[0]);
        times.push_back(change.at);
    }
    // From the fade-in's 65,200 down 60 passes, never reaching the 2,200 floor.
    ASSERT_EQ(fade.size(), 60U);
    EXPECT_EQ(fade.front(), 64'200);
    EXPECT_EQ(fade.back(), 5'200);
    EXPECT_NEAR(times.front(), 35'000, 150);
    EXPECT_EQ(times.back() - times.front(), 59 * 420);
    // The new track disarmed the limit until its own status arms it anew.
    EXPECT_EQ(application.globals.styleStatus.appliedTrackSerial,
        application.globals.playing.trackSerial);
    EXPECT_EQ(interval(时钟2), 35'000);
}

TEST_F(TimeLimit, IsArmedOnlyForATrackThatOutlastsItByMoreThan20s)
{
    const std::int64_t medium = lengthMillis("medium.mp3");
    ASSERT_GT(medium, 60'000);
    ASSERT_LT(medium, 80'000);
    setStyle("探戈", "", "1");
    setStyle("慢四", "", "无限时");
    writeShow({ { "探戈", "medium.mp3" }, { "慢四", "long.mp3" }, { "华尔兹", "long.mp3" } });

    click(播放按钮);
    advance(2'000);
    EXPECT_EQ(caption(标签限时时间), "1分钟");
    EXPECT_EQ(interval(时钟2), 0);
    advance(medium);
    EXPECT_EQ(trackNumber(), 2); // played to its end

    // Without a limit, or with no settings at all, nothing fades the track out.
    for (int track = 2; track <= 3; ++track) {
        advance(2'000);
        EXPECT_EQ(caption(标签限时时间), "无限时");
        EXPECT_EQ(interval(时钟2), 0);
        const platform::Millis since = now();
        advance(40'000);
        EXPECT_EQ(trackNumber(), track);
        EXPECT_TRUE(onlyRises(since));
        click(下一首按钮);
    }
}

TEST_F(TimeLimit, IsIgnoredOnceAnotherStyleTookOver)
{
    setStyle("探戈", "", "1");
    writeShow({ { "探戈", "long.mp3" }, { "慢四", "long.mp3" } });
    click(播放按钮);
    advance(2'000);
    application.globals.currentStyle.set("慢四");
    const platform::Millis since = now();
    advance(36'000);
    EXPECT_EQ(trackNumber(), 1);
    EXPECT_EQ(interval(时钟2), 35'000);
    EXPECT_TRUE(onlyRises(since));
}

} // namespace
} // namespace app::test
