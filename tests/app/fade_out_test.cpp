// The fade-outs that end a track early (time limit, scheduled opening) against what happens
// during their message passes: the operator's buttons, the end of the track, a fade-in that
// is still running, and a show with no track after the playing one.

#include "tests/app/timed_show_fixture.h"

namespace app::test {
namespace {

using namespace MainWindow;

// The status is applied at the track's first report, right at its start; armed for 35 s.
constexpr platform::Millis limitFadeStart = 35'000;
constexpr platform::Millis limitFadeLength = 60 * 420;

class LimitFade : public TimedShow {
protected:
    LimitFade() { setStyle("探戈", "", "1"); }
    void threeLongTracks()
    {
        writeShow({ { "探戈", "long.mp3" }, { "探戈", "long.mp3" }, { "探戈", "long.mp3" } });
    }
};

struct TransportDuringFade {
    const char* name;
    ui::ComponentId button;
    PlayState state; // of the player once the fade's time is over
    std::int32_t track;
};

TEST_F(LimitFade, AButtonDuringTheFadeEndsItAndMovesTheShowByThatButtonOnly)
{
    for (const TransportDuringFade& c :
        { TransportDuringFade { "stop", 停止按钮, PlayState::stopped, 1 },
            TransportDuringFade { "pause", 暂停按钮, PlayState::paused, 1 },
            TransportDuringFade { "next", 下一首按钮, PlayState::playing, 2 } }) {
        SCOPED_TRACE(c.name);
        threeLongTracks();
        const platform::Millis start = now();
        click(播放按钮);
        const platform::Millis clickAt = start + limitFadeStart + 5000;
        at(clickAt, [&] { click(c.button); });
        advanceTo(start + limitFadeStart + limitFadeLength + 5000);

        EXPECT_EQ(state(), c.state);
        EXPECT_EQ(trackNumber(), c.track);
        ASSERT_NE(firstFall(start + limitFadeStart - 100), -1); // the fade had begun
        // The click comes at the fade's next message pass; from then on the fade is over:
        // the volume stays, or the next track's fade-in only raises it.
        const auto later = volumeChanges(clickAt + 420);
        EXPECT_EQ(later.empty(), c.state != PlayState::playing);
        for (std::size_t i = 1; i < later.size(); ++i)
            EXPECT_GE(later[i].values[0], later[i - 1].values[0]) << later[i].at;
        click(停止按钮);
        advance(1000);
    }
}

TEST_F(LimitFade, WithNoTrackAfterThePlayingOneTheFadeEndsInStop)
{
    for (const std::int32_t item : { 1, 3 }) { // the only track of one slot, the last track
        SCOPED_TRACE(item);
        if (item == 1)
            writeShow({ { "探戈", "long.mp3" } });
        else
            writeShow({ { "探戈", "long.mp3" }, { "探戈", "long.mp3" } });
        const platform::Millis start = now();
        input.select(MainWindow::window, 树型框1, item);
        input.doubleClick(MainWindow::window, 树型框1);
        ASSERT_EQ(state(), PlayState::playing);
        advanceTo(start + limitFadeStart + limitFadeLength + 1000);
        EXPECT_EQ(state(), PlayState::stopped);
        EXPECT_EQ(caption(标签1), "等待播放...");
        EXPECT_TRUE(visible(播放按钮));
        EXPECT_EQ(interval(时钟2), 0);
    }
}

// Paused after 30 s for 10 s: the fade-in restarts at the resume and is still rising when
// the rest of the limit (5 s) runs out.
TEST_F(LimitFade, CutsAFadeInShortAndCountsOnlyPlayedTime)
{
    threeLongTracks();
    const platform::Millis start = now();
    click(播放按钮);
    advanceTo(start + 30'000);
    click(暂停按钮);
    EXPECT_EQ(interval(时钟2), 0);
    advanceTo(start + 40'000);
    click(播放按钮);
    EXPECT_EQ(interval(时钟2), 5000);

    advanceTo(start + 80'000);
    const platform::Millis cut = firstFall(start + 40'001);
    EXPECT_NEAR(cut, start + limitFadeStart + 10'000, 100);
    const auto atCut = volumeChanges(cut);
    ASSERT_FALSE(atCut.empty());
    EXPECT_LT(atCut.front().values[0], 11'000); // the fade-in had reached about 10,000
    EXPECT_TRUE(neverRises(cut, cut + 3000)); // down to the floor in about 3.4 s
    EXPECT_EQ(trackNumber(), 2);
}

TEST_F(LimitFade, StartsAgainForEachStartOfATrackButNotForAResume)
{
    threeLongTracks();
    const platform::Millis start = now();
    click(播放按钮);
    advanceTo(start + 10'000);
    click(停止按钮);
    click(播放按钮); // track 1 again: its limit counts from here
    advanceTo(start + 12'000);
    EXPECT_EQ(interval(时钟2), 35'000);

    // Double-clicking the playing track starts it over, limit and all.
    advanceTo(start + 30'000);
    input.select(MainWindow::window, 树型框1, 1);
    input.doubleClick(MainWindow::window, 树型框1);
    EXPECT_EQ(interval(时钟2), 0);
    advanceTo(start + 32'000);
    EXPECT_EQ(interval(时钟2), 35'000);
    advanceTo(start + 64'000);
    EXPECT_EQ(firstFall(start + 30'001), -1);
    EXPECT_EQ(trackNumber(), 1);
    advanceTo(start + 66'000);
    EXPECT_NE(firstFall(start + 30'001), -1);
}

} // namespace
} // namespace app::test
