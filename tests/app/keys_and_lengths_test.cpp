// The main window's keys, pressed through the input API wherever the focus is, and the
// lengths of the show's tracks: measured in the background, kept in memory, shown beside the
// titles, added up under the show's name and counted down on the status row.

#include "tests/app/main_window_run.h"

#include "app/playback.h"
#include "app/show_tables.h"
#include "app/track_durations.h"
#include "ui/unit_properties.h"

#include <fstream>

namespace app::test {
namespace {

using namespace ids::MainWindow;
using media::PlayState;
namespace keyCode = ui::keyCode;

class KeysAndLengths : public MainWindowRun {
protected:
    KeysAndLengths()
    {
        for (const char* name : { "cbr_stereo_44k.mp3", "cbr_mono_44k.mp3" })
            fs::copy_file(fs::path(MEDIA_TEST_DATA) / name, directory / name);
        std::ofstream longTrack(directory / "long.mp3", std::ios::binary);
        for (int copy = 0; copy < 4; ++copy)
            longTrack << std::ifstream(directory / "cbr_stereo_44k.mp3", std::ios::binary).rdbuf();
        saveShow(u8"周六.dat",
            { { "1", "慢四", "一", track("cbr_stereo_44k.mp3") }, { "2", "探戈", "", "" },
                { "3", "快四", "二", track("cbr_mono_44k.mp3") },
                { "4", "华尔兹", "三", track("long.mp3") },
                { "5", "伦巴", "四", track("gone.mp3") } });
        start();
    }
    ~KeysAndLengths() override { application.trackPlayer.stopPlaying(); }

    Text track(const char* name) const { return (directory / name).string(); }
    void press(ui::ComponentId focused, std::int32_t code, std::int32_t keys = 0)
    {
        input.key(window, focused, true, code, keys);
        input.key(window, focused, false, code, keys);
    }
    media::PlayState state() const { return application.trackPlayer.queryPlayState(); }
    std::vector<Text> notes()
    {
        std::vector<Text> result;
        const std::vector<ui::TreeItem> items
            = application.windows.component(window, 树型框1)->tree;
        for (const ui::TreeItem& item : items)
            result.push_back(item.note);
        return result;
    }
    Text caption(ui::ComponentId label, int number = ui::prop::label::caption)
    {
        return std::get<Text>(mainProperty(label, number));
    }
    void waitForLengths()
    {
        ASSERT_TRUE(headless.loop().runUntil([this] { return !notes()[1].empty(); }));
    }
};

TEST_F(KeysAndLengths, SpaceEscAndCtrlArrowsWorkWhereverTheFocusIsAndEnterPlaysTheTreeItem)
{
    press(超级列表框1, keyCode::space);
    EXPECT_EQ(state(), PlayState::playing);
    EXPECT_EQ(currentTrackNumber(application), 1);
    press(树型框1, keyCode::right, ui::keys::ctrl);
    EXPECT_EQ(currentTrackNumber(application), 2);
    press(停止按钮, keyCode::left, ui::keys::ctrl);
    EXPECT_EQ(currentTrackNumber(application), 1);
    press(0, keyCode::space);
    EXPECT_EQ(state(), PlayState::paused);
    press(树型框1, keyCode::space);
    EXPECT_EQ(state(), PlayState::playing);
    press(树型框1, keyCode::escape);
    EXPECT_EQ(state(), PlayState::stopped);

    // Without its modifier an arrow is the focused control's own business.
    press(树型框1, keyCode::right);
    EXPECT_EQ(state(), PlayState::stopped);

    input.select(window, 树型框1, 5);
    press(树型框1, keyCode::enter);
    EXPECT_EQ(state(), PlayState::playing);
    EXPECT_EQ(application.globals.playing.path, track("cbr_mono_44k.mp3"));
}

TEST_F(KeysAndLengths, TheButtonsSayTheirKeys)
{
    for (auto [button, key] : { std::pair { 播放按钮, "空格" }, std::pair { 暂停按钮, "空格" },
             std::pair { 停止按钮, "Esc" }, std::pair { 上一首按钮, "Ctrl+←" },
             std::pair { 下一首按钮, "Ctrl+→" } })
        EXPECT_NE(application.windows.component(window, button)->tag.find(key), Text::npos);
}

TEST_F(KeysAndLengths, LengthsAppearBesideTheTitlesAndAddUpUnderTheShowName)
{
    EXPECT_NE(caption(标签总时长).find("测量中"), Text::npos);
    waitForLengths();

    EXPECT_EQ(
        notes(), (std::vector<Text> { "", "00:03", "", "", "", "00:03", "", "00:12", "", "" }));
    EXPECT_EQ(caption(标签总时长), "总时长：00:18（1 首无法测量）");
    // The titles themselves stay as they are: the play line and the style read them.
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree[1].text, "一");

    // A rebuilt tree shows the lengths at once, from memory.
    input.click(window, 新建列表按钮);
    EXPECT_EQ(caption(标签总时长), "总时长：00:00");
    input.doubleClick(window, 超级列表框1);
    EXPECT_EQ(notes()[1], "00:03");
}

TEST_F(KeysAndLengths, TheStatusRowCountsDownTheCurrentTrack)
{
    waitForLengths();
    input.click(window, 播放按钮);
    headless.advance(500);
    const Text left = caption(标签剩余时间, ui::prop::transLabel::caption);
    EXPECT_TRUE(left.starts_with("-00:0")) << left;

    input.click(window, 停止按钮);
    headless.advance(500);
    EXPECT_EQ(caption(标签剩余时间, ui::prop::transLabel::caption), "");
}

TEST(TrackDurationsCache, MeasuresATrackOnceAndAgainOnlyWhenItsFileChanged)
{
    platform::headless::HeadlessPlatform headless;
    const fs::path folder = fs::temp_directory_path() / ("lengths_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path track = folder / "a.mp3";
    fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", track);
    const fs::path other = folder / "b.mp3";
    fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", other);
    {
        TrackDurations durations(headless.loop(), platform::systemFileSystem());
        std::vector<std::string> reports;
        auto measure = [&](const fs::path& path, const char* name) {
            EXPECT_TRUE(durations.request(
                { path.string() }, [&reports, name] { reports.push_back(name); }));
        };
        measure(track, "first");
        measure(track, "unchanged");
        measure(other, "other");
        ASSERT_TRUE(headless.loop().runUntil([&] { return reports.size() == 2; }));
        EXPECT_EQ(reports, (std::vector<std::string> { "first", "other" }));
        const TrackDurations::Length once = durations.length(track.string());
        EXPECT_EQ(once.state, TrackDurations::State::measured);
        EXPECT_EQ(durations.currentLength(track.string()), once.millis);

        std::ofstream(track, std::ios::binary | std::ios::app)
            << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", std::ios::binary)
                   .rdbuf();
        EXPECT_EQ(durations.currentLength(track.string()), std::nullopt) << "changed since";
        measure(track, "grown");
        measure(folder / "gone.mp3", "gone");
        ASSERT_TRUE(headless.loop().runUntil([&] { return reports.size() == 4; }));
        EXPECT_GT(durations.length(track.string()).millis, once.millis);
        EXPECT_EQ(durations.currentLength(track.string()), durations.length(track.string()).millis);
        EXPECT_EQ(durations.currentLength((folder / "gone.mp3").string()), std::nullopt);
        EXPECT_EQ(durations.length((folder / "gone.mp3").string()).state,
            TrackDurations::State::unmeasurable);
        EXPECT_EQ(durations.length((folder / "never.mp3").string()).state,
            TrackDurations::State::unknown);
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace app::test
