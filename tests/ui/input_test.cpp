// What the user does to edit boxes, tree items and the window itself, as the core takes it:
// the content, flag or state it keeps and the events it raises.

#include "core_fixture.h"
#include "ui/item_models.h"
#include "ui/unit_properties.h"

namespace ui::test {
namespace {

constexpr ComponentId edit = 0x16010201, tree = 0x16010202;

// Handler numbers.
constexpr int onActivated = 0, onDeactivated = 1, onFirstActivation = 2, onResized = 3,
              onCharacter = 4, onExpanding = 5, onCollapsing = 6, onShowing = 7, onWindowKey = 8,
              onEditKey = 9, onDropped = 10;

WindowTemplate inputWindow()
{
    return window(mainId, mainOwn,
        { { windowEvent::activated, onActivated }, { windowEvent::deactivated, onDeactivated },
            { windowEvent::firstActivation, onFirstActivation },
            { windowEvent::resized, onResized }, { windowEvent::showing, onShowing },
            { commonEvent::keyDown, onWindowKey } },
        { component(edit, unit::editBox, { 10, 10, 80, 20 },
              { { commonEvent::character, onCharacter }, { commonEvent::keyDown, onEditKey } }),
            component(tree, unit::treeBox, { 10, 40, 200, 200 },
                { { treeEvent::expanding, onExpanding }, { treeEvent::collapsing, onCollapsing },
                    { treeEvent::dropped, onDropped } }) });
}

class InputTest : public CoreTest {
protected:
    void SetUp() override
    {
        start({ inputWindow() });
        core->loadStartWindow(mainId);
        calls.clear();
    }

    Text content() { return std::get<Text>(get(edit, prop::editBox::content)); }
    std::vector<TreeItem> items() { return core->component(mainId, tree)->tree; }
    bool expanded(std::size_t index) { return items().at(index).expanded; }

    // Items 0 and 2 are headings, 1 and 3 their tracks.
    void fillTree()
    {
        for (const char* heading : { "1 慢四", "2 快三" }) {
            std::int32_t parent = commands->treeAddItem(mainId, tree, std::nullopt, heading);
            commands->treeAddItem(mainId, tree, parent, "track.mp3");
        }
    }
};

TEST_F(InputTest, TypedCharactersGoWhereTheCursorIsAfterTheCharacterEvent)
{
    set(edit, prop::editBox::content, Text("abef"));
    input->typeText(mainId, edit, "cd", TextRange { 2, 0 });
    EXPECT_EQ(content(), "abcdef");
    EXPECT_EQ(calls, (std::vector<std::string> { "h4(99)", "h4(100)" }));

    input->typeText(mainId, edit, "X", TextRange { 1, 4 }); // over a selection
    EXPECT_EQ(content(), "aXf");

    const Text dance = "舞";
    calls.clear();
    input->typeText(mainId, edit, dance, TextRange { 1, 0 });
    EXPECT_EQ(content(), "a" + dance + "Xf") << "a double-byte character moves as one";
    const int code
        = static_cast<unsigned char>(dance[0]) << 8 | static_cast<unsigned char>(dance[1]);
    EXPECT_EQ(calls, std::vector<std::string> { "h4(" + std::to_string(code) + ")" });

    input->typeText(mainId, edit, "!", TextRange { 99, 5 });
    EXPECT_EQ(content(), "a" + dance + "Xf!") << "a place past the end is the end";
}

TEST_F(InputTest, CharacterHandlerSwallowsOrReplacesTypingInsideTheText)
{
    set(edit, prop::editBox::content, Text("ab"));
    results[onCharacter] = 0;
    input->typeText(mainId, edit, "z", TextRange { 0, 1 });
    EXPECT_EQ(content(), "ab") << "a swallowed character leaves the selection as it was";

    results[onCharacter] = 'Y';
    input->typeText(mainId, edit, "xx", TextRange { 1, 0 });
    EXPECT_EQ(content(), "aYYb");
}

TEST_F(InputTest, CharacterHandlerThatClosesTheWindowEndsTheTyping)
{
    actions[onCharacter] = [this] { commands->close(mainId, 0); };
    EXPECT_EQ(errorOf([this] { input->typeText(mainId, edit, "ab", TextRange { 0, 0 }); }), "");
    EXPECT_EQ(calls, std::vector<std::string> { "h4(97)" });
    EXPECT_FALSE(core->isLoaded(mainId));
}

TEST_F(InputTest, OtherEditsSetTheContentWithoutEvents)
{
    set(edit, prop::editBox::content, Text("abc"));
    EXPECT_TRUE(input->editText(mainId, edit, "ac")); // a deleted character
    EXPECT_EQ(content(), "ac");
    EXPECT_TRUE(input->editText(mainId, edit, "a粘贴c")); // pasted text
    EXPECT_EQ(content(), "a粘贴c");
    EXPECT_TRUE(calls.empty()) << "only typed characters raise the character event";

    set(edit, prop::disabled, true);
    EXPECT_FALSE(input->editText(mainId, edit, ""));
    EXPECT_EQ(content(), "a粘贴c") << "a disabled box takes no edit";
    EXPECT_FALSE(input->editText(mainId, tree, "x")) << "only edit boxes have a content";
}

TEST_F(InputTest, UserMinimizeAndRestoreAreKeptAndRaiseSizeChanged)
{
    input->windowState(mainId, 2);
    EXPECT_EQ(get(0, prop::window::state), Value(std::int32_t(2)));
    input->windowState(mainId, 2);
    EXPECT_EQ(calls, std::vector<std::string> { "h3()" }) << "a repeated report raises nothing";

    // The tray handler's restore: the program writes 0 and the view reports what it did.
    set(0, prop::window::state, std::int32_t(0));
    input->windowState(mainId, 0);
    EXPECT_EQ(get(0, prop::window::state), Value(std::int32_t(0)));
    EXPECT_EQ(calls.size(), 1u) << "the program's own change is no user event";

    input->windowState(mainId, 3);
    input->windowState(mainId, 0);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(InputTest, DisabledWindowKeepsItsStateButRaisesNoEvent)
{
    set(0, prop::disabled, true);
    input->windowState(mainId, 2);
    EXPECT_EQ(get(0, prop::window::state), Value(std::int32_t(2)));
    EXPECT_TRUE(calls.empty());
}

// Parameter: the desktop reports the activation while the window is being shown, before the
// core's own; or only after the load.
class ActivationTest : public CoreTest, public ::testing::WithParamInterface<bool> { };

TEST_P(ActivationTest, LoadingAndTheDesktopActivateTheWindowOnce)
{
    if (GetParam())
        actions[onShowing] = [this] { input->activation(mainId, true); };
    start({ inputWindow() });
    core->loadStartWindow(mainId);
    input->activation(mainId, true);
    EXPECT_EQ(calls, (std::vector<std::string> { "h3()", "h7()", "h2()", "h0()" }));

    calls.clear();
    input->activation(mainId, false);
    input->activation(mainId, false);
    input->activation(mainId, true);
    EXPECT_EQ(calls, (std::vector<std::string> { "h1()", "h0()" })) << "first activation once";
}

INSTANTIATE_TEST_SUITE_P(Input, ActivationTest, ::testing::Bool());

TEST_F(InputTest, ExpandingAndCollapsingAskTheHandlerAndAreKept)
{
    fillTree();
    EXPECT_TRUE(input->expandTreeItem(mainId, tree, 2, true));
    EXPECT_TRUE(expanded(2));
    EXPECT_FALSE(input->expandTreeItem(mainId, tree, 2, true)) << "already expanded";
    EXPECT_TRUE(input->expandTreeItem(mainId, tree, 2, false));
    EXPECT_FALSE(expanded(2));
    EXPECT_FALSE(input->expandTreeItem(mainId, tree, 9, true));
    EXPECT_EQ(calls, (std::vector<std::string> { "h5(2)", "h6(2)" }));

    results[onExpanding] = 0;
    auto before = views.transcript().size();
    EXPECT_FALSE(input->expandTreeItem(mainId, tree, 0, true));
    EXPECT_FALSE(expanded(0)) << "false cancels";
    auto after = views.transcript();
    EXPECT_EQ(after.back(), "0x52010001 refresh 0x16010202 -1")
        << "the view, which expanded the item itself, shows the core's items again";
    EXPECT_GT(after.size(), before);
}

TEST_F(InputTest, AnExpandedItemStaysExpandedWhenItemsAreAdded)
{
    fillTree();
    input->expandTreeItem(mainId, tree, 2, true);
    commands->treeAddItem(mainId, tree, 0, "second.mp3"); // before it: item 2 moves to 3
    commands->treeAddItem(mainId, tree, std::nullopt, "3 伦巴");
    ASSERT_EQ(treeText(*core->component(mainId, tree), 3), "2 快三");
    EXPECT_TRUE(expanded(3));
    EXPECT_FALSE(expanded(0));

    commands->treeExpand(mainId, tree, 0);
    EXPECT_EQ(calls, std::vector<std::string> { "h5(2)" }) << "the program's expansion is silent";
}

TEST_F(InputTest, HandlerThatChangesTheItemsLeavesNothingToExpand)
{
    fillTree();
    actions[onExpanding] = [this] {
        commands->treeClear(mainId, tree);
        commands->treeAddItem(mainId, tree, std::nullopt, "new");
    };
    EXPECT_FALSE(input->expandTreeItem(mainId, tree, 0, true));
    EXPECT_FALSE(expanded(0));

    actions[onExpanding] = [this] { commands->close(mainId, 0); };
    EXPECT_EQ(errorOf([this] { input->expandTreeItem(mainId, tree, 0, true); }), "");
}

TEST_F(InputTest, AKeyTheFocusedComponentLeavesGoesOnToItsWindow)
{
    input->key(mainId, edit, true, 'A', keys::ctrl);
    EXPECT_EQ(calls, (std::vector<std::string> { "h9(65,1)", "h8(65,1)" }));

    calls.clear();
    results[onEditKey] = 1;
    input->key(mainId, edit, true, 'A', 0);
    EXPECT_EQ(calls, std::vector<std::string> { "h9(65,0)" }) << "a result keeps it";

    calls.clear();
    input->key(mainId, tree, true, ' ', 0);
    input->key(mainId, tree, false, ' ', 0);
    EXPECT_EQ(calls, std::vector<std::string> { "h8(32,0)" }) << "no handler of its own";

    calls.clear();
    set(edit, prop::disabled, true);
    input->key(mainId, edit, true, 'A', 0);
    EXPECT_TRUE(calls.empty()) << "a disabled control takes no key to pass on";
}

TEST_F(InputTest, ADroppedTreeItemIsReportedWithItsTargetAndTheItemsStay)
{
    fillTree();
    const std::vector<TreeItem> before = items();
    input->dropTreeItem(mainId, tree, 3, 0);
    EXPECT_EQ(calls, std::vector<std::string> { "h10(3,0)" });
    EXPECT_EQ(items(), before);

    calls.clear();
    for (auto [dragged, target] : { std::pair { 1, 1 }, std::pair { 0, 4 }, std::pair { -1, 2 } })
        input->dropTreeItem(mainId, tree, dragged, target);
    EXPECT_TRUE(calls.empty()) << "onto itself or outside the items";
}

} // namespace
} // namespace ui::test
