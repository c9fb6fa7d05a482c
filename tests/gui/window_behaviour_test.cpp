// The window as a whole: its frame and size, modal windows over it, and the common mouse and
// character events of its controls.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace gui::test {
namespace {

constexpr WindowId owner = 0x52010070, dialog = 0x52010080;
constexpr ComponentId ownerItem = 0x06010071, openButton = 0x16010072, label = 0x16010073,
                      edit = 0x16010074;
constexpr ComponentId dialogItem = 0x06010081;

constexpr int onOpen = 0, onLabelDown = 1, onCharacter = 2;

std::vector<WindowTemplate> windows()
{
    auto ownerWindow = window(owner, ownerItem, {},
        { withValues(component(openButton, unit::button, { 10, 10, 80, 24 }, { { 0, onOpen } }),
              { { prop::button::caption, Text("打开") } }),
            component(label, unit::label, { 10, 50, 100, 30 },
                { { commonEvent::leftDown, onLabelDown } }),
            component(edit, unit::editBox, { 10, 90, 100, 20 },
                { { commonEvent::character, onCharacter } }) });
    ownerWindow.components[0] = withValues(ownerWindow.components[0],
        { { prop::window::caption, Text("舞厅") }, { prop::window::minButton, true } });
    auto dialogWindow = window(dialog, dialogItem, {}, {});
    dialogWindow.components[0] = withValues(dialogWindow.components[0],
        { { prop::window::state, 1 }, { prop::window::caption, Text("另存场次") } });
    return { ownerWindow, dialogWindow };
}

class WindowBehaviourTest : public GuiTest {
protected:
    void SetUp() override { load(windows()); }
};

TEST_F(WindowBehaviourTest, TemplateSizeIsTheOuterSizeWithCaptionAndButtons)
{
    EXPECT_EQ(top()->windowTitle(), QStringLiteral("舞厅"));
    EXPECT_EQ(top()->size(), QSize(400 - 6, 300 - 25))
        << "the frame takes 3 px a side and a caption";
    EXPECT_TRUE(top()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(top()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(std::get<std::int32_t>(core->property(owner, 0, prop::window::state)), 0);
}

TEST_F(WindowBehaviourTest, ModalWindowBlocksItsOwnerUntilItCloses)
{
    bool ownerBlocked = false, staysAboveOwner = false, enablingLeftItBlocked = false;
    QPoint dialogCentre;
    QSize screen;
    actions[onOpen] = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* shown = static_cast<platform::qt::WindowView*>(core->view(dialog))->widget();
            ownerBlocked = !top()->isEnabled();
            // Enabling the owner while the dialog is up must not let input reach it.
            core->setProperty(owner, 0, prop::disabled, false);
            enablingLeftItBlocked = !top()->isEnabled();
            staysAboveOwner = shown->windowHandle()->transientParent() == top()->windowHandle();
            dialogCentre = shown->frameGeometry().center();
            screen = shown->screen()->geometry().size();
            shown->close();
        });
        EXPECT_TRUE(core->loadWindow(dialog, true)) << "returns once the dialog has closed";
    };
    QTest::mouseClick(static_cast<QPushButton*>(widgetOf(openButton)), Qt::LeftButton);
    EXPECT_TRUE(ownerBlocked);
    EXPECT_TRUE(enablingLeftItBlocked);
    EXPECT_TRUE(staysAboveOwner);
    EXPECT_FALSE(core->isLoaded(dialog));
    EXPECT_TRUE(top()->isEnabled());
    EXPECT_NEAR(dialogCentre.x(), screen.width() / 2, 15) << "state 1 centres the window";
    EXPECT_NEAR(dialogCentre.y(), screen.height() / 2, 15);
}

TEST_F(WindowBehaviourTest, MouseEventsCarryClientPointAndKeyState)
{
    QTest::mouseClick(
        widgetOf(label), Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(7, 9));
    EXPECT_EQ(calls, std::vector<std::string> { "h1(7,9,3)" });
}

TEST_F(WindowBehaviourTest, CharacterHandlerReplacesOrSwallowsTypedCharacters)
{
    actions[onCharacter] = [&] {
        // 'x' becomes 'y'; digits are swallowed; anything else passes.
        const int typed = std::stoi(calls.back().substr(3));
        if (typed == 'x')
            results[onCharacter] = 'y';
        else if (typed >= '0' && typed <= '9')
            results[onCharacter] = 0;
        else
            results.erase(onCharacter);
    };
    widgetOf(edit)->setFocus();
    QTest::keyClicks(widgetOf(edit), "ax1b");
    EXPECT_EQ(std::get<Text>(core->property(owner, edit, prop::editBox::content)), "ayb");
}

} // namespace
} // namespace gui::test
