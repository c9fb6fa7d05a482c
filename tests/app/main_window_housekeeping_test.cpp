// The main window's small handlers: tray clicks and menu, the show list's menu, the clock
// line and the vendor link.

#include "tests/app/main_window_run.h"

#include "ui/commands.h"
#include "ui/unit_properties.h"

#include <algorithm>

namespace app::test {
namespace {

using namespace ids::MainWindow;

class Housekeeping : public MainWindowRun {
protected:
    Housekeeping() { start(); }

    bool visible() { return std::get<bool>(mainProperty(self, 5)); }
    std::int32_t state()
    {
        return std::get<std::int32_t>(mainProperty(self, ui::prop::window::state));
    }
    std::size_t zOrderCalls()
    {
        auto transcript = views.transcript();
        return std::count(transcript.begin(), transcript.end(), "0x52010001 z-order 1");
    }
    // Chooses the entry of the last menu shown.
    void choose(const Text& caption)
    {
        std::vector<ui::headless::ShownMenu> menus = views.menus();
        for (const ui::MenuEntry& entry : menus.back().entries)
            if (entry.caption == caption)
                return input.menuCommand(window, entry.commandId);
        FAIL() << "no menu entry";
    }
};

TEST_F(Housekeeping, TheTrayMenuHidesAndShowsTheWindow)
{
    input.trayEvent(window, 3);
    ASSERT_EQ(views.menus().size(), 1u);
    EXPECT_TRUE(views.menus()[0].tray);
    choose("隐藏");
    EXPECT_FALSE(visible());

    input.trayEvent(window, 3);
    choose("显示");
    EXPECT_TRUE(visible());

    // Minimised, 显示 restores it too and brings it in front.
    input.windowState(window, 2);
    const std::size_t raised = zOrderCalls();
    input.trayEvent(window, 3);
    choose("显示");
    EXPECT_EQ(state(), 0);
    EXPECT_TRUE(visible());
    EXPECT_EQ(zOrderCalls(), raised + 1);
}

TEST_F(Housekeeping, TrayClicksRestoreTheWindow)
{
    input.windowState(window, 2);
    application.windows.setProperty(window, self, 5, false);
    std::size_t raised = zOrderCalls();

    input.trayEvent(window, 2);
    EXPECT_EQ(state(), 0);
    EXPECT_TRUE(visible());
    EXPECT_EQ(zOrderCalls(), raised);

    input.windowState(window, 2);
    application.windows.setProperty(window, self, 5, false);
    input.trayEvent(window, 1);
    EXPECT_EQ(state(), 0);
    EXPECT_TRUE(visible());
    EXPECT_EQ(zOrderCalls(), raised + 1);
    EXPECT_TRUE(std::get<bool>(mainProperty(self, ui::prop::window::maxButton)));

    input.trayEvent(window, 7);
    EXPECT_EQ(zOrderCalls(), raised + 2);
    EXPECT_TRUE(views.menus().empty());
}

TEST_F(Housekeeping, TheShowListMenuNeedsASelectedShow)
{
    application.windows.setProperty(window, 超级列表框1, ui::prop::listView::currentRow, -1);
    input.rightClick(window, 超级列表框1);
    EXPECT_TRUE(views.menus().empty());

    ui::Commands(application.windows).listViewInsert(window, 超级列表框1, std::nullopt, "*  周六");
    input.select(window, 超级列表框1, 0);
    input.rightClick(window, 超级列表框1);
    ASSERT_EQ(views.menus().size(), 1u);
    EXPECT_FALSE(views.menus()[0].tray);
    ASSERT_EQ(views.menus()[0].entries.size(), 3u);
    EXPECT_EQ(views.menus()[0].entries[0].caption, "删除");
    EXPECT_EQ(views.menus()[0].entries[1].caption, "重命名");
    EXPECT_EQ(views.menus()[0].entries[2].caption, "复制");
}

TEST_F(Housekeeping, TheClockLineDropsZeroSecondsAndMinutes)
{
    auto clockLine = [&] { return std::get<Text>(mainProperty(标签3, ui::prop::label::caption)); };
    // 2024-01-01 12:30:00 UTC, then 12:00:00, then 12:30:05.
    headless.clock().setWallMillis(1'704'112'200'000 - 1000);
    headless.advance(1000);
    EXPECT_EQ(clockLine(), "2024年1月1日12时30分");
    headless.clock().setWallMillis(1'704'110'400'000 - 1000);
    headless.advance(1000);
    EXPECT_EQ(clockLine(), "2024年1月1日12时");
    headless.clock().setWallMillis(1'704'112'205'000 - 1000);
    headless.advance(1000);
    EXPECT_EQ(clockLine(), "2024年1月1日12时30分5秒");
}

TEST_F(Housekeeping, PressingTheLinkGivesItTheVendorAddress)
{
    input.mouse(window, 超级链接框1, ui::commonEvent::leftDown);
    Text address = std::get<Text>(mainProperty(超级链接框1, ui::prop::hyperLinker::address));
    EXPECT_TRUE(address.starts_with("http://")) << address;
}

} // namespace
} // namespace app::test
