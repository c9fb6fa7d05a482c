// Editing shows from the main window: saving under a name, loading, starting a new show,
// deleting a saved one and giving a slot its track file.

#include "tests/app/main_window_run.h"

#include "app/show_tables.h"
#include "app/show_views.h"
#include "platform/encoding.h"
#include "runtime/ini_file.h"
#include "ui/unit_properties.h"

#include "faulty_file_system.h"

#include <cerrno>
#include <fstream>

namespace app::test {
namespace {

using namespace ids::MainWindow;
namespace saveDialog = ids::SaveShowDialog;

const std::vector<Slot> saturday { { "1", "慢四", "月光", "/m/月光.mp3" },
    { "2", "探戈", "", "" } };
const std::vector<Slot> sunday { { "1", "快四", "晚风", "/m/晚风.mp3" } };

class ShowEditing : public MainWindowRun {
protected:
    explicit ShowEditing(platform::FileSystem& files = platform::systemFileSystem())
        : MainWindowRun(files)
    {
    }
    Text caption() { return std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)); }
    std::vector<ui::TreeItem> tree()
    {
        return application.windows.component(window, 树型框1)->tree;
    }
    // The operator types a name into the save dialog once it is open and clicks a button.
    void answerSaveDialog(const Text& name, ui::ComponentId button)
    {
        headless.loop().post([this, name, button] {
            input.typeText(saveDialog::window, saveDialog::编辑框1, name);
            input.click(saveDialog::window, button);
        });
    }
    void saveAs(const Text& name)
    {
        answerSaveDialog(name, saveDialog::按钮1);
        input.click(window, 另存列表按钮);
    }
    void chooseFromLastMenu(const Text& entryCaption)
    {
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        ASSERT_FALSE(menus.empty());
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == entryCaption)
                return input.menuCommand(window, entry.commandId);
        FAIL() << "no menu entry";
    }
    void loadRow(std::int32_t row)
    {
        application.windows.setProperty(window, 超级列表框1, ui::prop::listView::currentRow, row);
        input.doubleClick(window, 超级列表框1);
    }
};

// The window's files go through a file system that a test makes fail.
struct FaultyFiles {
    support::FaultyFileSystem files;
};
class ShowEditingOnAFailingDisk : private FaultyFiles, public ShowEditing {
protected:
    ShowEditingOnAFailingDisk()
        : ShowEditing(FaultyFiles::files)
    {
    }
    support::FaultyFileSystem& disk() { return FaultyFiles::files; }
    Text rememberedShow()
    {
        return runtime::readIniEntry((directory / "lastshow.ini").string(), "场次", "当前场次");
    }
};

TEST_F(ShowEditing, ASavedShowLoadsBackByteForByteUnderItsNameWithoutSpaces)
{
    writeCurrentShow(saturday);
    start();
    const std::string saved = contents(directory / "dqqf.dat");

    saveAs("周 末");

    EXPECT_FALSE(application.windows.isLoaded(saveDialog::window));
    EXPECT_EQ(messageTexts(), std::vector<std::string> { "保存播放列表成功！" });
    EXPECT_EQ(contents(directory / "lb" / u8"周末.dat"), saved);
    EXPECT_EQ(showRows(), std::vector<Text> { "*  周末" });
    EXPECT_EQ(caption(), "周 末");

    input.click(window, 新建列表按钮);
    EXPECT_EQ(caption(), "新建场次");
    EXPECT_TRUE(tree().empty());
    EXPECT_TRUE(application.globals.playQueue.empty());
    EXPECT_TRUE(readCurrentShow(application).empty());

    loadRow(0);
    EXPECT_EQ(contents(directory / "dqqf.dat"), saved);
    EXPECT_EQ(caption(), "周末");
    EXPECT_EQ(tree().size(), 4u);
    EXPECT_EQ(application.globals.playQueue, std::vector<Text> { "/m/月光.mp3" });
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowEditing, AnEmptyNameIsRefusedAndTheDialogStaysUntilNotSaving)
{
    start();
    headless.loop().post([this] { input.click(saveDialog::window, saveDialog::按钮1); });
    headless.loop().post([this] {
        EXPECT_TRUE(application.windows.isLoaded(saveDialog::window));
        input.click(saveDialog::window, saveDialog::按钮2);
    });
    input.click(window, 另存列表按钮);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "列表名称不能为空" });
    EXPECT_FALSE(application.windows.isLoaded(saveDialog::window));
    EXPECT_TRUE(fs::is_empty(directory / "lb"));
}

TEST_F(ShowEditing, AFailedSaveIsReportedAndKeepsTheDialogOpen)
{
    start();
    // A plain file where the folder should be: no save can go in, whoever runs the test.
    fs::remove_all(directory / "lb");
    std::ofstream(directory / "lb") << "not a folder";
    answerSaveDialog("周末", saveDialog::按钮1);
    headless.loop().post([this] {
        EXPECT_TRUE(application.windows.isLoaded(saveDialog::window));
        input.click(saveDialog::window, saveDialog::按钮2);
    });
    input.click(window, 另存列表按钮);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "保存播放列表失败！" });
    EXPECT_EQ(caption(), "");
}

// A show whose file cannot be copied in is not named: the table still holds the previous
// show, and a caption naming another would have that show's file overwritten at the next edit.
// Names that would leave lb/, hold a separator or control character, or not fit the file
// system with the temporary name, are refused before anything is written.
TEST_F(ShowEditing, NamesThatCannotBeAShowFileAreRefusedWithTheReason)
{
    start();
    const std::string styles = contents(directory / "ss.dat");
    const std::string catalogue = contents(directory / "qfsz.dat");
    const std::string forbidden
        = "场次名称不能含有 / 、\\ 或控制字符，也不能是 . 或 ..，请换一个名称";
    Text tooLong;
    for (int k = 0; k < 82; ++k)
        tooLong += "周";
    const std::vector<std::pair<Text, std::string>> cases { { "../ss", forbidden },
        { "../qfsz", forbidden }, { "12/24", forbidden }, { "周\\六", forbidden },
        { ".", forbidden }, { " . . ", forbidden }, { "周\t六", forbidden },
        { "周\x7f", forbidden }, { tooLong, "场次名称太长，请换一个短一些的名称" },
        { "  \xA1\xA1 ", "列表名称不能为空" } };
    for (const auto& [name, message] : cases) {
        answerSaveDialog(name, saveDialog::按钮1);
        headless.loop().post([this] {
            EXPECT_TRUE(application.windows.isLoaded(saveDialog::window));
            input.click(saveDialog::window, saveDialog::按钮2);
        });
        input.click(window, 另存列表按钮);
        ASSERT_FALSE(messageTexts().empty());
        EXPECT_EQ(messageTexts().back(), message) << name;
    }
    EXPECT_EQ(messageTexts().size(), cases.size());
    EXPECT_TRUE(fs::is_empty(directory / "lb"));
    EXPECT_EQ(contents(directory / "ss.dat"), styles);
    EXPECT_EQ(contents(directory / "qfsz.dat"), catalogue);
}

// 81 Chinese characters take 243 bytes on disk: with ".dat" and the temporary name's eight
// bytes that is the file system's 255. A GBK character whose trail byte is 0x5C is no "\\".
TEST_F(ShowEditing, TheLongestNameThatFitsAndATrailByteLikeABackslashAreSaved)
{
    writeCurrentShow(saturday);
    start();
    Text longest;
    for (int k = 0; k < 81; ++k)
        longest += "周";
    for (const Text& name : { longest, Text("\xD5\x5C") }) { // the latter is 誠 in GBK
        saveAs(name);
        EXPECT_EQ(messageTexts().back(), "保存播放列表成功！");
        EXPECT_EQ(caption(), name);
    }
    EXPECT_EQ(showRows().size(), 2u);
    EXPECT_TRUE(fs::exists(directory / "lb" / (platform::gbkToUtf8(longest) + ".dat")));
}

TEST_F(ShowEditing, AMissingShowFolderIsCreatedBySaving)
{
    writeCurrentShow(saturday);
    fs::remove_all(directory / "lb");
    start();

    saveAs("周六");

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "保存播放列表成功！" });
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));
}

// Files copied from an existing installation: upper-case extension, GBK bytes in the name.
TEST_F(ShowEditing, DatInCapitalsAndGbkNamesLoadSaveAndDelete)
{
    saveShow("\xD6\xDC\xC8\xD5.DAT", sunday); // 周日
    saveShow(u8"周六.DAT", saturday);
    start();
    ASSERT_EQ(showRows(), (std::vector<Text> { "*  周六", "*  周日" }));
    loadRow(1);
    EXPECT_EQ(caption(), "周日");
    EXPECT_EQ(tree().size(), 2u);

    // Saving under an existing name replaces that file rather than adding a second one.
    saveAs("周日");
    EXPECT_EQ(showRows().size(), 2u);
    EXPECT_FALSE(fs::exists(directory / "lb" / u8"周日.dat"));

    application.windows.setProperty(window, 超级列表框1, ui::prop::listView::currentRow, 1);
    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");
    EXPECT_FALSE(fs::exists(directory / "lb" / "\xD6\xDC\xC8\xD5.DAT"));
    EXPECT_EQ(showRows(), std::vector<Text> { "*  周六" });
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(tree().size(), 4u);
}

TEST_F(ShowEditing, ALoadThatFailsKeepsTheCaptionOfTheShowInTheTable)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周 日.dat", sunday);
    start();
    const std::int32_t spaced = showRows()[0] == "*  周 日" ? 0 : 1;
    loadRow(1 - spaced);
    const std::string before = contents(directory / "dqqf.dat");

    loadRow(spaced);

    // The file looked for is named: it is the name without its space that is missing.
    EXPECT_EQ(messageTexts(),
        std::vector<std::string> { "场次文件 lb/周日.dat 未能载入，当前播放列表保持不变。" });
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
}

// A disk that is full: a show whose file cannot be copied in is reported and not named.
TEST_F(ShowEditingOnAFailingDisk, ALoadThatCannotBeWrittenIsReportedAndChangesNothing)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("周六")));
    start();
    const std::string before = contents(directory / "dqqf.dat");
    disk().failEvery({ support::FileCall::writeAt }, ENOSPC);

    loadRow(showRows()[0] == "*  周日" ? 0 : 1);

    EXPECT_GT(disk().calls(support::FileCall::writeAt), 0);
    EXPECT_EQ(messageTexts(),
        std::vector<std::string> { "场次文件 lb/周日.dat 未能载入，当前播放列表保持不变。" });
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(rememberedShow(), "周六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(tree().size(), 4u);
}

// A new show that cannot be emptied is not named: the table still holds the previous show,
// which would otherwise pass for a new one, and be that at the next start too.
TEST_F(ShowEditingOnAFailingDisk, ANewShowThatCannotBeEmptiedIsReportedAndChangesNothing)
{
    saveShow(u8"周六.dat", saturday);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("周六")));
    start();
    const std::string before = contents(directory / "dqqf.dat");
    disk().failEvery({ support::FileCall::writeAt }, ENOSPC);

    input.click(window, 新建列表按钮);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "新建场次失败，当前场次保持不变。" });
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(rememberedShow(), "周六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(tree().size(), 4u);
}

TEST_F(ShowEditing, DeletingAsksFirstAndThenLoadsTheFirstRemainingShow)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    start();
    const Text first = showRows()[0].substr(3);
    const Text other = showRows()[1].substr(3);
    const fs::path firstFile = directory / "lb" / (first == "周六" ? u8"周六.dat" : u8"周日.dat");
    const fs::path otherFile = directory / "lb" / (other == "周六" ? u8"周六.dat" : u8"周日.dat");

    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Cancel);
    chooseFromLastMenu("删除");
    EXPECT_TRUE(fs::exists(firstFile));
    EXPECT_EQ(showRows().size(), 2u);

    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");

    auto boxes = headless.dialogs().messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, Text("您确定要删除本场次吗？"));
    EXPECT_EQ(boxes[1].caption, Text("注意："));
    EXPECT_EQ(boxes[1].flags & 0xfu, 1u);
    EXPECT_FALSE(fs::exists(firstFile));
    EXPECT_EQ(showRows(), std::vector<Text> { "*  " + other });
    EXPECT_EQ(caption(), other);
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(otherFile));
}

TEST_F(ShowEditing, DeletingAnotherSavedShowKeepsTheCurrentUnsavedShowPlaying)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    start();
    input.click(window, 新建列表按钮);
    const Text unsaved = caption();
    writeCurrentShow(
        { { "1", "慢四", "月光", (fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3").string() } });
    refreshShowView(application);
    const std::string table = contents(directory / "dqqf.dat");
    input.click(window, 播放按钮);
    ASSERT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);

    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");

    EXPECT_EQ(showRows().size(), 1u);
    EXPECT_EQ(caption(), unsaved);
    EXPECT_EQ(contents(directory / "dqqf.dat"), table);
    EXPECT_EQ(application.trackPlayer.queryPlayState(), media::PlayState::playing);
    application.trackPlayer.stopPlaying();
}

TEST_F(ShowEditing, DeletingTheOnlyShowEmptiesListAndCaptionButKeepsTheTable)
{
    saveShow(u8"周六.dat", saturday);
    start();
    const std::string before = contents(directory / "dqqf.dat");

    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");

    EXPECT_TRUE(showRows().empty());
    EXPECT_EQ(caption(), "");
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
    EXPECT_EQ(tree().size(), 4u);
}

// The current show is known by its file, not by the letters of its caption: a show saved as
// "周 末" lives in 周末.dat. Once deleted it is no longer current, and no edit brings it back.
TEST_F(ShowEditing, DeletingTheCurrentShowSavedWithSpacesLeavesNoEditToBringItBack)
{
    writeCurrentShow(saturday);
    start();
    saveAs("周 末");
    application.windows.setProperty(window, 超级列表框1, ui::prop::listView::currentRow, 0);

    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");
    EXPECT_TRUE(showRows().empty());
    EXPECT_EQ(caption(), "");

    headless.dialogs().answerNextOpenFile("/music/night.mp3");
    answerSaveDialog("", saveDialog::按钮2);
    input.rightClickTreeItem(window, 树型框1, 3);
    EXPECT_EQ(tree()[3].text, "night");
    EXPECT_TRUE(fs::is_empty(directory / "lb"));
    EXPECT_TRUE(showRows().empty());
}

TEST_F(ShowEditing, AChosenTrackFileFillsTheSlotAndIsSavedWithTheShow)
{
    saveShow(u8"周六.dat", saturday);
    start();
    headless.dialogs().answerNextOpenFile("/music/night.mp3");

    input.rightClickTreeItem(window, 树型框1, 3);

    ASSERT_EQ(headless.dialogs().openFileRequests().size(), 1u);
    EXPECT_EQ(headless.dialogs().openFileRequests()[0].filter, Text("MP3文件(*.mp3)|*.mp3"));
    EXPECT_TRUE(headless.dialogs().openFileRequests()[0].keepCurrentDir);
    EXPECT_EQ(messageTexts(), std::vector<std::string> { "添加成功！" });
    std::vector<Slot> slots = readCurrentShow(application);
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[1].title, "night");
    EXPECT_EQ(slots[1].path, "/music/night.mp3");
    EXPECT_EQ(slots[0].path, "/m/月光.mp3");
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));
    EXPECT_EQ(tree()[3].text, "night");
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(树型框1, ui::prop::treeBox::selection)), 3);
    EXPECT_EQ(
        application.globals.playQueue, (std::vector<Text> { "/m/月光.mp3", "/music/night.mp3" }));
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowEditing, NoFileIsAskedForOnAHeadingAndACancelChangesNothing)
{
    saveShow(u8"周六.dat", saturday);
    start();
    const std::string before = contents(directory / "dqqf.dat");

    input.rightClickTreeItem(window, 树型框1, 2);
    EXPECT_TRUE(headless.dialogs().openFileRequests().empty());

    input.rightClickTreeItem(window, 树型框1, 3);
    EXPECT_EQ(headless.dialogs().openFileRequests().size(), 1u);
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);
}

TEST_F(ShowEditing, ATrackForAnUnsavedShowOffersToSaveItAndMayStayUnsaved)
{
    writeCurrentShow(saturday);
    start();
    input.click(window, 新建列表按钮);
    writeCurrentShow(saturday);
    refreshShowView(application);
    headless.dialogs().answerNextOpenFile("/music/night.mp3");
    answerSaveDialog("", saveDialog::按钮2);

    input.rightClickTreeItem(window, 树型框1, 3);

    // The show in the table at the start was never saved: starting a new one asked first.
    EXPECT_EQ(messageTexts(),
        (std::vector<std::string> { "当前场次有未保存的修改，是否放弃？", "添加成功！" }));
    EXPECT_FALSE(application.windows.isLoaded(saveDialog::window));
    EXPECT_EQ(caption(), "新建场次");
    EXPECT_TRUE(fs::is_empty(directory / "lb"));
    EXPECT_EQ(tree()[3].text, "night");
}

// Where the show's file cannot be written the operator hears so, not "添加成功！": start-up
// would otherwise bring the stale file back over the edit.
TEST_F(ShowEditing, ATrackWhoseShowCannotBeSavedIsReportedAsNotSaved)
{
    saveShow(u8"周六.dat", saturday);
    start();
    fs::rename(directory / "lb", directory / "lb-away");
    std::ofstream(directory / "lb") << "not a folder";
    headless.dialogs().answerNextOpenFile("/music/night.mp3");

    input.rightClickTreeItem(window, 树型框1, 3);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "保存播放列表失败！" });
    EXPECT_EQ(tree()[3].text, "night");
}

// A path cut to its field would name another file; it is refused, the slot unchanged.
TEST_F(ShowEditing, ATrackPathLongerThanItsFieldIsRefused)
{
    saveShow(u8"周六.dat", saturday);
    start();
    const std::string before = contents(directory / "dqqf.dat");
    const Text fits = "/" + std::string(1018, 'm') + ".mp3"; // 1023 bytes
    const Text tooLong = "/" + std::string(1020, 'm') + ".mp3"; // 1025 bytes
    headless.dialogs().answerNextOpenFile(tooLong);

    input.rightClickTreeItem(window, 树型框1, 3);

    EXPECT_EQ(messageTexts(),
        std::vector<std::string> {
            "曲目的文件路径太长（超过 1024 字节），请把曲目放到路径短一些的文件夹" });
    EXPECT_EQ(contents(directory / "dqqf.dat"), before);

    headless.dialogs().answerNextOpenFile(fits);
    input.rightClickTreeItem(window, 树型框1, 3);
    EXPECT_EQ(messageTexts().back(), "添加成功！");
    EXPECT_EQ(readCurrentShow(application)[1].path, fits);
}

// With the last show deleted the caption is empty: a track then asks for a name instead of
// writing a hidden "lb/.dat".
TEST_F(ShowEditing, ATrackAfterTheLastShowWasDeletedAsksForAName)
{
    saveShow(u8"周六.dat", saturday);
    start();
    input.rightClick(window, 超级列表框1);
    headless.dialogs().answerNextMessageBox(platform::Button::Ok);
    chooseFromLastMenu("删除");
    headless.dialogs().answerNextOpenFile("/music/night.mp3");
    answerSaveDialog("周末", saveDialog::按钮1);

    input.rightClickTreeItem(window, 树型框1, 3);

    EXPECT_FALSE(fs::exists(directory / "lb" / ".dat"));
    EXPECT_EQ(showRows(), std::vector<Text> { "*  周末" });
    EXPECT_EQ(caption(), "周末");
}

} // namespace
} // namespace app::test
