// The playback sequencer on the headless platform: real tracks played by the track player on
// the silent device in virtual time, driven through the main window's buttons and tree.

#include "app/application.h"
#include "app/playback.h"
#include "app/show_tables.h"
#include "app/show_views.h"
#include "hall_with_tracks.h"
#include "show_records.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace app::test {
namespace {

namespace fs = std::filesystem;
using namespace ids::MainWindow;
using media::PlayState;

constexpr char missingTrackText[]
    = "本舞曲不存在！请重新添加舞曲！\r\n\r\n如您想自动换到下一曲请点（确认）键！\r\n\r\n"
      "如您想修改舞曲路径请点（取消）键！";

// What the main window shows of the sequencer at one moment.
struct Seen {
    std::int32_t number;
    std::int32_t selection;
    std::int32_t bar;
};

class Playback : public ::testing::Test, protected HallWithTracks {
protected:
    Playback()
        : HallWithTracks("playback")
    {
        // A 15 s track, long enough for a pause before the player has decoded most of it.
        std::ofstream longTrack(directory / "long.mp3", std::ios::binary);
        for (int copy = 0; copy < 5; ++copy)
            longTrack << std::ifstream(directory / "cbr_stereo_44k.mp3", std::ios::binary).rdbuf();
    }

    void writeShow(const std::vector<Slot>& slots)
    {
        writeShowTable(application.databases, directory / "dqqf.dat", slots);
        refreshShowView(application);
    }

    // Four slots, the second without a track: queue positions 1, 2, 3 are records 1, 3, 4.
    void writeThreeTrackShow()
    {
        writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") }, { "2", "快四", "", "" },
            { "3", "探戈", "晚风", track("cbr_mono_44k.mp3") },
            { "4", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    }

    void click(ui::ComponentId button) { input.click(window, button); }
    void doubleClickItem(std::int32_t item)
    {
        input.select(window, 树型框1, item);
        input.doubleClick(window, 树型框1);
    }
    // A report as the current player sends it.
    void report(std::int32_t percent)
    {
        application.windows.postFeedback(
            window, 标签1, percent, application.globals.playing.playerSerial);
    }

    media::PlayState state() const { return application.trackPlayer.queryPlayState(); }
    Text caption(ui::ComponentId label)
    {
        return std::get<Text>(property(label, ui::prop::label::caption));
    }
    std::int32_t integer(ui::ComponentId c, int number)
    {
        return std::get<std::int32_t>(property(c, number));
    }
    bool visible(ui::ComponentId c) { return std::get<bool>(property(c, ui::prop::visible)); }
    ui::Value property(ui::ComponentId c, int number)
    {
        return application.windows.property(window, c, number);
    }
    std::int32_t selection() { return integer(树型框1, ui::prop::treeBox::selection); }
    std::int32_t bar() { return integer(多功能条1, ui::prop::superBar::position); }
    std::int32_t held() const { return application.globals.playing.heldPercent; }
    std::int32_t number() const { return currentTrackNumber(application); }

    void expectPlaying(std::int32_t position, std::int32_t item, const char* title)
    {
        EXPECT_EQ(state(), PlayState::playing);
        EXPECT_EQ(number(), position);
        EXPECT_EQ(selection(), item);
        EXPECT_EQ(application.globals.playing.path,
            application.globals.playQueue[static_cast<std::size_t>(position - 1)]);
        advance(100); // the first report refreshes the status
        EXPECT_EQ(caption(标签1), "正在播放...");
        EXPECT_EQ(caption(标签2), title);
        EXPECT_TRUE(visible(暂停按钮));
        EXPECT_FALSE(visible(播放按钮));
    }
    void expectStopped()
    {
        EXPECT_EQ(state(), PlayState::stopped);
        EXPECT_EQ(caption(标签1), "等待播放...");
        EXPECT_EQ(caption(标签2), "");
        EXPECT_TRUE(visible(播放按钮));
        EXPECT_FALSE(visible(暂停按钮));
        EXPECT_EQ(held(), 0);
    }

    void advance(platform::Millis ms) { headless.advance(ms); }
    // Samples the window every 10 ms until the player stops, or the limit.
    std::vector<Seen> runUntilStopped(platform::Millis limit = 20'000)
    {
        std::vector<Seen> seen;
        for (platform::Millis t = 0; t < limit && state() != PlayState::stopped; t += 10) {
            advance(10);
            seen.push_back({ number(), selection(), bar() });
        }
        return seen;
    }
    std::vector<platform::headless::ShownMessageBox> missingTrackDialogs()
    {
        std::vector<platform::headless::ShownMessageBox> shown;
        for (const auto& box : headless.dialogs().messageBoxes())
            if (box.text == missingTrackText)
                shown.push_back(box);
        return shown;
    }
};

TEST_F(Playback, PlayRunsTheShowTrackAfterTrackAndStopsAfterTheLast)
{
    writeThreeTrackShow();
    application.globals.fades.fadeInStep = 7;

    click(播放按钮);
    EXPECT_EQ(application.globals.fades.fadeInStep, 0);
    EXPECT_EQ(integer(时钟4, ui::prop::timer::interval), 100);
    EXPECT_EQ(application.globals.currentStyle.get(), "慢四");
    expectPlaying(1, 1, "月光");

    const std::vector<Seen> seen = runUntilStopped();

    // Each track in turn, its record's item selected, its progress rising; the end of one
    // starts the next at once, so a 100 may lead the next track's samples.
    std::vector<std::int32_t> numbers, items;
    for (const Seen& s : seen) {
        if (numbers.empty() || numbers.back() != s.number) {
            numbers.push_back(s.number);
            items.push_back(s.selection);
        }
    }
    EXPECT_EQ(numbers, (std::vector<std::int32_t> { 1, 2, 3 }));
    EXPECT_EQ(items, (std::vector<std::int32_t> { 1, 5, 7 }));
    for (std::size_t i = 1; i < seen.size(); ++i)
        if (seen[i].number == seen[i - 1].number && seen[i - 1].bar != 100) {
            EXPECT_LE(seen[i - 1].bar, seen[i].bar) << "sample " << i;
        }
    EXPECT_LT(seen.size(), 1100u); // three tracks of about 3 s, none played twice
    EXPECT_GT(seen.size(), 800u);

    EXPECT_EQ(bar(), 100);
    EXPECT_EQ(std::get<Text>(property(标签舞曲进度, ui::prop::transLabel::caption)), "100%");
    expectStopped();
    EXPECT_EQ(number(), 3);
    advance(5000);
    EXPECT_EQ(state(), PlayState::stopped);
}

TEST_F(Playback, PauseHoldsThePercentAndPlayResumesTheSameTrackThere)
{
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") }, { "2", "快四", "", "" },
        { "3", "探戈", "晚风", track("long.mp3") },
        { "4", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    click(播放按钮);
    click(下一首按钮);
    advance(2000);
    ASSERT_EQ(number(), 2);
    application.windows.setProperty(window, 时钟2, ui::prop::timer::interval, 60'000);

    click(暂停按钮);
    EXPECT_EQ(state(), PlayState::paused);
    EXPECT_EQ(caption(标签1), "暂停播放...");
    EXPECT_TRUE(visible(播放按钮));
    EXPECT_FALSE(visible(暂停按钮));
    EXPECT_EQ(integer(时钟2, ui::prop::timer::interval), 0);
    // The player reports what has been heard.
    const std::int32_t percent = held();
    EXPECT_EQ(percent, bar());
    EXPECT_GT(percent, 10);
    EXPECT_LT(percent, 50);
    advance(5000);
    EXPECT_EQ(held(), percent);
    EXPECT_EQ(number(), 2);

    // The operator moved the selection to a heading meanwhile: the resumed track keeps its
    // style, and the selection stays where the operator left it.
    input.select(window, 树型框1, 6);
    click(播放按钮);
    EXPECT_EQ(state(), PlayState::playing);
    EXPECT_TRUE(visible(暂停按钮));
    EXPECT_FALSE(visible(播放按钮));
    EXPECT_EQ(number(), 2);
    EXPECT_EQ(selection(), 6);
    EXPECT_EQ(application.globals.currentStyle.get(), "探戈");
    // Only the rest of the track is left to play, not its full 15 s and a start-up.
    platform::Millis played = 0;
    while (number() == 2 && played < 20'000) {
        advance(10);
        played += 10;
        EXPECT_TRUE(number() != 2 || bar() >= percent);
    }
    EXPECT_LT(played, 14'000);
    EXPECT_GT(played, 7000);
    EXPECT_EQ(number(), 3);
}

TEST_F(Playback, StopClearsTheProgressKeepsTheNumberAndPlayStartsAgainAtTheFirst)
{
    writeThreeTrackShow();
    click(播放按钮);
    click(下一首按钮);
    click(下一首按钮);
    advance(1000);
    application.windows.setProperty(window, 时钟2, ui::prop::timer::interval, 60'000);

    click(停止按钮);
    EXPECT_EQ(std::get<Text>(property(标签舞曲进度, ui::prop::transLabel::caption)), "");
    EXPECT_EQ(bar(), 0);
    EXPECT_EQ(integer(时钟2, ui::prop::timer::interval), 0);
    expectStopped();
    EXPECT_EQ(number(), 3);
    advance(5000);
    EXPECT_EQ(state(), PlayState::stopped);

    click(播放按钮);
    expectPlaying(1, 1, "月光");
}

TEST_F(Playback, NextWrapsAfterTheLastAndPreviousStopsAtTheFirst)
{
    writeThreeTrackShow();
    click(下一首按钮); // from no track yet: the first
    expectPlaying(1, 1, "月光");
    click(上一首按钮);
    EXPECT_EQ(number(), 1);
    click(下一首按钮);
    expectPlaying(2, 5, "晚风");
    click(下一首按钮);
    expectPlaying(3, 7, "远方");
    click(下一首按钮);
    expectPlaying(1, 1, "月光");
    click(下一首按钮);
    click(上一首按钮);
    expectPlaying(1, 1, "月光");
}

TEST_F(Playback, ASlotBeyondAShorterShowStillPicksATrackOrStops)
{
    writeThreeTrackShow();
    // What played last was record 9 of a longer show, loaded over since.
    const auto playedLongAgo = [this] {
        application.globals.playing.record = 9;
        application.globals.playing.path = track("gone.mp3");
    };
    playedLongAgo();
    click(上一首按钮);
    expectPlaying(3, 7, "远方");
    playedLongAgo();
    click(下一首按钮);
    expectPlaying(1, 1, "月光");
    playedLongAgo();
    report(100);
    advance(10);
    expectStopped();
}

TEST_F(Playback, WithOneTrackNextDoesNothingAndItsEndStopsTheShow)
{
    writeShow({ { "1", "", "", "" }, { "2", "慢四", "月光", track("cbr_stereo_44k.mp3") } });
    click(下一首按钮);
    EXPECT_EQ(state(), PlayState::stopped);
    EXPECT_EQ(number(), 0);

    click(播放按钮);
    expectPlaying(1, 3, "月光");
    click(下一首按钮);
    EXPECT_EQ(number(), 1);
    runUntilStopped();
    expectStopped();
    EXPECT_EQ(number(), 1);
}

TEST_F(Playback, AnEmptyShowPlaysNothing)
{
    writeShow({ { "1", "慢四", "", "" } });
    click(播放按钮);
    click(下一首按钮);
    click(上一首按钮);
    EXPECT_EQ(state(), PlayState::stopped);
    EXPECT_EQ(number(), 0);
    EXPECT_TRUE(visible(播放按钮));
}

TEST_F(Playback, DoubleClickPlaysTheTrackOfThatSlotOnly)
{
    // Two slots with the same title but different files: the one clicked plays.
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") }, { "2", "快四", "", "" },
        { "3", "探戈", "月光", track("cbr_mono_44k.mp3") } });

    doubleClickItem(2); // a heading
    doubleClickItem(3); // a slot without a track
    EXPECT_EQ(state(), PlayState::stopped);
    EXPECT_EQ(number(), 0);

    doubleClickItem(5);
    EXPECT_EQ(application.globals.playing.path, track("cbr_mono_44k.mp3"));
    EXPECT_EQ(application.globals.currentStyle.get(), "探戈");
    expectPlaying(2, 5, "月光");
    runUntilStopped();
    expectStopped(); // the last track of the queue ended
}

TEST_F(Playback, WhileAnOpeningIsPendingTheEndOfATrackPlaysItAgain)
{
    writeThreeTrackShow();
    application.globals.opening.pending = true;
    click(播放按钮);
    const std::int32_t firstStart = application.globals.playing.trackSerial;
    // The track lasts about 3 s: still playing after 4 s means it started again.
    for (int step = 0; step < 400; ++step) {
        advance(10);
        ASSERT_EQ(number(), 1);
    }
    EXPECT_EQ(state(), PlayState::playing);
    EXPECT_EQ(selection(), 1);
    EXPECT_GT(application.globals.playing.trackSerial, firstStart);

    application.globals.opening.pending = false;
    advance(3000);
    EXPECT_EQ(number(), 2);
}

TEST_F(Playback, AMissingFileAsksAndOkGoesOnToTheNextTrack)
{
    writeShow({ { "1", "慢四", "月光", track("gone.mp3") },
        { "2", "探戈", "晚风", track("cbr_mono_44k.mp3") } });
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);

    click(播放按钮);

    const auto dialogs = missingTrackDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].caption, "信息：");
    EXPECT_EQ(dialogs[0].flags & 0xf, 1u); // OK and Cancel
    expectPlaying(2, 3, "晚风");
}

TEST_F(Playback, AMissingFileAnsweredWithCancelPlaysNothing)
{
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") },
        { "2", "探戈", "晚风", track("gone.mp3") } });
    click(播放按钮);
    advance(500);
    headless.dialogs().answerNextMessageBox(platform::Button::Cancel);

    click(下一首按钮);

    EXPECT_EQ(missingTrackDialogs().size(), 1u);
    EXPECT_EQ(state(), PlayState::stopped);
    // The tree and the number already point at the missing track.
    EXPECT_EQ(number(), 2);
    EXPECT_EQ(selection(), 3);
}

TEST_F(Playback, MissingFilesAnsweredWithOkWrapAfterTheLastTrack)
{
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") },
        { "2", "探戈", "晚风", track("gone.mp3") }, { "3", "华尔兹", "远方", track("lost.mp3") } });
    click(播放按钮);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);

    click(下一首按钮);

    EXPECT_EQ(missingTrackDialogs().size(), 2u);
    expectPlaying(1, 1, "月光");
}

// Each answer must not start the next track inside the question about the last one: an
// operator pressing 确认 through a show of missing files would run the stack out.
TEST_F(Playback, OkAnsweredOverMissingTracksAsksEachTimeFromTheSameDepth)
{
    writeShow(
        { { "1", "慢四", "月光", track("gone.mp3") }, { "2", "探戈", "晚风", track("lost.mp3") } });
    constexpr std::size_t answers = 50;
    for (std::size_t i = 0; i < answers; ++i)
        headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    headless.dialogs().answerNextMessageBox(platform::Button::Cancel);

    click(播放按钮);

    const auto dialogs = missingTrackDialogs();
    ASSERT_EQ(dialogs.size(), answers + 1);
    for (const auto& dialog : dialogs)
        EXPECT_EQ(dialog.stackAddress, dialogs.front().stackAddress);
    EXPECT_EQ(state(), PlayState::stopped);
    EXPECT_EQ(number(), 1); // an even count of steps over two tracks lands on the first
}

TEST_F(Playback, AtStartPlayIsShownAndPauseHidden)
{
    EXPECT_TRUE(visible(播放按钮));
    EXPECT_FALSE(visible(暂停按钮));
}

TEST_F(Playback, TheFadeInStopsWhenTheVolumeCannotBeSet)
{
    writeThreeTrackShow(); // this fixture's system volume never opens
    click(播放按钮);
    advance(1000);
    EXPECT_EQ(integer(时钟4, ui::prop::timer::interval), 0);
}

class EditWhilePlaying : public Playback {
protected:
    // Runs until the player stops, noting each track that started.
    std::vector<Text> playedUntilStopped()
    {
        std::vector<Text> played { application.globals.playing.path };
        for (int step = 0; step < 3000 && state() != PlayState::stopped; ++step) {
            advance(10);
            if (application.globals.playing.path != played.back())
                played.push_back(application.globals.playing.path);
        }
        return played;
    }
};

TEST_F(EditWhilePlaying, FillingAnEarlierSlotKeepsTheShowOnThePlayingTrack)
{
    writeShow({ { "1", "慢四", "", "" }, { "2", "探戈", "晚风", track("cbr_mono_44k.mp3") },
        { "3", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    click(播放按钮);
    advance(1000);
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") },
        { "2", "探戈", "晚风", track("cbr_mono_44k.mp3") },
        { "3", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    EXPECT_EQ(number(), 2);
    EXPECT_EQ(playedUntilStopped(),
        (std::vector<Text> { track("cbr_mono_44k.mp3"), track("mpeg2_22k.mp3") }));
}

TEST_F(EditWhilePlaying, DeletingAnEarlierSlotOrThePlayingOneSkipsNothing)
{
    writeShow({ { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") },
        { "2", "探戈", "晚风", track("cbr_mono_44k.mp3") },
        { "3", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    click(播放按钮);
    click(下一首按钮);
    advance(1000);
    writeShow({ { "1", "探戈", "晚风", track("cbr_mono_44k.mp3") },
        { "2", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    EXPECT_EQ(playedUntilStopped(),
        (std::vector<Text> { track("cbr_mono_44k.mp3"), track("mpeg2_22k.mp3") }));

    // The slot of the playing track goes: the one that took its place comes next.
    click(播放按钮);
    advance(1000);
    writeShow({ { "1", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    EXPECT_EQ(playedUntilStopped(),
        (std::vector<Text> { track("cbr_mono_44k.mp3"), track("mpeg2_22k.mp3") }));
}

TEST_F(Playback, TheFileFoundIsTheFilePlayedAndOneThatCannotPlayIsAskedAbout)
{
    for (const char* name : { "random.mp3", "empty.mp3" })
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / name, directory / name);
    // The show names the first track in other letters than the disc.
    writeShow({ { "1", "慢四", "月光", track("CBR_Stereo_44K.MP3") },
        { "2", "探戈", "噪音", track("random.mp3") }, { "3", "探戈", "空", track("empty.mp3") },
        { "4", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
    click(播放按钮);
    expectPlaying(1, 1, "月光");
    advance(1000);
    EXPECT_GT(bar(), 0); // it really plays

    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    click(下一首按钮);
    EXPECT_EQ(missingTrackDialogs().size(), 2u);
    expectPlaying(4, 7, "远方");

    headless.dialogs().answerNextMessageBox(platform::Button::Cancel);
    input.select(window, 树型框1, 3);
    input.doubleClick(window, 树型框1);
    EXPECT_EQ(missingTrackDialogs().size(), 3u);
    advance(100);
    expectStopped();
}

TEST_F(Playback, AResumeKeepsThePausedTracksStyleWhateverIsSelected)
{
    writeThreeTrackShow();
    click(播放按钮);
    click(下一首按钮);
    advance(500);
    click(暂停按钮);
    input.select(window, 树型框1, 7); // 华尔兹's track
    click(播放按钮);
    EXPECT_EQ(application.globals.currentStyle.get(), "探戈");
    EXPECT_EQ(number(), 2);
}

TEST_F(Playback, ReportsOfAReplacedPlayerAreDropped)
{
    writeThreeTrackShow();
    click(播放按钮);
    const std::int32_t first = application.globals.playing.playerSerial;
    click(下一首按钮);
    const std::int32_t second = application.globals.playing.playerSerial;
    doubleClickItem(5);
    for (const std::int32_t stale : { first, second })
        application.windows.postFeedback(window, 标签1, 100, stale);
    advance(10);
    expectPlaying(2, 5, "晚风");
}

} // namespace
} // namespace app::test
