// Real input on a small window: clicks, tree items, pop-up menus, typing, closing, and a lamp
// lit from a worker thread.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <iterator>
#include <thread>

namespace gui::test {
namespace {

constexpr WindowId testWindow = 0x52010050;
constexpr ComponentId ownItem = 0x06010051;
constexpr ComponentId playButton = 0x16010052;
constexpr ComponentId tree = 0x16010053;
constexpr ComponentId lamp = 0x16010054;
constexpr ComponentId nameEdit = 0x16010055;
constexpr ComponentId showList = 0x16010056;
constexpr ComponentId styleList = 0x16010057;
constexpr ComponentId trayMenu = 0x26010060;

// Handler numbers.
constexpr int onMayClose = 0, onClicked = 1, onTreeDoubleClick = 2, onTreeRightDown = 3, onShow = 4,
              onQuit = 5, onTreeSelect = 6, onRowChanged = 7, onRowRightClick = 8,
              onEntryChanged = 9, onEntryDoubleClick = 10;

Bytes artwork(const char* name)
{
    std::ifstream in(std::string(DANCEHALL_ART_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

WindowTemplate testWindowTemplate()
{
    auto button = withValues(
        component(playButton, unit::superBtn, { 20, 20, 74, 20 }, { { 0, onClicked } }),
        { { prop::superBtn::caption, Text("播  放") },
            { prop::superBtn::picture1, artwork("btn_normal.gif") },
            { prop::superBtn::picture2, artwork("btn_hot.gif") },
            { prop::superBtn::picture3, artwork("btn_pressed.gif") },
            { prop::superBtn::textColour, rgb(255, 255, 255) } });
    auto slotTree = component(tree, unit::treeBox, { 120, 20, 200, 200 },
        { { 0, onTreeSelect }, { 1, onTreeDoubleClick }, { 6, onTreeRightDown } });
    auto light = withValues(component(lamp, unit::label, { 20, 60, 24, 24 }),
        { { prop::label::caption, Text("1") }, { prop::label::backColour, 0 } });
    auto edit = component(nameEdit, unit::editBox, { 20, 100, 80, 20 });
    auto shows = withValues(component(showList, unit::listView, { 330, 20, 160, 120 },
                                { { 0, onRowChanged }, { 5, onRowRightClick } }),
        {});
    shows.block.columns = { { "列表", 150 } };
    auto styles = component(styleList, unit::listBox, { 330, 150, 160, 100 },
        { { 0, onEntryChanged }, { 1, onEntryDoubleClick } });
    return window(testWindow, ownItem, { { windowEvent::mayClose, onMayClose } },
        { button, slotTree, light, edit, shows, styles },
        { menuItem(trayMenu, "托盘", 0), menuItem(0x26010061, "显示", 1, onShow),
            menuItem(0x26010062, "退出", 1, onQuit) });
}

class WindowControlsTest : public GuiTest {
protected:
    void SetUp() override { load({ testWindowTemplate() }); }

    QTreeWidget& treeWidget() const { return static_cast<QTreeWidget&>(*widgetOf(tree)); }

    // Two slots: items 0 and 2 are headings, 1 and 3 their tracks.
    void fillTree()
    {
        for (const char* heading : { "1 慢四", "2 快三" }) {
            std::int32_t parent = commands->treeAddItem(windowId, tree, std::nullopt, heading);
            commands->treeAddItem(windowId, tree, parent, "track.mp3");
            commands->treeExpand(windowId, tree, parent);
        }
    }

    QPoint itemCentre(std::int32_t index) const
    {
        QTreeWidgetItemIterator it(&treeWidget());
        for (std::int32_t i = 0; i < index; ++i)
            ++it;
        return treeWidget().visualItemRect(*it).center();
    }

    std::int32_t selection() const
    {
        return std::get<std::int32_t>(core->property(windowId, tree, prop::treeBox::selection));
    }
};

TEST_F(WindowControlsTest, ClickOnSkinnedButtonRunsItsHandler)
{
    QTest::mouseClick(widgetOf(playButton), Qt::LeftButton);
    EXPECT_EQ(calls, std::vector<std::string> { "h1()" });

    core->setProperty(windowId, playButton, prop::disabled, true);
    QTest::mouseClick(widgetOf(playButton), Qt::LeftButton);
    EXPECT_EQ(calls.size(), 1u) << "a disabled button takes no click";
}

TEST_F(WindowControlsTest, TreeDoubleClickAndRightButtonActOnTheSelectedItem)
{
    fillTree();
    std::vector<std::int32_t> selectedAtEvent;
    actions[onTreeDoubleClick] = [&] { selectedAtEvent.push_back(selection()); };
    actions[onTreeRightDown] = [&] { selectedAtEvent.push_back(selection()); };

    QTest::mouseDClick(treeWidget().viewport(), Qt::LeftButton, {}, itemCentre(1));
    QTest::mousePress(treeWidget().viewport(), Qt::RightButton, {}, itemCentre(2));
    QTest::mouseRelease(treeWidget().viewport(), Qt::RightButton, {}, itemCentre(2));

    EXPECT_EQ(selectedAtEvent, (std::vector<std::int32_t> { 1, 2 }));
    const std::vector<std::string> expected { "h6(1)", "h2()", "h6(1)", "h3()" };
    EXPECT_EQ(calls, expected) << "selection by mouse, then the item's event";
    EXPECT_EQ(treeWidget().currentItem()->text(0), QStringLiteral(u"2 快三"));
}

TEST_F(WindowControlsTest, ProgramSelectionShowsWithoutRaisingEvents)
{
    fillTree();
    core->setProperty(windowId, tree, prop::treeBox::selection, 3);
    EXPECT_EQ(treeWidget().currentItem()->text(0), QStringLiteral("track.mp3"));
    core->setProperty(windowId, tree, prop::treeBox::selection, -1);
    EXPECT_EQ(treeWidget().currentItem(), nullptr);
    EXPECT_TRUE(calls.empty());
}

TEST_F(WindowControlsTest, ListViewRightClickActsOnTheRowItSelected)
{
    for (const char* name : { "周五场", "周六场" })
        commands->listViewInsert(windowId, showList, std::nullopt, name);
    auto& view = static_cast<QTreeWidget&>(*widgetOf(showList));
    ASSERT_EQ(view.headerItem()->text(0), QStringLiteral("列表"));
    std::int32_t rowAtEvent = -2;
    actions[onRowRightClick] = [&] {
        rowAtEvent = std::get<std::int32_t>(
            core->property(windowId, showList, prop::listView::currentRow));
    };
    EXPECT_EQ(
        std::get<std::int32_t>(core->property(windowId, showList, prop::listView::currentRow)), -1);

    const QPoint row = view.visualItemRect(view.topLevelItem(1)).center();
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, row);
    QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, row);
    EXPECT_EQ(rowAtEvent, 1);
    EXPECT_EQ(calls, (std::vector<std::string> { "h7()", "h8()" }));
}

TEST_F(WindowControlsTest, ListBoxUserSelectionAndDoubleClickRaiseItsEvents)
{
    for (const char* style : { "慢四", "快三", "伦巴" })
        commands->listAddItem(windowId, styleList, style);
    auto& list = static_cast<QListWidget&>(*widgetOf(styleList));
    ASSERT_EQ(list.count(), 3);

    core->setProperty(windowId, styleList, prop::listBox::selection, 0);
    EXPECT_TRUE(calls.empty()) << "the program's selection raises no event";
    EXPECT_EQ(list.currentRow(), 0);

    QTest::mouseDClick(
        list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(2)).center());
    EXPECT_EQ(calls, (std::vector<std::string> { "h9()", "h10()" }));
    EXPECT_EQ(
        std::get<std::int32_t>(core->property(windowId, styleList, prop::listBox::selection)), 2);
}

TEST_F(WindowControlsTest, PopupMenuChoiceReachesTheEntrysHandler)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        shown = true;
        ASSERT_EQ(menu->actions().size(), 2);
        QAction* quit = menu->actions().at(1);
        EXPECT_EQ(quit->text(), QStringLiteral(u"退出"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(quit).center());
    });
    commands->popupMenu(windowId, trayMenu, Point { 100, 100 });
    EXPECT_TRUE(shown);
    EXPECT_EQ(calls, std::vector<std::string> { "h5()" });
}

TEST_F(WindowControlsTest, TypingReachesTheCoreAndClearingEmptiesTheBox)
{
    auto* edit = widgetOf(nameEdit);
    edit->setFocus();
    QTest::keyClicks(edit, "ab");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "c");
    EXPECT_EQ(std::get<Text>(core->property(windowId, nameEdit, prop::editBox::content)), "ac");

    core->setProperty(windowId, nameEdit, prop::editBox::content, Text());
    EXPECT_EQ(edit->property("text").toString(), QString());
}

// The middle of the lamp, away from its caption in the top-left.
QColor lampColour(QWidget* label)
{
    return label->grab().toImage().pixelColor(label->width() - 4, label->height() - 4);
}

TEST_F(WindowControlsTest, LampWrittenFromAWorkerThreadTurnsRedAndBack)
{
    QWidget* label = widgetOf(lamp);
    ASSERT_EQ(lampColour(label), QColor(Qt::black));

    std::thread([&] { core->setProperty(windowId, lamp, prop::label::backColour, 255); }).join();
    EXPECT_TRUE(settle([&] { return lampColour(label) == QColor(Qt::red); }));

    std::thread([&] { core->setProperty(windowId, lamp, prop::label::backColour, 0); }).join();
    EXPECT_TRUE(settle([&] { return lampColour(label) == QColor(Qt::black); }));
}

TEST_F(WindowControlsTest, CloseRefusedByTheHandlerKeepsTheWindow)
{
    results[onMayClose] = 0;
    top()->close();
    settle([&] { return !calls.empty(); });
    EXPECT_EQ(calls, std::vector<std::string> { "h0()" });
    EXPECT_TRUE(core->isLoaded(windowId));
    EXPECT_TRUE(top()->isVisible());

    results[onMayClose] = 1;
    top()->close();
    EXPECT_TRUE(settle([&] { return !core->isLoaded(windowId); }));
}

} // namespace
} // namespace gui::test
