// The tree and list controls over long lists: items filled in one go, notes and expansion
// changed in place, and the scroll position kept while the items stay the same.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QTreeWidget>

namespace gui::test {
namespace {

constexpr WindowId testWindow = 0x52010070;
constexpr ComponentId ownItem = 0x06010071;
constexpr ComponentId tree = 0x16010072;
constexpr ComponentId showList = 0x16010073;
constexpr ComponentId styleList = 0x16010074;
constexpr int itemsChanged = -1;

WindowTemplate listsWindow()
{
    auto shows = component(showList, unit::listView, { 230, 10, 160, 120 });
    shows.block.columns = { { "列表", 150 } };
    return window(testWindow, ownItem, {},
        { component(tree, unit::treeBox, { 10, 10, 200, 200 }), shows,
            component(styleList, unit::listBox, { 230, 140, 160, 100 }) });
}

// Slots as the main window shows them: a heading per slot with its track under it.
std::vector<TreeItem> slotItems(int count, const Text& firstTitle = "舞曲")
{
    std::vector<TreeItem> items;
    for (int k = 1; k <= count; ++k) {
        items.push_back({ std::to_string(k) + "  慢四", 1, true, {} });
        items.push_back({ k == 1 ? firstTitle : Text("舞曲"), 2, true, {} });
    }
    return items;
}

class ItemViewsTest : public GuiTest {
protected:
    void SetUp() override { load({ listsWindow() }); }

    QTreeWidget& treeWidget() const { return static_cast<QTreeWidget&>(*widgetOf(tree)); }
    QTreeWidgetItem* track(int slot) const { return treeWidget().topLevelItem(slot)->child(0); }
};

TEST_F(ItemViewsTest, ATreeSetAtOnceShowsItsItemsExpansionAndNotes)
{
    commands->treeSetItems(windowId, tree,
        { { "1  慢四", 1, true, {} }, { "月光", 2, true, { "3:45" } }, { "2  快三", 1, false, {} },
            { "选择更换舞曲", 2, true, {} } });

    QTreeWidget& widget = treeWidget();
    ASSERT_EQ(widget.topLevelItemCount(), 2);
    EXPECT_EQ(widget.topLevelItem(1)->text(0), QStringLiteral(u"2  快三"));
    EXPECT_EQ(track(0)->text(0), QStringLiteral(u"月光"));
    EXPECT_EQ(track(0)->text(1), QStringLiteral("3:45"));
    EXPECT_EQ(track(1)->text(0), QStringLiteral(u"选择更换舞曲"));
    EXPECT_TRUE(widget.topLevelItem(0)->isExpanded());
    EXPECT_FALSE(widget.topLevelItem(1)->isExpanded());
}

// Lengths arrive after the tree is shown: they change the notes, not the items.
TEST_F(ItemViewsTest, NotesAndExpansionChangeInPlace)
{
    commands->treeSetItems(windowId, tree, slotItems(3));
    const QTreeWidgetItem* shown = track(2);
    core->update(windowId, tree, { unit::treeBox }, itemsChanged, [](ComponentState& s) {
        s.tree[5].note = "1:02:03";
        s.tree[2].expanded = false;
    });

    EXPECT_EQ(track(2), shown);
    EXPECT_EQ(track(2)->text(1), QStringLiteral("1:02:03"));
    EXPECT_FALSE(treeWidget().topLevelItem(1)->isExpanded());
    EXPECT_TRUE(treeWidget().topLevelItem(2)->isExpanded());
}

// The lengths' column fits the widest length of the items shown, as the view's own sizing to
// contents would make it, and follows expansion and changed lengths.
TEST_F(ItemViewsTest, TheNotesColumnFitsTheWidestNoteShown)
{
    QTreeWidget& widget = treeWidget();
    auto fitsContents = [&] {
        const int width = widget.columnWidth(1);
        widget.header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        QCoreApplication::processEvents();
        const int contents = widget.columnWidth(1);
        widget.header()->setSectionResizeMode(1, QHeaderView::Fixed);
        widget.header()->resizeSection(1, width);
        return width == contents;
    };
    const int longNote = widget.fontMetrics().horizontalAdvance(QStringLiteral("1:02:03"));
    std::vector<TreeItem> items = slotItems(50);
    for (int k = 0; k < 50; ++k)
        items[2 * k + 1].note = "3:45";
    items[40].expanded = false;
    items[41].note = "1:02:03";
    commands->treeSetItems(windowId, tree, items);
    EXPECT_TRUE(fitsContents());
    EXPECT_LT(widget.columnWidth(1), longNote) << "a collapsed slot's length widened the column";

    core->update(windowId, tree, { unit::treeBox }, itemsChanged,
        [](ComponentState& s) { s.tree[40].expanded = true; });
    EXPECT_TRUE(fitsContents());
    EXPECT_GT(widget.columnWidth(1), longNote) << "the longest length shown is cut";

    core->update(windowId, tree, { unit::treeBox }, itemsChanged,
        [](ComponentState& s) { s.tree[41].note = "4:10"; });
    EXPECT_TRUE(fitsContents());
    EXPECT_LT(widget.columnWidth(1), longNote);

    core->update(windowId, tree, { unit::treeBox }, itemsChanged, [](ComponentState& s) {
        for (TreeItem& item : s.tree)
            item.note.clear();
    });
    EXPECT_TRUE(fitsContents());
}

// The show is refreshed after every edit; where the items read the same, the operator stays
// where he had scrolled to. Changed items are shown anew.
TEST_F(ItemViewsTest, TheSameItemsSetAgainKeepTheScrollPositionAndNewOnesReplaceThem)
{
    commands->treeSetItems(windowId, tree, slotItems(200));
    QScrollBar& scroll = *treeWidget().verticalScrollBar();
    ASSERT_TRUE(settle([&] { return scroll.maximum() > 0; }));
    scroll.setValue(scroll.maximum() / 2);
    const int position = scroll.value();

    commands->treeSetItems(windowId, tree, slotItems(200));
    QCoreApplication::processEvents();
    EXPECT_EQ(scroll.value(), position);

    commands->treeSetItems(windowId, tree, slotItems(200, "晚风"));
    EXPECT_EQ(track(0)->text(0), QStringLiteral(u"晚风"));
    EXPECT_EQ(treeWidget().topLevelItemCount(), 200);
}

TEST_F(ItemViewsTest, ListViewAndListBoxShowEveryRowInOrder)
{
    std::vector<Text> rows;
    for (int k = 1; k <= 500; ++k)
        rows.push_back("*  场次" + std::to_string(k));
    commands->listViewSetRows(windowId, showList, rows);
    auto& shows = static_cast<QTreeWidget&>(*widgetOf(showList));
    ASSERT_EQ(shows.topLevelItemCount(), 500);
    EXPECT_EQ(shows.topLevelItem(499)->text(0), QStringLiteral(u"*  场次500"));

    for (const char* style : { "慢四", "快三" })
        commands->listAddItem(windowId, styleList, style);
    auto& styles = static_cast<QListWidget&>(*widgetOf(styleList));
    ASSERT_EQ(styles.count(), 2);
    EXPECT_EQ(styles.item(1)->text(), QStringLiteral(u"快三"));
}

} // namespace
} // namespace gui::test
