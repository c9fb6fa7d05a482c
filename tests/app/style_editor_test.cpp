// The style editor: its slot menu, the style chooser, the four slot edits with the show kept
// numbered and whole, and the show file written when the editor closes.

#include "tests/app/main_window_run.h"

#include "app/show_tables.h"
#include "app/unsaved_show.h"
#include "ui/commands.h"
#include "ui/component_state.h"
#include "ui/unit_properties.h"

namespace app::test {
namespace {

namespace editor = ids::StyleEditorWindow;
namespace chooser = ids::StylePickDialog;

const std::vector<Slot> threeSlots { { "1", "慢四", "月光", "/m/月光.mp3" },
    { "2", "探戈", "", "" }, { "3", "快四", "晚风", "/m/晚风.mp3" } };

class StyleEditor : public MainWindowRun {
protected:
    StyleEditor()
        : StyleEditor(true)
    {
    }
    explicit StyleEditor(bool withSavedShow)
    {
        if (withSavedShow)
            saveShow(u8"周六.dat", threeSlots);
        fs::copy_file(fs::path(DANCEHALL_DIST) / "lb" / "1.jpg", directory / "lb" / "1.jpg");
        start();
        application.windows.loadWindow(editor::window, false);
    }

    void selectRow(std::int32_t row)
    {
        application.windows.setProperty(
            editor::window, editor::超级列表框1, ui::prop::listView::currentRow, row);
    }
    // Right-clicks the slot list at `row` and picks `style` in the chooser the entry opens.
    void edit(std::int32_t row, const Text& entryCaption, const Text& style)
    {
        headless.loop().post([this, style] {
            std::int32_t index = ui::Commands(application.windows)
                                     .comboSelectText(chooser::window, chooser::组合框1, style);
            ASSERT_GE(index, 0) << "style not in the catalogue";
            input.click(chooser::window, chooser::按钮添加);
        });
        choose(row, entryCaption);
    }
    void choose(std::int32_t row, const Text& entryCaption)
    {
        selectRow(row);
        input.rightClick(editor::window, editor::超级列表框1);
        const std::vector<ui::headless::ShownMenu> menus = views.menus();
        ASSERT_FALSE(menus.empty());
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == entryCaption)
                return input.menuCommand(editor::window, entry.commandId);
        FAIL() << "no menu entry";
    }
    std::vector<std::string> catalogueStyles()
    {
        std::vector<std::string> styles;
        OpenTable table(application, tables::styleCatalogue);
        application.databases.goFirst();
        for (int k = application.databases.recordCount(); k > 0; --k) {
            styles.push_back(table.readText(fields::style));
            application.databases.skip();
        }
        return styles;
    }
    std::vector<std::string> styles()
    {
        std::vector<std::string> result;
        for (const Slot& slot : readCurrentShow(application))
            result.push_back(slot.style);
        return result;
    }
    // Numbered 1…n, title and path both set or both empty, and the list showing the table.
    void expectWholeShow()
    {
        std::vector<Slot> slots = readCurrentShow(application);
        std::vector<Text> rows;
        for (std::size_t k = 0; k < slots.size(); ++k) {
            EXPECT_EQ(slots[k].number, std::to_string(k + 1));
            EXPECT_EQ(slots[k].title.empty(), slots[k].path.empty());
            rows.push_back(slots[k].number + "  " + slots[k].style);
        }
        EXPECT_EQ(application.windows.component(editor::window, editor::超级列表框1)->rows, rows);
        EXPECT_EQ(application.databases.openCount(), 0u);
    }
    bool menuEntryEnabled(ui::ComponentId item)
    {
        return !std::get<bool>(
            application.windows.property(editor::window, item, ui::menuProp::disabled));
    }
};

TEST_F(StyleEditor, OpensWithTheSlotsAndThePicture)
{
    expectWholeShow();
    auto picture = std::get<ui::Bytes>(
        application.windows.property(editor::window, editor::图片框1, ui::prop::picBox::picture));
    EXPECT_EQ(std::string(picture.begin(), picture.end()),
        contents(fs::path(DANCEHALL_DIST) / "lb" / "1.jpg"));
}

TEST_F(StyleEditor, TheMenuOffersAppendingOnlyAtTheEnd)
{
    struct Case {
        std::int32_t row;
        bool add, others;
    };
    for (Case c : { Case { -1, true, false }, Case { 1, false, true }, Case { 2, true, true } }) {
        selectRow(c.row);
        input.rightClick(editor::window, editor::超级列表框1);
        EXPECT_EQ(menuEntryEnabled(editor::添加), c.add) << c.row;
        for (ui::ComponentId item : { editor::插入, editor::修改, editor::删除 })
            EXPECT_EQ(menuEntryEnabled(item), c.others) << c.row;
    }
}

TEST_F(StyleEditor, AnAddedSlotGoesLastWithoutATrack)
{
    const Text style = catalogueStyles().back();
    edit(2, "添加", style);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "添加成功！" });
    EXPECT_EQ(styles(), (std::vector<std::string> { "慢四", "探戈", "快四", style }));
    EXPECT_TRUE(readCurrentShow(application)[3].path.empty());
    EXPECT_TRUE(application.globals.chosenStyle.empty());
    expectWholeShow();
}

TEST_F(StyleEditor, AnInsertedSlotComesBeforeTheSelectedRowAndTracksStayWithTheirSlots)
{
    const Text style = catalogueStyles().back();
    edit(0, "插入", style);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "插入成功！" });
    std::vector<Slot> slots = readCurrentShow(application);
    ASSERT_EQ(slots.size(), 4u);
    EXPECT_EQ(slots[0].style, style);
    EXPECT_TRUE(slots[0].path.empty());
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(slots[k + 1].style, threeSlots[k].style);
        EXPECT_EQ(slots[k + 1].path, threeSlots[k].path);
        EXPECT_EQ(slots[k + 1].title, threeSlots[k].title);
    }
    expectWholeShow();

    edit(3, "插入", style);
    EXPECT_EQ(styles(), (std::vector<std::string> { style, "慢四", "探戈", style, "快四" }));
    EXPECT_EQ(readCurrentShow(application)[4].path, "/m/晚风.mp3");
    expectWholeShow();
}

TEST_F(StyleEditor, AModifiedSlotKeepsItsTrack)
{
    const Text style = catalogueStyles().front();
    edit(0, "修改", style);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "修改成功！" });
    std::vector<Slot> slots = readCurrentShow(application);
    EXPECT_EQ(slots[0].style, style);
    EXPECT_EQ(slots[0].path, "/m/月光.mp3");
    EXPECT_EQ(slots[0].title, "月光");
    expectWholeShow();
}

TEST_F(StyleEditor, ADeletedSlotLeavesTheOthersRenumbered)
{
    choose(1, "删除");

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "删除成功！" });
    EXPECT_EQ(styles(), (std::vector<std::string> { "慢四", "快四" }));
    EXPECT_EQ(readCurrentShow(application)[1].path, "/m/晚风.mp3");
    expectWholeShow();
}

TEST_F(StyleEditor, TheChooserPreselectsTheOvertureAndInsistsOnAChoice)
{
    headless.loop().post([this] {
        const ui::Value selected = application.windows.property(
            chooser::window, chooser::组合框1, ui::prop::comboBox::selection);
        const Text first = ui::Commands(application.windows)
                               .comboItemText(chooser::window, chooser::组合框1,
                                   std::get<std::int32_t>(selected));
        EXPECT_EQ(first.substr(0, Text("序曲").size()), Text("序曲"));
        application.windows.setProperty(
            chooser::window, chooser::组合框1, ui::prop::comboBox::selection, -1);
        input.click(chooser::window, chooser::按钮添加);
        EXPECT_TRUE(application.windows.isLoaded(chooser::window));
        input.requestClose(chooser::window);
    });
    choose(2, "添加");

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "请选择曲风！" });
    EXPECT_EQ(styles(), (std::vector<std::string> { "慢四", "探戈", "快四" }));
}

TEST_F(StyleEditor, ClosingStoresTheEditedShowUnlessItIsUnsaved)
{
    edit(0, "修改", catalogueStyles().front());
    EXPECT_NE(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));

    input.requestClose(editor::window);
    EXPECT_EQ(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));

    application.windows.setProperty(ids::MainWindow::window, ids::MainWindow::标签场次,
        ui::prop::label::caption, Text("新建场次"));
    application.windows.loadWindow(editor::window, false);
    edit(0, "修改", catalogueStyles().back());
    input.requestClose(editor::window);
    EXPECT_NE(contents(directory / "lb" / u8"周六.dat"), contents(directory / "dqqf.dat"));
    EXPECT_EQ(std::distance(fs::directory_iterator(directory / "lb"), {}), 2);
}

// A new hall has no saved show, so the current show has no name: its slots stay in the table,
// guarded by the question about unsaved changes, until the operator saves it under one.
class StyleEditorOnANewHall : public StyleEditor {
protected:
    StyleEditorOnANewHall()
        : StyleEditor(false)
    {
    }
};

TEST_F(StyleEditorOnANewHall, TheFirstEditIsKeptWithoutComplaintWhenTheEditorCloses)
{
    const Text style = catalogueStyles().back();
    edit(-1, "添加", style);
    input.requestClose(editor::window);

    EXPECT_EQ(messageTexts(), std::vector<std::string> { "添加成功！" });
    EXPECT_EQ(styles(), std::vector<std::string> { style });
    EXPECT_EQ(std::distance(fs::directory_iterator(directory / "lb"), {}), 1) << "the picture only";
    EXPECT_TRUE(showHasUnsavedChanges(application));
}

} // namespace
} // namespace app::test
