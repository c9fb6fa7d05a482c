// The light test window in virtual time: where it opens next to the lamp panel, and its
// buttons switching the panel step by step, in the order pressed, while the window answers.

#include "app/application.h"
#include "app/style_settings_file.h"
#include "lamp_panel_hall.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace app::test {
namespace {

namespace MainWindow = ids::MainWindow;
namespace LightTestWindow = ids::LightTestWindow;

struct Rect {
    std::int32_t left, top, right, bottom;

    bool overlaps(const Rect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The main window with its start-up run, on a screen of the given size.
class LightTestSession : public LampPanelHall {
public:
    explicit LightTestSession(ui::Point screen)
        : LampPanelHall("light_test_window", screen)
    {
    }

    std::int32_t intProperty(ui::WindowId window, ui::ComponentId item, int number)
    {
        return std::get<std::int32_t>(application.windows.property(window, item, number));
    }
    Rect rect(ui::WindowId window, ui::ComponentId item)
    {
        const std::int32_t left = intProperty(window, item, ui::prop::left);
        const std::int32_t top = intProperty(window, item, ui::prop::top);
        return { left, top, left + intProperty(window, item, ui::prop::width),
            top + intProperty(window, item, ui::prop::height) };
    }
    // The lamp panel on the screen, inside the main window's 3-pixel frame and caption bar.
    Rect lamps()
    {
        const Rect main = rect(MainWindow::window, MainWindow::self);
        const Rect area = rect(MainWindow::window, MainWindow::分组框3);
        const Rect panel = rect(MainWindow::window, MainWindow::分组框2);
        const std::int32_t left = main.left + 3 + area.left + panel.left;
        const std::int32_t top = main.top + 22 + area.top + panel.top;
        return { left, top, left + panel.right - panel.left, top + panel.bottom - panel.top };
    }

    // Runs fn once, ms of virtual time from now, on the interface thread.
    void at(platform::Millis ms, std::function<void()> fn)
    {
        auto id = std::make_shared<platform::TimerId>();
        *id = headless.loop().startTimer(ms, [this, id, fn = std::move(fn)] {
            headless.loop().stopTimer(*id);
            fn();
        });
    }

    void openTestWindow()
    {
        headless.loop().post([this] { input.click(MainWindow::window, MainWindow::灯光调试按钮); });
    }
    // Where the test window opens: opened, measured and closed again.
    Rect openedTestWindow()
    {
        Rect opened {};
        openTestWindow();
        at(10, [&] {
            opened = rect(LightTestWindow::window, LightTestWindow::self);
            input.requestClose(LightTestWindow::window);
        });
        headless.advance(100);
        return opened;
    }
};

TEST(LightTestWindow, OpensBesideTheLampPanelAndWithinTheScreen)
{
    struct Case {
        ui::Point screen;
        std::int32_t mainLeft, mainTop; // where the operator moved the main window; -1: centred
    };
    const Case cases[] = {
        { { 1024, 768 }, -1, -1 },
        { { 1280, 1024 }, -1, -1 },
        { { 1366, 768 }, -1, -1 },
        { { 1920, 1080 }, -1, -1 },
        { { 1024, 768 }, 0, 0 },
        { { 1024, 768 }, 82, 140 },
        // The panel far right and low: the window has to go left of it or above it.
        { { 1920, 1080 }, 1600, 900 },
        { { 1024, 768 }, 500, 400 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.screen.x << "x" << c.screen.y << " main at " << c.mainLeft << "," << c.mainTop);
        LightTestSession session(c.screen);
        if (c.mainLeft >= 0) {
            session.application.windows.setProperty(
                MainWindow::window, MainWindow::self, ui::prop::left, c.mainLeft);
            session.application.windows.setProperty(
                MainWindow::window, MainWindow::self, ui::prop::top, c.mainTop);
        }
        const Rect opened = session.openedTestWindow();

        const Rect lamps = session.lamps();
        EXPECT_FALSE(opened.overlaps(lamps))
            << "window " << opened.left << "," << opened.top << " over the panel " << lamps.left
            << "," << lamps.top;
        EXPECT_GE(opened.left, 0);
        EXPECT_GE(opened.top, 0);
        EXPECT_LE(opened.right, c.screen.x);
        EXPECT_LE(opened.bottom, c.screen.y);
        EXPECT_FALSE(session.application.windows.isLoaded(LightTestWindow::window));
    }
}

TEST(LightTestWindow, ScreenWithNoRoomBesideThePanelKeepsTheWindowCentred)
{
    LightTestSession session({ 640, 480 });
    const Rect opened = session.openedTestWindow();
    EXPECT_EQ(opened.left, (640 - 537) / 2);
    EXPECT_EQ(opened.top, (480 - 321) / 2);
}

// Every change of the panel while the window is open, with its time from the first press.
struct PanelChange {
    platform::Millis at;
    std::vector<std::int32_t> colours;
};

TEST(LightTestWindow, SweepsLampByLampInPressOrderWhileTheWindowAnswers)
{
    LightTestSession session({ 1024, 768 });
    std::vector<PanelChange> changes;
    platform::Millis pressedAt = 0, pressesTook = -1;
    int ticksDuringSweep = 0;
    session.openTestWindow();
    session.at(10, [&] {
        pressedAt = session.headless.clock().now();
        session.input.click(LightTestWindow::window, LightTestWindow::超级按钮全灭);
        session.input.click(LightTestWindow::window, LightTestWindow::超级按钮全亮);
        // Channel 3's own buttons queue behind the sweeps.
        session.input.click(LightTestWindow::window, 0x16010b7b + 2 * (16 - 3));
        pressesTook = session.headless.clock().now() - pressedAt;
        std::vector<std::int32_t> last = session.colours();
        // The interface thread looks at the panel every 10 ms during the sweeps.
        const platform::TimerId watch = session.headless.loop().startTimer(10, [&, last]() mutable {
            ++ticksDuringSweep;
            if (session.colours() != last) {
                last = session.colours();
                changes.push_back({ session.headless.clock().now() - pressedAt, last });
            }
        });
        session.at(2'000, [&, watch] {
            session.headless.loop().stopTimer(watch);
            session.input.requestClose(LightTestWindow::window);
        });
    });
    session.headless.advance(3'000);

    EXPECT_EQ(pressesTook, 0) << "a press returns at once: the steps wait elsewhere";
    EXPECT_GE(ticksDuringSweep, 160) << "the interface thread kept running its timers";
    ASSERT_EQ(changes.size(), 33u);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        // One lamp every 50 ms: channel 1 … 16 dark, then 1 … 16 lit, then channel 3 dark.
        EXPECT_EQ(changes[i].at, 50 * platform::Millis(i + 1));
        const std::size_t channel = i < 32 ? i % 16 : 2;
        const std::int32_t wanted = i < 16 || i == 32 ? dark : lit;
        EXPECT_EQ(changes[i].colours[channel], wanted);
    }
    std::vector<std::int32_t> final(channelCount, lit);
    final[2] = dark;
    EXPECT_EQ(session.colours(), final);
}

TEST(LightTestWindow, EachChannelButtonSwitchesItsOwnLamp)
{
    LightTestSession session({ 1024, 768 });
    std::vector<PanelChange> changes;
    session.openTestWindow();
    session.at(10, [&] {
        // The off button of channel n is 0x16010b7b + 2 (16 - n); its on button the next id.
        for (int channel = 1; channel <= channelCount; ++channel)
            session.input.click(LightTestWindow::window, 0x16010b7b + 2 * (16 - channel) + 1);
        for (int channel = 1; channel <= channelCount; ++channel)
            session.input.click(LightTestWindow::window, 0x16010b7b + 2 * (16 - channel));
        for (int step = 1; step <= 2 * channelCount; ++step)
            session.at(50 * step, [&] { changes.push_back({ 0, session.colours() }); });
        session.at(50 * 2 * channelCount + 1,
            [&] { session.input.requestClose(LightTestWindow::window); });
    });
    session.headless.advance(2'000);

    ASSERT_EQ(changes.size(), 32u);
    for (int step = 0; step < 2 * channelCount; ++step) {
        SCOPED_TRACE(step);
        // Step s switches channel s % 16 + 1 and nothing after it.
        std::vector<std::int32_t> wanted(channelCount, untouched);
        for (int channel = 0; channel < channelCount; ++channel) {
            if (step < channelCount)
                wanted[channel] = channel <= step ? lit : untouched;
            else
                wanted[channel] = channel <= step - channelCount ? dark : lit;
        }
        EXPECT_EQ(changes[step].colours, wanted);
    }
}

TEST(LightTestWindow, ProgramEndingMidSweepStopsTheStepsAtOnce)
{
    auto session = std::make_unique<LightTestSession>(ui::Point { 1024, 768 });
    session->openTestWindow();
    session->at(10, [&] {
        session->input.click(LightTestWindow::window, LightTestWindow::超级按钮全亮);
        session->at(120, [&] { session->input.requestClose(LightTestWindow::window); });
    });
    session->headless.advance(200);
    std::vector<std::int32_t> midway = session->colours();
    EXPECT_EQ(midway[0], lit);
    EXPECT_EQ(midway[channelCount - 1], untouched);
    // The worker is waiting for its next step: it must end there, drawing nothing on the
    // windows as they go, and the program must not wait for the rest of the sweep.
    const platform::Millis before = session->headless.clock().now();
    session->application.lightTestSteps.stop(session->application);
    EXPECT_EQ(session->headless.clock().now(), before);
    session.reset();
}

} // namespace
} // namespace app::test
