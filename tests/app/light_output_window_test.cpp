// The light output settings window in virtual time: opened from the light test window, its
// values saved to and read back from the hall's light settings file, a value out of range
// refused with nothing written, 测试 lighting each lamp in turn, and the connection shown.

#include "app/application.h"
#include "backends/headless/headless_platform.h"
#include "hall_with_recorded_lights.h"
#include "lights/light_settings.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace app::test {
namespace {

namespace Window = ids::LightOutputWindow;

constexpr std::array<std::array<ui::ComponentId, 3>, lights::lampCount> lampBoxes { {
    { Window::编辑框1通道, Window::编辑框1亮, Window::编辑框1灭 },
    { Window::编辑框2通道, Window::编辑框2亮, Window::编辑框2灭 },
    { Window::编辑框3通道, Window::编辑框3亮, Window::编辑框3灭 },
    { Window::编辑框4通道, Window::编辑框4亮, Window::编辑框4灭 },
    { Window::编辑框5通道, Window::编辑框5亮, Window::编辑框5灭 },
    { Window::编辑框6通道, Window::编辑框6亮, Window::编辑框6灭 },
    { Window::编辑框7通道, Window::编辑框7亮, Window::编辑框7灭 },
    { Window::编辑框8通道, Window::编辑框8亮, Window::编辑框8灭 },
    { Window::编辑框9通道, Window::编辑框9亮, Window::编辑框9灭 },
    { Window::编辑框10通道, Window::编辑框10亮, Window::编辑框10灭 },
    { Window::编辑框11通道, Window::编辑框11亮, Window::编辑框11灭 },
    { Window::编辑框12通道, Window::编辑框12亮, Window::编辑框12灭 },
    { Window::编辑框13通道, Window::编辑框13亮, Window::编辑框13灭 },
    { Window::编辑框14通道, Window::编辑框14亮, Window::编辑框14灭 },
    { Window::编辑框15通道, Window::编辑框15亮, Window::编辑框15灭 },
    { Window::编辑框16通道, Window::编辑框16亮, Window::编辑框16灭 },
} };

class LightOutputWindow : public ::testing::Test, protected HallWithRecordedLights {
protected:
    LightOutputWindow()
        : HallWithRecordedLights("light_output_window")
    {
        // The main window's start says the test's missing mixer; only later messages count.
        startMessages = headless.dialogs().messageBoxes().size();
    }
    ~LightOutputWindow() override { application.lightTestSteps.stop(application); }

    std::string settingsPath() const { return (scratch.path / lights::lightSettingsFile).string(); }
    std::string fileText() const
    {
        std::ifstream in(settingsPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Saved settings with every kind of value away from its default.
    static lights::LightSettings customSettings()
    {
        lights::LightSettings settings;
        settings.enabled = true;
        settings.universe = 32767;
        settings.fadeMillis = 300;
        for (int lamp = 1; lamp <= lights::lampCount; ++lamp)
            settings.lamps[lamp - 1] = { 513 - lamp, static_cast<std::uint8_t>(200 + lamp),
                static_cast<std::uint8_t>(lamp) };
        return settings;
    }

    void startOutput()
    {
        ASSERT_TRUE(lights::writeLightSettings(settingsPath(), customSettings()));
        application.lightOutput
            = application.lightOutputs(headless.platform().clock(), customSettings());
    }

    void open() { application.windows.loadWindow(Window::window, false); }
    Text box(ui::ComponentId component)
    {
        return std::get<Text>(
            application.windows.property(Window::window, component, ui::prop::editBox::content));
    }
    std::int32_t outputChoice()
    {
        return std::get<std::int32_t>(application.windows.property(
            Window::window, Window::组合框输出, ui::prop::comboBox::selection));
    }
    Text status()
    {
        return std::get<Text>(application.windows.property(
            Window::window, Window::标签状态, ui::prop::label::caption));
    }
    // The window's values as settings, or a failure naming the box that disagrees.
    void expectShown(const lights::LightSettings& settings)
    {
        EXPECT_EQ(outputChoice(), settings.enabled ? 1 : 0);
        EXPECT_EQ(box(Window::编辑框宇宙), std::to_string(settings.universe));
        EXPECT_EQ(box(Window::编辑框渐变), std::to_string(settings.fadeMillis));
        for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
            const lights::LampLevels& levels = settings.lamps[lamp - 1];
            EXPECT_EQ(box(lampBoxes[lamp - 1][0]), std::to_string(levels.channel)) << lamp;
            EXPECT_EQ(box(lampBoxes[lamp - 1][1]), std::to_string(levels.on)) << lamp;
            EXPECT_EQ(box(lampBoxes[lamp - 1][2]), std::to_string(levels.off)) << lamp;
        }
    }
    void save() { input.click(Window::window, Window::按钮保存); }
    std::vector<std::string> messages()
    {
        std::vector<std::string> shown;
        const auto& boxes = headless.dialogs().messageBoxes();
        for (std::size_t i = startMessages; i < boxes.size(); ++i)
            shown.push_back(boxes[i].text);
        return shown;
    }
    std::size_t startMessages = 0;
};

TEST_F(LightOutputWindow, OpensFromTheLightTestWindowShowingTheSavedSettings)
{
    ASSERT_TRUE(lights::writeLightSettings(settingsPath(), customSettings()));
    bool opened = false;
    auto at = [this](platform::Millis ms, std::function<void()> fn) {
        auto id = std::make_shared<platform::TimerId>();
        *id = headless.loop().startTimer(ms, [this, id, fn = std::move(fn)] {
            headless.loop().stopTimer(*id);
            fn();
        });
    };
    headless.loop().post(
        [this] { input.click(ids::MainWindow::window, ids::MainWindow::灯光调试按钮); });
    at(10, [this] {
        input.click(ids::LightTestWindow::window, ids::LightTestWindow::超级按钮输出设置);
    });
    at(20, [&] {
        opened = application.windows.isLoaded(Window::window);
        if (opened)
            expectShown(customSettings());
        input.requestClose(Window::window);
    });
    at(30, [this] { input.requestClose(ids::LightTestWindow::window); });
    headless.advance(100);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(application.windows.isLoaded(Window::window));
}

TEST_F(LightOutputWindow, ShowsTheDefaultsWithoutAFile)
{
    open();
    expectShown(lights::LightSettings {});
}

TEST_F(LightOutputWindow, SavedValuesReadBackAndReopenAsSaved)
{
    open();
    input.select(Window::window, Window::组合框输出, 1);
    ASSERT_TRUE(input.editText(Window::window, Window::编辑框宇宙, "32767"));
    ASSERT_TRUE(input.editText(Window::window, Window::编辑框渐变, " 300 "));
    for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
        const lights::LampLevels levels = customSettings().lamps[lamp - 1];
        ASSERT_TRUE(
            input.editText(Window::window, lampBoxes[lamp - 1][0], std::to_string(levels.channel)));
        ASSERT_TRUE(
            input.editText(Window::window, lampBoxes[lamp - 1][1], std::to_string(levels.on)));
        ASSERT_TRUE(
            input.editText(Window::window, lampBoxes[lamp - 1][2], std::to_string(levels.off)));
    }
    save();
    EXPECT_EQ(messages(), std::vector<std::string> { "保存成功！重新启动程序后生效。" });
    EXPECT_EQ(lights::readLightSettings(settingsPath()), customSettings());

    ASSERT_TRUE(application.windows.requestClose(Window::window));
    open();
    expectShown(customSettings());
}

TEST_F(LightOutputWindow, AValueOutOfRangeIsNamedAndNothingIsWritten)
{
    ASSERT_TRUE(lights::writeLightSettings(settingsPath(), customSettings()));
    const std::string before = fileText();
    struct Case {
        ui::ComponentId box;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        { Window::编辑框宇宙, "0", "DMX 宇宙必须是 1 到 32767 之间的整数！" },
        { Window::编辑框宇宙, "32768", "DMX 宇宙必须是 1 到 32767 之间的整数！" },
        { Window::编辑框宇宙, "", "DMX 宇宙必须是 1 到 32767 之间的整数！" },
        { Window::编辑框渐变, "2001", "渐变时间必须是 0 到 2000 之间的整数（毫秒）！" },
        { Window::编辑框渐变, "-1", "渐变时间必须是 0 到 2000 之间的整数（毫秒）！" },
        { Window::编辑框1通道, "0", "第 1 路的 DMX 通道必须是 1 到 512 之间的整数！" },
        { Window::编辑框16通道, "513", "第 16 路的 DMX 通道必须是 1 到 512 之间的整数！" },
        { Window::编辑框7通道, "3x", "第 7 路的 DMX 通道必须是 1 到 512 之间的整数！" },
        { Window::编辑框9亮, "256", "第 9 路的亮度必须是 0 到 255 之间的整数！" },
        { Window::编辑框9亮, "1 2", "第 9 路的亮度必须是 0 到 255 之间的整数！" },
        { Window::编辑框12灭, "-1", "第 12 路的灭时亮度必须是 0 到 255 之间的整数！" },
    };
    for (const Case& c : cases) {
        open();
        input.select(Window::window, Window::组合框输出, 0);
        ASSERT_TRUE(input.editText(Window::window, c.box, c.typed));
        save();
        ASSERT_FALSE(messages().empty());
        EXPECT_EQ(messages().back(), c.message) << c.typed;
        EXPECT_EQ(fileText(), before) << c.typed;
        ASSERT_TRUE(application.windows.requestClose(Window::window));
    }
    EXPECT_EQ(messages().size(), std::size(cases));
}

TEST_F(LightOutputWindow, TestLightsEachLampInTurnThroughTheOutput)
{
    startOutput();
    open();
    input.click(Window::window, Window::按钮测试);
    headless.advance(20'000);

    // Each step's 50 ms, and half a second more before a lamp goes dark again.
    std::vector<Change> expected;
    platform::Millis at = 0;
    for (int lamp = 1; lamp <= lights::lampCount; ++lamp) {
        at += 50;
        expected.push_back({ at, lamp, true });
        at += 550;
        expected.push_back({ at, lamp, false });
    }
    EXPECT_EQ(changes(), expected);
}

TEST_F(LightOutputWindow, StatusFollowsTheConnection)
{
    open();
    EXPECT_EQ(status(), "未连接（输出未开启）");
    ASSERT_TRUE(application.windows.requestClose(Window::window));

    startOutput();
    open();
    EXPECT_EQ(status(), "未连接");
    log.connected = true;
    headless.advance(500);
    EXPECT_EQ(status(), "已连接");
    log.connected = false;
    headless.advance(500);
    EXPECT_EQ(status(), "未连接");
}

} // namespace
} // namespace app::test
