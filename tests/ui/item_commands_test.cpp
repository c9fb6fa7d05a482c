// Filling a tree or a list view in one command: the same items as one by one, one refresh of
// the view for all of them, and no redrawing of items that did not change.

#include "core_fixture.h"
#include "ui/item_models.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace ui::test {
namespace {

constexpr ComponentId tree = 0x16010ca8, rows = 0x16011214;

WindowTemplate windowWithLists()
{
    auto shows = component(rows, unit::listView);
    shows.block = { true, {}, {}, { { "列表", 150 } } };
    return window(mainId, mainOwn, {}, { component(tree, unit::treeBox), shows });
}

class ItemCommandsTest : public CoreTest {
protected:
    void SetUp() override
    {
        start({ windowWithLists() });
        core->loadStartWindow(mainId);
        views.forgetTranscript();
    }

    // How often the view was told that the component's items changed.
    long itemRefreshes(ComponentId c) const
    {
        char line[64];
        std::snprintf(line, sizeof line, "refresh 0x%08x -1", c);
        const std::vector<std::string> lines = views.transcript();
        return std::count_if(
            lines.begin(), lines.end(), [&](const std::string& l) { return l.ends_with(line); });
    }

    ComponentState state(ComponentId c) const { return *core->component(mainId, c); }
};

TEST_F(ItemCommandsTest, TreeSetAtOnceHoldsWhatAddingOneByOneLeavesWithOneRefresh)
{
    const std::int32_t first = commands->treeAddItem(mainId, tree, std::nullopt, "1 慢四");
    commands->treeAddItem(mainId, tree, first, "舞曲1");
    const std::int32_t second = commands->treeAddItem(mainId, tree, std::nullopt, "2 快三");
    commands->treeAddItem(mainId, tree, second, "选择更换舞曲");
    for (std::int32_t item = 0; item < 4; ++item)
        commands->treeExpand(mainId, tree, item);
    const std::vector<TreeItem> oneByOne = state(tree).tree;
    set(tree, prop::treeBox::selection, std::int32_t(1));
    views.forgetTranscript();

    commands->treeSetItems(mainId, tree,
        { { "1 慢四", 1, true, {} }, { "舞曲1", 2, true, {} }, { "2 快三", 1, true, {} },
            { "选择更换舞曲", 2, true, {} } });

    EXPECT_EQ(state(tree).tree, oneByOne);
    EXPECT_EQ(state(tree).selection, -1);
    EXPECT_EQ(commands->treeParent(mainId, tree, 3), 2);
    EXPECT_EQ(itemRefreshes(tree), 1);
}

TEST_F(ItemCommandsTest, TreeDepthsThatSkipALevelAreTakenOneDeeperThanTheItemBefore)
{
    commands->treeSetItems(mainId, tree,
        { { "a", 3, false, {} }, { "b", 5, false, {} }, { "c", 1, false, {} },
            { "d", 0, false, {} } });
    std::vector<int> depths;
    for (const TreeItem& item : state(tree).tree)
        depths.push_back(item.depth);
    EXPECT_EQ(depths, (std::vector<int> { 1, 2, 1, 1 }));
    EXPECT_EQ(commands->treeParent(mainId, tree, 1), 0);
}

TEST_F(ItemCommandsTest, EnsureVisibleRedrawsTheItemsOnlyWhenItHadToExpandOne)
{
    commands->treeSetItems(mainId, tree, { { "1 慢四", 1, false, {} }, { "舞曲1", 2, false, {} } });
    views.forgetTranscript();
    EXPECT_TRUE(commands->treeEnsureVisible(mainId, tree, 1));
    EXPECT_TRUE(state(tree).tree[0].expanded);
    EXPECT_EQ(itemRefreshes(tree), 1);

    views.forgetTranscript();
    EXPECT_TRUE(commands->treeEnsureVisible(mainId, tree, 1));
    EXPECT_TRUE(commands->treeEnsureVisible(mainId, tree, 0));
    EXPECT_FALSE(commands->treeEnsureVisible(mainId, tree, 2));
    EXPECT_EQ(itemRefreshes(tree), 0);
}

TEST_F(ItemCommandsTest, ListViewRowsSetAtOnceReplaceTheRowsWithOneRefresh)
{
    commands->listViewInsert(mainId, rows, std::nullopt, "*  旧场次");
    set(rows, prop::listView::currentRow, std::int32_t(0));
    views.forgetTranscript();

    commands->listViewSetRows(mainId, rows, { "*  周一", "*  周二", "*  周三" });

    EXPECT_EQ(state(rows).rows, (std::vector<Text> { "*  周一", "*  周二", "*  周三" }));
    EXPECT_EQ(state(rows).selection, -1);
    EXPECT_EQ(commands->listViewCount(mainId, rows), 3);
    EXPECT_EQ(itemRefreshes(rows), 1);
}

// Views skip reading the texts again while the revision stands, so every change of the items
// themselves must move it, and nothing else may.
TEST(ItemsRevision, MovesWithTheItemsNotWithExpansionNotesOrSelection)
{
    ComponentState s;
    s.unit = unit::treeBox;
    std::uint32_t seen = s.itemsRevision;
    auto moved = [&] { return std::exchange(seen, s.itemsRevision) != s.itemsRevision; };

    addTreeItem(s, std::nullopt, "1 慢四");
    EXPECT_TRUE(moved());
    addTreeItem(s, 0, "舞曲1");
    EXPECT_TRUE(moved());
    EXPECT_EQ(addTreeItem(s, 7, "no such parent"), -1);
    EXPECT_FALSE(moved());
    expandTreeItem(s, 0);
    revealTreeItem(s, 1);
    selectIndex(s, 1);
    s.tree[1].note = "3:45";
    EXPECT_FALSE(moved());
    setTreeItems(s, { { "2 快三", 1, false, {} } });
    EXPECT_TRUE(moved());
    clearTree(s);
    EXPECT_TRUE(moved());

    s.unit = unit::listView;
    insertRow(s, -1, "row");
    EXPECT_TRUE(moved());
    setRows(s, { "a", "b" });
    EXPECT_TRUE(moved());
    clearRows(s);
    EXPECT_TRUE(moved());

    s.unit = unit::listBox;
    addEntry(s, "慢四");
    EXPECT_TRUE(moved());
    clearEntries(s);
    EXPECT_TRUE(moved());
}

TEST_F(ItemCommandsTest, PropertiesWithoutItemsLeaveTheItemsInTheCore)
{
    commands->treeSetItems(mainId, tree, { { "1 慢四", 1, true, { "3:45" } } });
    set(tree, prop::treeBox::selection, std::int32_t(0));

    const std::optional<ComponentState> properties = core->componentProperties(mainId, tree);
    ASSERT_TRUE(properties);
    EXPECT_TRUE(properties->tree.empty());
    EXPECT_EQ(properties->selection, 0);
    EXPECT_EQ(properties->itemsRevision, state(tree).itemsRevision);
    EXPECT_EQ(state(tree).tree.size(), 1u);
    EXPECT_EQ(core->componentProperties(mainId, rows)->columns.size(), 1u);
    EXPECT_FALSE(core->componentProperties(mainId, 0x16019999));
}

} // namespace
} // namespace ui::test
