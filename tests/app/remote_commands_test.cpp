// The remote's commands and state on the headless platform, in virtual time: a command from
// the remote leaves the application exactly as the main window's own control does, and the
// state the pages read follows what the window shows.

#include "app/application.h"
#include "app/remote_commands.h"
#include "app/remote_state.h"
#include "app/show_list.h"
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
#include <functional>
#include <string>
#include <vector>

namespace app::test {
namespace {

namespace fs = std::filesystem;
using namespace ids::MainWindow;
using media::PlayState;
using ui::RemoteAnswer;
using Kind = ui::RemoteCommand::Kind;

// The file compiles its plain literals to GBK; the remote speaks UTF-8.
std::string utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

// A hall with a four-slot show (the second without a track) and two saved shows, its main
// window loaded.
class Hall : public HallWithTracks {
public:
    Hall()
        : HallWithTracks("remote")
    {
        writeShowTable(application.databases, directory / "dqqf.dat",
            { { "1", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
        (void)saveShowFile(application, "周日");
        writeShowTable(application.databases, directory / "dqqf.dat",
            { { "1", "慢四", "月光", track("cbr_stereo_44k.mp3") }, { "2", "快四", "", "" },
                { "3", "探戈", "晚风", track("cbr_mono_44k.mp3") },
                { "4", "华尔兹", "远方", track("mpeg2_22k.mp3") } });
        (void)saveShowFile(application, "周六");
        application.windows.setProperty(window, 标签场次, ui::prop::label::caption, Text("周六"));
        fillShowList(application);
        refreshShowView(application);
    }
    void advance(platform::Millis ms) { headless.advance(ms); }
    RemoteState state() { return remoteState(application); }
    std::string json() { return remoteStateJson(state()); }
    RemoteAnswer remote(Kind kind, std::int32_t slot = 0, std::string show = {})
    {
        return runRemoteCommand(application, { kind, slot, std::move(show) });
    }
    void click(ui::ComponentId button) { input.click(window, button); }
    void doubleClick(ui::ComponentId list, std::int32_t index)
    {
        input.select(window, list, index);
        input.doubleClick(window, list);
    }
};

// One step of an evening, done once through the window and once through the remote.
struct Step {
    const char* name;
    std::function<void(Hall&)> byWindow;
    Kind kind;
    std::int32_t slot;
    std::string show;
};

// The state after each step, each step followed by a second and a half of playing.
std::vector<std::string> runSteps(const std::vector<Step>& steps, bool byRemote)
{
    Hall hall;
    std::vector<std::string> seen;
    for (const Step& step : steps) {
        if (byRemote)
            EXPECT_EQ(hall.remote(step.kind, step.slot, step.show), RemoteAnswer::done)
                << step.name;
        else
            step.byWindow(hall);
        hall.advance(1500);
        seen.push_back(std::string(step.name) + " " + hall.json());
    }
    return seen;
}

TEST(RemoteCommands, EachCommandLeavesTheHallAsTheWindowsOwnControlDoes)
{
    const std::vector<Step> steps {
        { "play", [](Hall& h) { h.click(播放按钮); }, Kind::playOrPause, 0, {} },
        { "pause", [](Hall& h) { h.click(暂停按钮); }, Kind::playOrPause, 0, {} },
        { "resume", [](Hall& h) { h.click(播放按钮); }, Kind::playOrPause, 0, {} },
        { "next", [](Hall& h) { h.click(下一首按钮); }, Kind::next, 0, {} },
        { "next again", [](Hall& h) { h.click(下一首按钮); }, Kind::next, 0, {} },
        { "previous", [](Hall& h) { h.click(上一首按钮); }, Kind::previous, 0, {} },
        { "slot 4", [](Hall& h) { h.doubleClick(树型框1, 7); }, Kind::playSlot, 4, {} },
        { "slot 1", [](Hall& h) { h.doubleClick(树型框1, 1); }, Kind::playSlot, 1, {} },
        { "stop", [](Hall& h) { h.click(停止按钮); }, Kind::stop, 0, {} },
        { "load 周日", [](Hall& h) { h.doubleClick(超级列表框1, 1); }, Kind::loadShow, 0,
            utf8(u8"周日") },
        { "play 周日", [](Hall& h) { h.click(播放按钮); }, Kind::playOrPause, 0, {} },
    };
    const std::vector<std::string> byWindow = runSteps(steps, false);
    const std::vector<std::string> byRemote = runSteps(steps, true);
    ASSERT_EQ(byWindow.size(), byRemote.size());
    for (std::size_t k = 0; k < byWindow.size(); ++k)
        EXPECT_EQ(byRemote[k], byWindow[k]);
    // The runs really went somewhere: the last step plays the loaded show.
    EXPECT_NE(byRemote.back().find(utf8(u8"\"show\":\"周日\"")), std::string::npos)
        << byRemote.back();
    EXPECT_NE(byRemote.back().find("\"play\":\"playing\""), std::string::npos);
}

TEST(RemoteCommands, ASlotWithoutATrackOrAnUnknownShowChangesNothing)
{
    Hall hall;
    const std::string before = hall.json();
    for (const std::int32_t slot : { 0, 2, 5, -1 })
        EXPECT_EQ(hall.remote(Kind::playSlot, slot), RemoteAnswer::unknown) << slot;
    for (const char8_t* show : { u8"", u8"周五", u8"周六/../周日", u8"*  周六" })
        EXPECT_EQ(hall.remote(Kind::loadShow, 0, utf8(show)), RemoteAnswer::unknown);
    hall.advance(1000);
    EXPECT_EQ(hall.json(), before);
    EXPECT_EQ(hall.application.trackPlayer.queryPlayState(), PlayState::stopped);
}

TEST(RemoteCommands, AControlTheWindowDropsInputForIsBusyAndNothingPlays)
{
    Hall hall;
    hall.application.windows.setProperty(window, 分组框3, ui::prop::disabled, true);
    EXPECT_EQ(hall.remote(Kind::playOrPause), RemoteAnswer::busy);
    EXPECT_EQ(hall.remote(Kind::next), RemoteAnswer::busy);
    hall.advance(500);
    EXPECT_EQ(hall.application.trackPlayer.queryPlayState(), PlayState::stopped);
}

TEST(RemoteState, FollowsThePlayingSlotItsStyleTheNextStyleAndTheTimePlayed)
{
    Hall hall;
    RemoteState state = hall.state();
    EXPECT_EQ(state.play, PlayState::stopped);
    EXPECT_EQ(state.playingSlot, 0);
    EXPECT_EQ(state.style, "");
    EXPECT_EQ(state.nextStyle, "慢四"); // 下一曲 before any start plays the first track
    ASSERT_EQ(state.slots.size(), 4u);
    EXPECT_EQ(state.slots[2].title, "晚风");
    EXPECT_FALSE(state.slots[1].hasTrack);
    EXPECT_EQ(state.shows, (std::vector<Text> { "周六", "周日" }));
    EXPECT_EQ(state.show, "周六");

    ASSERT_EQ(hall.remote(Kind::playSlot, 3), RemoteAnswer::done);
    hall.advance(1000);
    state = hall.state();
    EXPECT_EQ(state.play, PlayState::playing);
    EXPECT_EQ(state.playingSlot, 3);
    EXPECT_EQ(state.style, "探戈");
    EXPECT_EQ(state.title, "晚风");
    EXPECT_EQ(state.nextStyle, "华尔兹");
    EXPECT_GE(state.played, 900);
    EXPECT_LE(state.played, 1100);
    // Playing, only the passing time changes: the text the pages get stays the same.
    const std::string playing = hall.json();
    hall.advance(700);
    EXPECT_EQ(hall.json(), playing);

    // After the last track, 下一曲 wraps to the first.
    ASSERT_EQ(hall.remote(Kind::next), RemoteAnswer::done);
    hall.advance(100);
    EXPECT_EQ(hall.state().playingSlot, 4);
    EXPECT_EQ(hall.state().nextStyle, "慢四");

    // Paused, the time played stands still.
    ASSERT_EQ(hall.remote(Kind::playOrPause), RemoteAnswer::done);
    const platform::Millis held = hall.state().played;
    hall.advance(2000);
    EXPECT_EQ(hall.state().play, PlayState::paused);
    EXPECT_EQ(hall.state().played, held);
}

// A show loaded while a track plays stops it: the style that was on is not the new show's.
// Without a time limit, the time left is the track's.
TEST(RemoteState, ShowsTheTimeLeftInATrackWithoutLimitAndNoStyleOnceALoadStopsIt)
{
    Hall hall;
    ASSERT_EQ(hall.remote(Kind::playSlot, 3), RemoteAnswer::done);
    hall.advance(1000);
    RemoteState state = hall.state();
    ASSERT_EQ(state.play, PlayState::playing);
    EXPECT_EQ(state.style, "探戈");
    EXPECT_EQ(state.limitLeft, std::nullopt);
    const TrackDurations::Length length
        = hall.application.durations.length(hall.track("cbr_mono_44k.mp3"));
    ASSERT_EQ(length.state, TrackDurations::State::measured);
    ASSERT_TRUE(state.trackLeft);
    EXPECT_EQ(*state.trackLeft, length.millis - state.played);
    EXPECT_NE(hall.json().find("\"trackEndsAt\":" + std::to_string(state.now + *state.trackLeft)),
        std::string::npos)
        << hall.json();

    ASSERT_EQ(hall.remote(Kind::loadShow, 0, utf8(u8"周日")), RemoteAnswer::done);
    hall.advance(500);
    state = hall.state();
    EXPECT_EQ(state.play, PlayState::stopped);
    EXPECT_EQ(state.show, "周日");
    EXPECT_EQ(state.style, "");
    EXPECT_EQ(state.trackLeft, std::nullopt);
    EXPECT_NE(hall.json().find(R"("style":"")"), std::string::npos) << hall.json();
}

// The server reads the state between any two events, also inside a question a handler asks
// while it holds the show table open.
TEST(RemoteState, IsReadWithoutTouchingAShowTableAHandlerHasOpen)
{
    Hall hall;
    OpenTable table(hall.application, tables::currentShow);
    ASSERT_TRUE(table.isOpen());
    const RemoteState state = hall.state();
    ASSERT_EQ(state.slots.size(), 4u);
    EXPECT_EQ(state.slots[3].style, "华尔兹");
    EXPECT_EQ(table.readText(fields::style), "慢四");
    EXPECT_EQ(hall.application.databases.recordCount(), 4);
}

TEST(RemoteState, JsonEscapesQuotesBackslashesAndControlsAndWritesUtf8)
{
    RemoteState state;
    state.title = "a\"b\\c\nd";
    state.style = "探戈";
    state.slots.push_back({ "1", "快四", "", false });
    state.limitLeft = 61'000;
    state.played = 5'000;
    state.now = 100'000;
    state.play = media::PlayState::paused;
    const std::string json = remoteStateJson(state);
    EXPECT_NE(json.find(R"("title":"a\"b\\c\u000ad")"), std::string::npos) << json;
    EXPECT_NE(json.find("\"style\":\"\xE6\x8E\xA2\xE6\x88\x88\""), std::string::npos) << json;
    EXPECT_NE(json.find(R"("played":5000,"playedFrom":null,"limitLeft":61000,"limitAt":null)"),
        std::string::npos)
        << json;
    // Playing, the times become the moments they count from and to.
    state.play = media::PlayState::playing;
    EXPECT_NE(remoteStateJson(state).find(
                  R"("played":null,"playedFrom":95000,"limitLeft":null,"limitAt":161000)"),
        std::string::npos)
        << remoteStateJson(state);
    EXPECT_NE(json.find("\"volume\":null"), std::string::npos);
    EXPECT_NE(json.find(R"("hasTrack":false)"), std::string::npos);
}

} // namespace
} // namespace app::test
