// Building a show quickly: many tracks added at once from files or a folder, in name order,
// and slots moved with the style editor's menu and keys or by dragging in the slot tree,
// always through the scratch table and with the playing track going on.

#include "tests/app/main_window_run.h"

#include "app/playback.h"
#include "app/show_tables.h"
#include "app/track_files.h"
#include "ui/commands.h"
#include "ui/component_state.h"
#include "ui/unit_properties.h"

#include "faulty_file_system.h"
#include "private_session.h"

#include <fstream>
#include <sys/stat.h>

namespace app::test {
namespace {

namespace editor = ids::StyleEditorWindow;
namespace chooser = ids::StylePickDialog;
using namespace ids::MainWindow;

const std::vector<Slot> threeSlots { { "1", "慢四", "月光", "/m/月光.mp3" },
    { "2", "探戈", "", "" }, { "3", "快四", "晚风", "/m/晚风.mp3" } };

class SlotOrder : public MainWindowRun {
protected:
    void openEditor() { application.windows.loadWindow(editor::window, false); }

    void selectRow(std::int32_t row)
    {
        application.windows.setProperty(
            editor::window, editor::超级列表框1, ui::prop::listView::currentRow, row);
    }
    std::int32_t selectedRow()
    {
        return std::get<std::int32_t>(application.windows.property(
            editor::window, editor::超级列表框1, ui::prop::listView::currentRow));
    }
    // The chooser, once the entry opens it, picks `style`.
    void pickStyleNext(const Text& style)
    {
        headless.loop().post([this, style] {
            ui::Commands(application.windows)
                .comboSelectText(chooser::window, chooser::组合框1, style);
            input.click(chooser::window, chooser::按钮添加);
        });
    }
    void choose(std::int32_t row, const Text& entryCaption)
    {
        selectRow(row);
        input.rightClick(editor::window, editor::超级列表框1);
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == entryCaption)
                return input.menuCommand(editor::window, entry.commandId);
        FAIL() << "no menu entry";
    }
    bool menuEntryEnabled(ui::ComponentId item)
    {
        return !std::get<bool>(
            application.windows.property(editor::window, item, ui::menuProp::disabled));
    }
    std::vector<std::string> titles()
    {
        std::vector<std::string> result;
        for (const Slot& slot : readCurrentShow(application))
            result.push_back(slot.title.empty() ? "-" : slot.title);
        return result;
    }
    // Numbered 1…n in file order, the tree showing exactly the table.
    void expectWholeShow()
    {
        const std::vector<Slot> slots = readCurrentShow(application);
        const std::vector<ui::TreeItem> tree = application.windows.component(window, 树型框1)->tree;
        ASSERT_EQ(tree.size(), 2 * slots.size());
        for (std::size_t k = 0; k < slots.size(); ++k) {
            EXPECT_EQ(slots[k].number, std::to_string(k + 1));
            EXPECT_EQ(tree[2 * k].text, slots[k].number + "  " + slots[k].style);
            EXPECT_EQ(
                tree[2 * k + 1].text, slots[k].title.empty() ? "选择更换舞曲" : slots[k].title);
        }
        EXPECT_EQ(application.databases.openCount(), 0u);
    }
    void writeFile(const fs::path& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }
};

// The probe never waits on a FIFO named like a track, and a read that fails is reported as
// such rather than as a file that holds no audio.
TEST(TrackProbe, WhatCannotBeReadIsNamedAsUnopenable)
{
    const fs::path folder = makeScratchDirectory("track_probe");
    const fs::path good = folder / "good.mp3";
    fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", good);
    ASSERT_EQ(::mkfifo((folder / "pipe.mp3").c_str(), 0600), 0);
    platform::FileSystem& files = platform::systemFileSystem();

    EXPECT_EQ(whyUnplayable(good.string(), files), std::nullopt);
    EXPECT_EQ(whyUnplayable((folder / "pipe.mp3").string(), files), Text("无法打开"));
    support::FaultyFileSystem failing;
    failing.failEvery({ support::FileCall::readAt }, EIO);
    EXPECT_EQ(whyUnplayable(good.string(), failing), Text("无法打开"));
    fs::remove_all(folder);
}

TEST_F(SlotOrder, AFolderOfFortyTracksBecomesSlotsInNameOrderAndTheUnreadableAreListed)
{
    saveShow(u8"周六.dat", threeSlots);
    start();
    const fs::path folder = directory / "tracks";
    fs::create_directories(folder);
    for (int k = 1; k <= 40; ++k) {
        const fs::path file = folder / ("track " + std::to_string(k) + ".mp3");
        if (k == 7)
            writeFile(file, "not audio at all");
        else if (k == 23)
            fs::create_symlink(folder / "gone.mp3", file);
        else
            fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", file);
    }
    writeFile(folder / "cover.jpg", "a picture");
    openEditor();

    pickStyleNext("慢四");
    headless.dialogs().answerNextOpenFiles({ folder.string() });
    choose(-1, "批量添加舞曲");

    EXPECT_EQ(messageTexts(),
        std::vector<std::string> { "添加成功！ 38 首\r\n\r\n以下文件未能添加：\r\n"
                                   "track 7.mp3：不是可播放的MP3文件\r\n"
                                   "track 23.mp3：无法打开" });
    const std::vector<Slot> slots = readCurrentShow(application);
    ASSERT_EQ(slots.size(), 41u);
    std::vector<int> numbers;
    for (std::size_t k = 3; k < slots.size(); ++k) {
        EXPECT_EQ(slots[k].style, "慢四");
        EXPECT_EQ(slots[k].path, (folder / (slots[k].title + ".mp3")).string());
        numbers.push_back(std::stoi(slots[k].title.substr(6)));
    }
    std::vector<int> expected;
    for (int k = 1; k <= 40; ++k)
        if (k != 7 && k != 23)
            expected.push_back(k);
    EXPECT_EQ(numbers, expected);
    EXPECT_TRUE(application.globals.chosenStyle.empty());
    EXPECT_EQ(application.windows.component(editor::window, editor::超级列表框1)->rows.size(), 41u);
    expectWholeShow();
}

TEST_F(SlotOrder, AddingManyTracksThatCannotBeWrittenLeavesTheShowAsItWas)
{
    saveShow(u8"周六.dat", threeSlots);
    start();
    for (const char* name : { "b.mp3", "a.mp3" })
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / "cbr_mono_44k.mp3", directory / name);
    // A folder where the scratch table should be: it cannot be written.
    fs::remove(directory / "dqqfls.dat");
    fs::create_directory(directory / "dqqfls.dat");
    const std::string before = contents(directory / "dqqf.dat");
    openEditor();

    pickStyleNext("慢四");
    headless.dialogs().answerNextOpenFiles(
        { (directory / "b.mp3").string(), (directory / "a.mp3").string() });
    choose(-1, "批量添加舞曲");

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "添加失败！场次没有改变。" });
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(application.globals.chosenStyle, "慢四") << "kept for the next try";
}

TEST_F(SlotOrder, ChosenFilesAreTakenInTheOrderAnOperatorReadsTheirNames)
{
    const std::vector<Text> paths { "/m/10 探戈.mp3", "/z/2 慢四.mp3", "/a/Track.mp3",
        "/b/track.mp3", "/m/02 华尔兹.mp3" };
    std::vector<Text> sorted = paths;
    std::sort(sorted.begin(), sorted.end(), comesBeforeByName);
    EXPECT_EQ(sorted,
        (std::vector<Text> { "/m/02 华尔兹.mp3", "/z/2 慢四.mp3", "/m/10 探戈.mp3", "/a/Track.mp3",
            "/b/track.mp3" }));
}

TEST_F(SlotOrder, UpAndDownMoveTheSelectedSlotWithItsTrackAndKeepItSelected)
{
    saveShow(u8"周六.dat", threeSlots);
    start();
    openEditor();

    selectRow(0);
    input.rightClick(editor::window, editor::超级列表框1);
    EXPECT_FALSE(menuEntryEnabled(editor::上移));
    EXPECT_TRUE(menuEntryEnabled(editor::下移));
    selectRow(2);
    input.rightClick(editor::window, editor::超级列表框1);
    EXPECT_TRUE(menuEntryEnabled(editor::上移));
    EXPECT_FALSE(menuEntryEnabled(editor::下移));

    choose(0, "下移");
    EXPECT_EQ(titles(), (std::vector<std::string> { "-", "月光", "晚风" }));
    EXPECT_EQ(selectedRow(), 1);
    input.key(editor::window, editor::超级列表框1, true, ui::keyCode::down, ui::keys::ctrl);
    EXPECT_EQ(titles(), (std::vector<std::string> { "-", "晚风", "月光" }));
    EXPECT_EQ(selectedRow(), 2);
    // Past the end, and without Ctrl, nothing moves.
    input.key(editor::window, editor::超级列表框1, true, ui::keyCode::down, ui::keys::ctrl);
    input.key(editor::window, editor::超级列表框1, true, ui::keyCode::up, 0);
    EXPECT_EQ(titles(), (std::vector<std::string> { "-", "晚风", "月光" }));
    input.key(editor::window, editor::超级列表框1, true, ui::keyCode::up, ui::keys::ctrl);
    EXPECT_EQ(titles(), (std::vector<std::string> { "-", "月光", "晚风" }));
    expectWholeShow();
    EXPECT_TRUE(messageTexts().empty());

    application.windows.close(editor::window, 0);
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));
}

TEST_F(SlotOrder, ASlotDroppedOnAnotherTakesItsPlaceAndTheSavedShowFollows)
{
    saveShow(u8"周六.dat", threeSlots);
    start();

    // The track of slot 3 onto the heading of slot 1.
    input.dropTreeItem(window, 树型框1, 5, 0);
    EXPECT_EQ(titles(), (std::vector<std::string> { "晚风", "月光", "-" }));
    expectWholeShow();
    EXPECT_EQ(application.globals.playQueue, (std::vector<Text> { "/m/晚风.mp3", "/m/月光.mp3" }));
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));

    // A drop that cannot be written changes nothing.
    fs::remove(directory / "dqqfls.dat");
    fs::create_directory(directory / "dqqfls.dat");
    const std::string before = contents(directory / "dqqf.dat");
    input.dropTreeItem(window, 树型框1, 0, 4);
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    expectWholeShow();
}

// A show listed under a name of spaces only (its file put in lb by hand) has no file of its
// own to keep in step: the moved slots stay in the table as unsaved work, without a message.
TEST_F(SlotOrder, ADropInAShowNamedOnlyBySpacesSavesNoFile)
{
    saveShow(" .dat", threeSlots);
    writeCurrentShow(threeSlots);
    start();
    ASSERT_EQ(std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)), " ");

    input.dropTreeItem(window, 树型框1, 5, 0);

    EXPECT_EQ(titles(), (std::vector<std::string> { "晚风", "月光", "-" }));
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(directory / "lb"), {}), 1);
}

TEST_F(SlotOrder, TheTrackPlayingGoesOnPlayingWhenSlotsMoveAndNextFollowsTheNewOrder)
{
    for (const char* name : { "cbr_stereo_44k.mp3", "cbr_mono_44k.mp3", "id3v24.mp3" })
        fs::copy_file(fs::path(MEDIA_TEST_DATA) / name, directory / name);
    const Text first = (directory / "cbr_stereo_44k.mp3").string();
    const Text second = (directory / "cbr_mono_44k.mp3").string();
    const Text third = (directory / "id3v24.mp3").string();
    saveShow(u8"周六.dat",
        { { "1", "慢四", "一", first }, { "2", "探戈", "二", second },
            { "3", "快四", "三", third } });
    start();
    input.click(window, 播放按钮);
    ASSERT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);

    // The playing first slot goes last.
    input.dropTreeItem(window, 树型框1, 0, 4);
    EXPECT_EQ(titles(), (std::vector<std::string> { "二", "三", "一" }));
    EXPECT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);
    EXPECT_EQ(application.globals.playing.path, first);
    EXPECT_EQ(currentTrackNumber(application), 3);
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(树型框1, ui::prop::treeBox::selection)), 5);

    // After the last slot the show goes round to what is now the first.
    input.click(window, 下一首按钮);
    EXPECT_EQ(application.globals.playing.path, second);
    EXPECT_EQ(currentTrackNumber(application), 1);
    application.trackPlayer.stopPlaying();
}

} // namespace
} // namespace app::test
