// What the user does to a real window reaches the core: typing and editing anywhere in an edit
// box, minimizing and restoring, activation, expanding and collapsing tree items.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTreeWidget>

namespace gui::test {
namespace {

constexpr WindowId testWindow = 0x52010090;
constexpr ComponentId ownItem = 0x06010091, edit = 0x16010092, tree = 0x16010093;

// Handler numbers.
constexpr int onActivated = 0, onFirstActivation = 1, onResized = 2, onCharacter = 3,
              onExpanding = 4, onCollapsing = 5, onTreeKey = 6;

WindowTemplate testWindowTemplate()
{
    auto w = window(testWindow, ownItem,
        { { windowEvent::activated, onActivated },
            { windowEvent::firstActivation, onFirstActivation },
            { windowEvent::resized, onResized } },
        { component(edit, unit::editBox, { 10, 10, 120, 22 },
              { { commonEvent::character, onCharacter } }),
            component(tree, unit::treeBox, { 10, 40, 200, 200 },
                { { treeEvent::expanding, onExpanding }, { treeEvent::collapsing, onCollapsing },
                    { commonEvent::keyDown, onTreeKey } }) });
    w.components[0] = withValues(w.components[0], { { prop::window::minButton, true } });
    return w;
}

class UserInputTest : public GuiTest {
protected:
    void SetUp() override { load({ testWindowTemplate() }); }

    QLineEdit& line() const { return static_cast<QLineEdit&>(*widgetOf(edit)); }
    Text content() const
    {
        return std::get<Text>(core->property(windowId, edit, prop::editBox::content));
    }
    std::size_t count(int handler) const
    {
        const std::string call = "h" + std::to_string(handler) + "(";
        return std::count_if(
            calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(call); });
    }

    QTreeWidget& treeWidget() const { return static_cast<QTreeWidget&>(*widgetOf(tree)); }
    // Two slots: items 0 and 2 are headings, 1 and 3 their tracks.
    void fillTree()
    {
        for (const char* heading : { "1 慢四", "2 快三" }) {
            std::int32_t parent = commands->treeAddItem(windowId, tree, std::nullopt, heading);
            commands->treeAddItem(windowId, tree, parent, "track.mp3");
        }
    }
    QTreeWidgetItem* heading(const QString& text) const
    {
        return treeWidget().findItems(text, Qt::MatchExactly).value(0);
    }
    // A click on the item's expand/collapse sign, left of its text.
    void clickSign(QTreeWidgetItem* item)
    {
        const QRect text = treeWidget().visualItemRect(item);
        QTest::mouseClick(treeWidget().viewport(), Qt::LeftButton, {},
            QPoint(text.left() - treeWidget().indentation() / 2, text.center().y()));
    }
    bool expandedInCore(std::size_t index) const
    {
        return core->component(windowId, tree)->tree.at(index).expanded;
    }
};

TEST_F(UserInputTest, TypingInsideTheTextRaisesTheCharacterEventThere)
{
    actions[onCharacter] = [&] {
        // Digits are swallowed, 'x' becomes 'y'.
        const int typed = std::stoi(calls.back().substr(3));
        if (typed >= '0' && typed <= '9')
            results[onCharacter] = 0;
        else if (typed == 'x')
            results[onCharacter] = 'y';
        else
            results.erase(onCharacter);
    };
    calls.clear();
    line().setFocus();
    QTest::keyClicks(&line(), "ab");
    QTest::keyClick(&line(), Qt::Key_Home);
    QTest::keyClicks(&line(), "x1");
    EXPECT_EQ(content(), "yab");
    EXPECT_EQ(line().cursorPosition(), 1) << "the cursor stays after the typed character";
    QTest::keyClicks(&line(), "c");
    EXPECT_EQ(content(), "ycab");
    EXPECT_EQ(calls.size(), 5u) << "every typed character, wherever it goes";

    line().setSelection(1, 2);
    QTest::keyClicks(&line(), "7");
    EXPECT_EQ(content(), "ycab") << "a swallowed character keeps the selection";
    EXPECT_EQ(line().selectedText(), QStringLiteral("ca"));
    QTest::keyClicks(&line(), "z");
    EXPECT_EQ(content(), "yzb");
    EXPECT_EQ(line().text(), QStringLiteral("yzb"));
}

TEST_F(UserInputTest, InputMethodTextIsTypedToo)
{
    line().setFocus();
    QTest::keyClicks(&line(), "ab");
    line().setCursorPosition(1);
    results[onCharacter] = 0;
    QInputMethodEvent swallowed(QString(), {});
    swallowed.setCommitString(QStringLiteral("舞"));
    QApplication::sendEvent(&line(), &swallowed);
    EXPECT_EQ(content(), "ab");

    results.erase(onCharacter);
    QInputMethodEvent committed(QString(), {});
    committed.setCommitString(QStringLiteral("舞"));
    QApplication::sendEvent(&line(), &committed);
    EXPECT_EQ(content(), "a" + Text("舞") + "b");
    EXPECT_EQ(line().cursorPosition(), 2);
}

TEST_F(UserInputTest, DeletingAndPastingHandTheNewContentToTheCore)
{
    line().setFocus();
    QTest::keyClicks(&line(), "abcd");
    line().setCursorPosition(1);
    QTest::keyClick(&line(), Qt::Key_Delete);
    EXPECT_EQ(content(), "acd");

    calls.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("舞曲"));
    QTest::keyClick(&line(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(content(), "a" + Text("舞曲") + "cd");
    EXPECT_TRUE(calls.empty()) << "pasting types no characters";

    core->setProperty(windowId, edit, prop::disabled, true);
    core->setProperty(windowId, edit, prop::disabled, false);
    EXPECT_EQ(line().text(), QStringLiteral("a舞曲cd"));
}

TEST_F(UserInputTest, UserMinimizeIsTheWindowStateAndTheProgramRestoresIt)
{
    calls.clear();
    top()->showMinimized();
    EXPECT_EQ(std::get<std::int32_t>(core->property(windowId, 0, prop::window::state)), 2);
    EXPECT_EQ(count(onResized), 1u);

    // The tray handler restores the window by writing state 0.
    core->setProperty(windowId, 0, prop::window::state, 0);
    EXPECT_FALSE(top()->isMinimized());
    EXPECT_EQ(std::get<std::int32_t>(core->property(windowId, 0, prop::window::state)), 0);
    EXPECT_EQ(count(onResized), 1u) << "the program's restore is no user event";

    top()->showMinimized();
    top()->showNormal();
    EXPECT_EQ(std::get<std::int32_t>(core->property(windowId, 0, prop::window::state)), 0);
    EXPECT_EQ(count(onResized), 3u);
}

TEST_F(UserInputTest, ActivatedArrivesOnceAtLoad)
{
    top()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top()));
    QTest::qWait(50); // anything else the desktop has to say
    EXPECT_EQ(count(onFirstActivation), 1u);
    EXPECT_EQ(count(onActivated), 1u) << "the core's and the desktop's activation are one";
}

TEST_F(UserInputTest, ExpandingByTheUserAsksTheHandlerAndSurvivesRebuilding)
{
    fillTree();
    calls.clear();
    clickSign(heading(QStringLiteral("2 快三")));
    ASSERT_TRUE(heading(QStringLiteral("2 快三"))->isExpanded());
    EXPECT_EQ(calls, std::vector<std::string> { "h4(2)" });
    EXPECT_TRUE(expandedInCore(2));

    // New items rebuild the tree: the user's expansion stays.
    commands->treeAddItem(windowId, tree, std::nullopt, "3 伦巴");
    EXPECT_TRUE(heading(QStringLiteral("2 快三"))->isExpanded());
    EXPECT_FALSE(heading(QStringLiteral("1 慢四"))->isExpanded());

    clickSign(heading(QStringLiteral("2 快三")));
    EXPECT_FALSE(heading(QStringLiteral("2 快三"))->isExpanded());
    EXPECT_FALSE(expandedInCore(2));
    EXPECT_EQ(calls.back(), "h5(2)");
}

TEST_F(UserInputTest, ExpansionRefusedByTheHandlerIsUndone)
{
    fillTree();
    results[onExpanding] = 0;
    treeWidget().setFocus();
    treeWidget().setCurrentItem(heading(QStringLiteral("1 慢四")));
    QTest::keyClick(&treeWidget(), Qt::Key_Plus);
    EXPECT_EQ(calls.back(), "h4(0)");
    EXPECT_FALSE(heading(QStringLiteral("1 慢四"))->isExpanded());
    EXPECT_FALSE(expandedInCore(0));
}

// Keys go to the focused tree itself, not to the surface its mouse events come from.
TEST_F(UserInputTest, KeysPressedOnAFocusedTreeReachItsComponent)
{
    fillTree();
    treeWidget().setFocus();
    calls.clear();
    QTest::keyClick(&treeWidget(), Qt::Key_Return);
    QTest::keyClick(&treeWidget(), Qt::Key_F2);
    EXPECT_EQ(calls, (std::vector<std::string> { "h6(13,0)", "h6(113,0)" }));
}

// A window whose tree sits in a group box, and whose own item has a key handler.
constexpr WindowId groupedWindow = 0x52010096;
constexpr ComponentId groupedOwnItem = 0x06010097, group = 0x16010098, groupedTree = 0x16010099;
constexpr int onWindowKey = 0;

class GroupedTreeKeys : public GuiTest {
protected:
    void SetUp() override
    {
        load({ window(groupedWindow, groupedOwnItem, { { commonEvent::keyDown, onWindowKey } },
            { component(group, unit::groupBox, { 10, 10, 200, 200 }),
                component(groupedTree, unit::treeBox, { 10, 20, 180, 170 }, {}, group) }) });
        for (const char* heading : { "1 慢四", "2 快三" })
            commands->treeAddItem(windowId, groupedTree, std::nullopt, heading);
    }
    QTreeWidget& tree() const { return static_cast<QTreeWidget&>(*widgetOf(groupedTree)); }
};

// A key the focused tree leaves (Ctrl+→ on an item without children) travels up through the
// group box around it: the window's handler hears of it once. And a key a handler takes is
// not the tree's to act on as well.
TEST_F(GroupedTreeKeys, AKeyIsHandledOnceAndOneAHandlerTakesGoesNoFurther)
{
    tree().setFocus();
    tree().setCurrentItem(tree().topLevelItem(0));
    calls.clear();

    QTest::keyClick(&tree(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(calls, (std::vector<std::string> { "h0(17,1)", "h0(39,1)" })) << "Ctrl, then →";

    results[onWindowKey] = 1;
    QTest::keyClick(&tree(), Qt::Key_Down);
    EXPECT_EQ(calls.back(), "h0(40,0)");
    EXPECT_EQ(tree().currentItem(), tree().topLevelItem(0)) << "the handler took the key";
    results.erase(onWindowKey);
    QTest::keyClick(&tree(), Qt::Key_Down);
    EXPECT_EQ(tree().currentItem(), tree().topLevelItem(1));
}

} // namespace
} // namespace gui::test
