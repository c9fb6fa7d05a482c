// Nothing an operator made is lost without a question: saving over another show, loading,
// starting a new one or quitting with unsaved changes; renaming and duplicating saved shows;
// and the next start opening the show the operator last had.

#include "tests/app/main_window_run.h"

#include "app/show_tables.h"
#include "platform/process.h"
#include "runtime/ini_file.h"
#include "ui/unit_properties.h"

#include <fstream>

namespace app::test {
namespace {

using namespace ids::MainWindow;
namespace nameDialog = ids::SaveShowDialog;
using platform::Button;

const std::vector<Slot> saturday { { "1", "慢四", "月光", "/m/月光.mp3" },
    { "2", "探戈", "", "" } };
const std::vector<Slot> sunday { { "1", "快四", "晚风", "/m/晚风.mp3" } };

constexpr char overwriteQuestion[] = "已有同名场次，是否覆盖？";
constexpr char discardQuestion[] = "当前场次有未保存的修改，是否放弃？";

class ShowSafety : public MainWindowRun {
protected:
    Text caption() { return std::get<Text>(mainProperty(标签场次, ui::prop::label::caption)); }
    std::int32_t rowOf(const Text& name)
    {
        const std::vector<Text> rows = showRows();
        for (std::size_t row = 0; row < rows.size(); ++row)
            if (rows[row] == "*  " + name)
                return static_cast<std::int32_t>(row);
        return -1;
    }
    void selectShow(const Text& name)
    {
        application.windows.setProperty(
            window, 超级列表框1, ui::prop::listView::currentRow, rowOf(name));
    }
    void loadShow(const Text& name)
    {
        selectShow(name);
        input.doubleClick(window, 超级列表框1);
    }
    // Once the name dialog is open: the text replaced by `name`, then 立刻保存, then, if it
    // is still open, 暂不保存.
    void answerNameDialog(const Text& name)
    {
        headless.loop().post([this, name] {
            input.editText(nameDialog::window, nameDialog::编辑框1, "");
            input.typeText(nameDialog::window, nameDialog::编辑框1, name);
            input.click(nameDialog::window, nameDialog::按钮1);
            if (application.windows.isLoaded(nameDialog::window))
                input.click(nameDialog::window, nameDialog::按钮2);
        });
    }
    void chooseShowListEntry(const Text& entryCaption)
    {
        input.rightClick(window, 超级列表框1);
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        ASSERT_FALSE(menus.empty()) << "no menu: no show selected";
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == entryCaption)
                return input.menuCommand(window, entry.commandId);
        FAIL() << "no menu entry";
    }
    Text rememberedShow()
    {
        return runtime::readIniEntry((directory / "lastshow.ini").string(), "场次", "当前场次");
    }
};

TEST_F(ShowSafety, SavingOverAnotherShowAsksFirstAndARefusalKeepsItsFile)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    start();
    loadShow("周六");
    const std::string sundayFile = contents(directory / "lb" / u8"周日.dat");

    headless.dialogs().answerNextMessageBox(Button::Cancel);
    answerNameDialog("周 日");
    input.click(window, 另存列表按钮);
    EXPECT_EQ(messageTexts(), std::vector<std::string> { overwriteQuestion });
    EXPECT_EQ(contents(directory / "lb" / u8"周日.dat"), sundayFile);
    EXPECT_EQ(caption(), "周六");

    headless.dialogs().answerNextMessageBox(Button::Ok);
    answerNameDialog("周日");
    input.click(window, 另存列表按钮);
    EXPECT_EQ(messageTexts(),
        (std::vector<std::string> { overwriteQuestion, overwriteQuestion, "保存播放列表成功！" }));
    EXPECT_EQ(contents(directory / "lb" / u8"周日.dat"), contents(directory / "dqqf.dat"));
    EXPECT_EQ(caption(), "周日");

    // The show's own file is replaced without a question.
    answerNameDialog("周日");
    input.click(window, 另存列表按钮);
    EXPECT_EQ(messageTexts().back(), "保存播放列表成功！");
    EXPECT_EQ(messageTexts().size(), 4u);
}

// An installation's show files keep their own letter case and GBK names, and a name typed
// otherwise still reaches them: saving, renaming or duplicating onto one asks first, and an
// agreed replacement takes the place of that file rather than adding a second one.
TEST_F(ShowSafety, ANameReachingAFileOfOtherLetterCaseOrInGbkAsksBeforeReplacingIt)
{
    const fs::path sundayFile = directory / "lb" / "\xD6\xDC\xC8\xD5.DAT"; // 周日 in GBK
    const fs::path mondayFile = directory / "lb" / "MONDAY.DAT";
    saveShow(sundayFile.filename(), sunday);
    saveShow(mondayFile.filename(), sunday);
    saveShow(u8"周六.dat", saturday);
    start();
    loadShow("周六");
    const std::string sundayBefore = contents(sundayFile);

    struct Action {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Action> actions {
        { "save as", [&] { input.click(window, 另存列表按钮); } },
        { "rename", [&] { chooseShowListEntry("重命名"); } },
        { "duplicate", [&] { chooseShowListEntry("复制"); } },
    };
    for (const Action& action : actions)
        for (const Text typed : { "周日", "monday" }) {
            const std::size_t asked = messageTexts().size();
            headless.dialogs().answerNextMessageBox(Button::Cancel);
            answerNameDialog(typed);
            action.run();
            ASSERT_EQ(messageTexts().size(), asked + 1) << action.name << " " << typed;
            EXPECT_EQ(messageTexts().back(), overwriteQuestion) << action.name << " " << typed;
        }
    EXPECT_EQ(contents(sundayFile), sundayBefore);
    EXPECT_EQ(contents(mondayFile), sundayBefore);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory / "lb"), {}), 3);
    EXPECT_EQ(caption(), "周六");

    headless.dialogs().answerNextMessageBox(Button::Ok);
    answerNameDialog("周日");
    input.click(window, 另存列表按钮);
    EXPECT_EQ(contents(sundayFile), contents(directory / "dqqf.dat"));

    const std::string saturdayFile = contents(directory / "lb" / u8"周六.dat");
    selectShow("周六");
    headless.dialogs().answerNextMessageBox(Button::Ok);
    answerNameDialog("monday");
    chooseShowListEntry("重命名");
    EXPECT_EQ(messageTexts().back(), "重命名成功！");
    EXPECT_EQ(contents(mondayFile), saturdayFile);
    EXPECT_EQ(showRows().size(), 2u);

    // The file renamed is the one on disk, whatever the spelling of its name there.
    selectShow("周日");
    answerNameDialog("周一");
    chooseShowListEntry("重命名");
    EXPECT_EQ(messageTexts().back(), "重命名成功！");
    EXPECT_FALSE(fs::exists(sundayFile));
    EXPECT_EQ(caption(), "周一");
}

TEST_F(ShowSafety, UnsavedChangesAreOnlyDroppedWhenTheOperatorAgrees)
{
    saveShow(u8"周日.dat", sunday);
    writeCurrentShow(saturday);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("新建场次")));
    start();
    ASSERT_EQ(caption(), "新建场次");
    const std::string unsaved = contents(directory / "dqqf.dat");
    selectShow("周日");

    struct Action {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Action> actions {
        { "load", [&] { input.doubleClick(window, 超级列表框1); } },
        { "new", [&] { input.click(window, 新建列表按钮); } },
        { "quit", [&] { EXPECT_FALSE(input.requestClose(window)); } },
    };
    for (const Action& action : actions) {
        const std::size_t asked = messageTexts().size();
        headless.dialogs().answerNextMessageBox(Button::Cancel);
        action.run();
        ASSERT_EQ(messageTexts().size(), asked + 1) << action.name;
        EXPECT_EQ(messageTexts().back(), discardQuestion) << action.name;
        EXPECT_EQ(contents(directory / "dqqf.dat"), unsaved) << action.name;
        EXPECT_EQ(caption(), "新建场次") << action.name;
        EXPECT_TRUE(fs::exists(directory / "lb" / u8"周日.dat")) << action.name;
    }
    EXPECT_TRUE(application.windows.isLoaded(window));

    headless.dialogs().answerNextMessageBox(Button::Ok);
    input.doubleClick(window, 超级列表框1);
    EXPECT_EQ(caption(), "周日");
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(directory / "lb" / u8"周日.dat"));

    // A show just as it was saved goes without a question.
    const std::size_t asked = messageTexts().size();
    input.click(window, 新建列表按钮);
    EXPECT_EQ(messageTexts().size(), asked);
    EXPECT_EQ(caption(), "新建场次");
}

// Discarding at the end is meant: the next start does not bring the show back, and has
// nothing unsaved to ask about at its own end. Each run is a program of its own on the hall.
TEST_F(ShowSafety, AnUnsavedShowDiscardedAtTheEndIsGoneAtTheNextStart)
{
    const auto questions = [](HeadlessProgram& run) {
        std::vector<std::string> texts;
        for (const auto& box : run.headless.dialogs().messageBoxes())
            texts.push_back(box.text);
        return texts;
    };
    const auto quit = [](HeadlessProgram& run) {
        EXPECT_THROW(run.input.requestClose(window), platform::ProgramEnded);
        run.headless.clock().settle();
    };
    for (const bool withSavedShow : { false, true }) {
        SCOPED_TRACE(withSavedShow ? "with a saved show" : "without one");
        if (withSavedShow)
            saveShow(u8"周日.dat", sunday);
        writeCurrentShow(saturday);
        ASSERT_TRUE(runtime::writeIniEntry(
            (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("新建场次")));
        {
            HeadlessProgram discarding;
            discarding.application.programDirectory = directory.string();
            discarding.start();
            discarding.headless.dialogs().answerNextMessageBox(Button::Ok);
            quit(discarding);
            EXPECT_EQ(questions(discarding), std::vector<std::string> { discardQuestion });
        }
        HeadlessProgram next;
        next.application.programDirectory = directory.string();
        next.start();
        const Text shown = std::get<Text>(
            next.application.windows.property(window, 标签场次, ui::prop::label::caption));
        if (withSavedShow) {
            EXPECT_EQ(shown, "周日");
            EXPECT_TRUE(
                contents(directory / "dqqf.dat") == contents(directory / "lb" / u8"周日.dat"))
                << "the table is not the saved show";
        } else {
            EXPECT_TRUE(readCurrentShow(next.application).empty()) << shown;
        }
        next.headless.dialogs().answerNextMessageBox(Button::Cancel);
        quit(next);
        EXPECT_TRUE(questions(next).empty());
    }
}

// A damaged show file is refused from the list as at start-up: it must not replace a good
// current show, nor have its name put on that show, whose next edit would then overwrite it.
TEST_F(ShowSafety, ADamagedShowFileIsNamedAndNotLoadedFromTheList)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    const std::string whole = contents(directory / "lb" / u8"周日.dat");
    std::ofstream(directory / "lb" / u8"周日.dat", std::ios::binary | std::ios::trunc)
        << whole.substr(0, 60);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("周六")));
    start();
    const std::string table = contents(directory / "dqqf.dat");

    loadShow("周日");

    ASSERT_EQ(messageTexts().size(), 1u);
    EXPECT_EQ(messageTexts()[0],
        "场次文件 lb/周日.dat 已损坏（指定文件不是数据库文件），未载入，当前播放列表保持不变。");
    EXPECT_EQ(contents(directory / "dqqf.dat"), table);
    EXPECT_EQ(contents(directory / "lb" / u8"周日.dat"), whole.substr(0, 60));
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(rememberedShow(), "周六");
    EXPECT_EQ(application.windows.component(window, 树型框1)->tree.size(), 4u);
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowSafety, ASavedShowIsRenamedAndTheCurrentShowFollowsItsNewName)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    start();
    loadShow("周六");

    answerNameDialog("周 末");
    input.key(window, 超级列表框1, true, ui::keyCode::f2);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "重命名成功！" });
    EXPECT_FALSE(fs::exists(directory / "lb" / u8"周六.dat"));
    EXPECT_EQ(contents(directory / "lb" / u8"周末.dat"), contents(directory / "dqqf.dat"));
    EXPECT_EQ(caption(), "周 末");
    EXPECT_EQ(rememberedShow(), "周 末");
    EXPECT_NE(rowOf("周末"), -1);
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(超级列表框1, ui::prop::listView::currentRow)),
        rowOf("周末"));

    // Onto another show's name only after a question; refused, the dialog stays.
    headless.dialogs().answerNextMessageBox(Button::Cancel);
    answerNameDialog("周日");
    chooseShowListEntry("重命名");
    EXPECT_EQ(messageTexts().back(), overwriteQuestion);
    EXPECT_TRUE(fs::exists(directory / "lb" / u8"周末.dat"));
    EXPECT_EQ(caption(), "周 末");
}

TEST_F(ShowSafety, ADuplicateIsACopyUnderANewNameAndTheCurrentShowStays)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    start();
    loadShow("周六");
    selectShow("周日");

    headless.loop().post([this] {
        EXPECT_EQ(std::get<Text>(application.windows.property(
                      nameDialog::window, nameDialog::编辑框1, ui::prop::editBox::content)),
            "周日副本");
        input.click(nameDialog::window, nameDialog::按钮1);
    });
    chooseShowListEntry("复制");

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "复制成功！" });
    EXPECT_EQ(
        contents(directory / "lb" / u8"周日副本.dat"), contents(directory / "lb" / u8"周日.dat"));
    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(showRows().size(), 3u);

    // The dialog saves the current show again afterwards, as it did before.
    answerNameDialog("周一");
    input.click(window, 另存列表按钮);
    EXPECT_EQ(contents(directory / "lb" / u8"周一.dat"), contents(directory / "dqqf.dat"));
}

TEST_F(ShowSafety, TheNextStartOpensTheShowLastLoaded)
{
    saveShow(u8"周六.dat", saturday);
    saveShow(u8"周日.dat", sunday);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("周 日")));
    start();

    EXPECT_EQ(caption(), "周 日");
    EXPECT_EQ(std::get<std::int32_t>(mainProperty(超级列表框1, ui::prop::listView::currentRow)),
        rowOf("周日"));
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(directory / "lb" / u8"周日.dat"));

    loadShow("周六");
    EXPECT_EQ(rememberedShow(), "周六");
    input.click(window, 新建列表按钮);
    EXPECT_EQ(rememberedShow(), "新建场次");
}

TEST_F(ShowSafety, AStartAfterTheLastShowWentOpensTheFirstOne)
{
    saveShow(u8"周六.dat", saturday);
    ASSERT_TRUE(runtime::writeIniEntry(
        (directory / "lastshow.ini").string(), "场次", Text("当前场次"), Text("周日")));
    start();

    EXPECT_EQ(caption(), "周六");
    EXPECT_EQ(contents(directory / "dqqf.dat"), contents(directory / "lb" / u8"周六.dat"));
}

} // namespace
} // namespace app::test
