// The style settings window on the headless platform: the style list from the catalogue, a
// style's saved states and delays shown on selection, toggling channels, and saving the
// section byte for byte as the light program and the status timer will read it.

#include "app/application.h"
#include "app/even_loudness.h"
#include "app/style_settings_file.h"
#include "backends/headless/recording_views.h"
#include "scratch_application.h"
#include "ui/commands.h"
#include "ui/input.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace app::test {
namespace {

namespace fs = std::filesystem;
namespace Window = ids::StyleSettingsWindow;

constexpr std::array<ui::ComponentId, channelCount> toggles { Window::标签411, Window::标签511,
    Window::标签611, Window::标签711, Window::标签811, Window::标签911, Window::标签1011,
    Window::标签1111, Window::标签1211, Window::标签1311, Window::标签1411, Window::标签1511,
    Window::标签1611, Window::标签1711, Window::标签1811, Window::标签1911 };
constexpr std::array<ui::ComponentId, channelCount> boxes { Window::编辑框1, Window::编辑框2,
    Window::编辑框3, Window::编辑框4, Window::编辑框5, Window::编辑框6, Window::编辑框7,
    Window::编辑框8, Window::编辑框9, Window::编辑框10, Window::编辑框11, Window::编辑框12,
    Window::编辑框13, Window::编辑框14, Window::编辑框15, Window::编辑框16 };

constexpr std::int32_t lit = 255;
constexpr std::int32_t dark = 0;
// A colour no handler writes, to tell an untouched toggle from a dark one.
constexpr std::int32_t untouched = ui::rgb(1, 2, 3);

using Keys = std::array<std::string, channelCount>;

// A section as a save writes it: keys in write order, CR LF line ends.
std::string section(const std::string& style, const Keys& lights, const std::string& limit,
    const std::string& volume, const Keys& delays)
{
    std::string text = "[" + style + "]\r\n";
    for (int channel = 1; channel <= channelCount; ++channel)
        text += std::to_string(channel) + "=" + lights[channel - 1] + "\r\n";
    text += "限时=" + limit + "\r\n音量=" + volume + "\r\n";
    for (int channel = 1; channel <= channelCount; ++channel)
        text += std::to_string(channel) + "c=" + delays[channel - 1] + "\r\n";
    return text;
}

Keys allOf(const std::string& value)
{
    Keys keys;
    keys.fill(value);
    return keys;
}

class StyleSettingsWindow : public ::testing::Test, protected ScratchApplication {
protected:
    StyleSettingsWindow()
        : ScratchApplication("style_settings_window")
    {
        application.windows.readTemplates(templates::segment());
    }

    void setFile(const std::string& content)
    {
        std::ofstream(scratch.path / "ss.dat", std::ios::binary) << content;
    }
    std::string file()
    {
        std::ifstream in(scratch.path / "ss.dat", std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    // Opens the window as the main window's button would, without its modal loop.
    void open()
    {
        application.windows.loadWindow(Window::window, false);
        for (ui::ComponentId toggle : toggles)
            application.windows.setProperty(
                Window::window, toggle, ui::prop::label::backColour, untouched);
    }

    void select(const std::string& style)
    {
        const auto list = application.windows.component(Window::window, Window::列表框1);
        const auto at = std::find(list->entries.begin(), list->entries.end(), style);
        ASSERT_NE(at, list->entries.end()) << style;
        input.select(Window::window, Window::列表框1, std::int32_t(at - list->entries.begin()));
    }
    void choose(ui::ComponentId combo, const std::string& entry)
    {
        const auto box = application.windows.component(Window::window, combo);
        const auto at = std::find(box->entries.begin(), box->entries.end(), entry);
        ASSERT_NE(at, box->entries.end()) << entry;
        input.select(Window::window, combo, std::int32_t(at - box->entries.begin()));
    }
    void toggle(int channel) { input.click(Window::window, toggles.at(channel - 1)); }
    void save() { input.click(Window::window, Window::按钮保存); }

    std::int32_t colour(int channel)
    {
        return std::get<std::int32_t>(application.windows.property(
            Window::window, toggles.at(channel - 1), ui::prop::label::backColour));
    }
    bool disabled(ui::ComponentId component)
    {
        return application.windows.component(Window::window, component)->disabled;
    }
    Text delay(int channel)
    {
        return std::get<Text>(application.windows.property(
            Window::window, boxes.at(channel - 1), ui::prop::editBox::content));
    }
    Text chosen(ui::ComponentId combo)
    {
        const auto box = application.windows.component(Window::window, combo);
        return box->selection < 0 ? Text() : box->entries.at(std::size_t(box->selection));
    }
    std::vector<std::string> messages()
    {
        std::vector<std::string> shown;
        for (const auto& box : headless.dialogs().messageBoxes())
            shown.push_back(box.caption + "|" + box.text);
        return shown;
    }
};

TEST_F(StyleSettingsWindow, OpensWithTheCatalogueListedNoLimitAndFullVolume)
{
    open();

    const auto list = application.windows.component(Window::window, Window::列表框1);
    ASSERT_EQ(list->entries.size(), 21u);
    EXPECT_EQ(list->entries.front(), "序曲");
    EXPECT_EQ(list->entries[10], "探戈");
    EXPECT_EQ(list->entries.back(), "结束曲");
    EXPECT_EQ(list->selection, -1);
    EXPECT_EQ(chosen(Window::组合框1), "无限时");
    EXPECT_EQ(chosen(Window::组合框2), "100");
    for (int channel = 1; channel <= channelCount; ++channel) {
        EXPECT_TRUE(disabled(boxes[channel - 1])) << channel;
        EXPECT_EQ(colour(channel), untouched) << channel;
    }
}

TEST_F(StyleSettingsWindow, SelectingAStyleShowsItsStatesDelaysAndChoices)
{
    setFile("[慢四]\r\n1=1\r\n2=0\r\n3=x\r\n1c=12\r\n2c=7\r\n3c=9\r\n限时=5\r\n音量=80\r\n"
            "[快四]\r\n限时=1\r\n音量=5\r\n");
    open();

    select("慢四");

    EXPECT_EQ(colour(1), lit);
    EXPECT_FALSE(disabled(boxes[0]));
    EXPECT_EQ(delay(1), "12");
    // A dark channel's box stays empty whatever its delay key holds.
    EXPECT_EQ(colour(2), dark);
    EXPECT_TRUE(disabled(boxes[1]));
    EXPECT_EQ(delay(2), "");
    // Neither state: the channel is left as it was.
    EXPECT_EQ(colour(3), untouched);
    EXPECT_TRUE(disabled(boxes[2]));
    EXPECT_EQ(delay(3), "");
    EXPECT_EQ(application.globals.channelState[0], "1");
    EXPECT_EQ(application.globals.channelState[1], "0");
    EXPECT_EQ(application.globals.channelState[2], "");
    EXPECT_EQ(chosen(Window::组合框1), "5");
    EXPECT_EQ(chosen(Window::组合框2), "80");
    EXPECT_FALSE(disabled(Window::组合框1));

    // Choices are selected by prefix; a value no entry begins with leaves the choice.
    select("快四");
    EXPECT_EQ(chosen(Window::组合框1), "10");
    EXPECT_EQ(chosen(Window::组合框2), "80");
}

TEST_F(StyleSettingsWindow, TogglingSwitchesTheChannelAndItsDelayBox)
{
    setFile("[慢四]\r\n3=1\r\n3c=8\r\n");
    open();
    select("慢四");
    ASSERT_EQ(delay(3), "8");

    toggle(3);
    EXPECT_EQ(colour(3), dark);
    EXPECT_TRUE(disabled(boxes[2]));
    EXPECT_EQ(delay(3), "");
    EXPECT_EQ(application.globals.channelState[2], "0");
    EXPECT_FALSE(input.editText(Window::window, boxes[2], "5"));

    toggle(3);
    EXPECT_EQ(colour(3), lit);
    EXPECT_FALSE(disabled(boxes[2]));
    EXPECT_EQ(delay(3), "");
    EXPECT_EQ(application.globals.channelState[2], "1");

    // A channel no style has set yet has no state to toggle.
    toggle(4);
    EXPECT_EQ(colour(4), untouched);
    EXPECT_TRUE(disabled(boxes[3]));
    EXPECT_EQ(application.globals.channelState[3], "");
}

TEST_F(StyleSettingsWindow, SaveRewritesTheSectionAsShownAndAReselectReadsItBack)
{
    Keys lights = allOf("0");
    Keys delays = allOf("");
    lights[0] = lights[1] = lights[4] = "1";
    delays[0] = "5";
    setFile(section("慢四", lights, "无限时", "100", delays) + "\r\n"
        + section("快四", allOf("1"), "3", "10", allOf("1")));
    open();
    select("慢四");

    toggle(2);
    toggle(3);
    ASSERT_TRUE(input.editText(Window::window, boxes[0], " 3 0 "));
    ASSERT_TRUE(input.editText(Window::window, boxes[2],
        "1\xA1\xA1"
        "2a"));
    input.editText(Window::window, boxes[4], "x y");
    choose(Window::组合框1, "7");
    choose(Window::组合框2, "60");
    save();

    // Delays as typed without ASCII or double-byte spaces; nothing checks them for digits.
    lights[1] = "0";
    lights[2] = "1";
    delays[0] = "30";
    delays[2] = "12a";
    delays[4] = "xy";
    const std::string expected = section("慢四", lights, "7", "60", delays) + "\r\n"
        + section("快四", allOf("1"), "3", "10", allOf("1"));
    EXPECT_EQ(file(), expected);
    EXPECT_EQ(messages(), std::vector<std::string> { "信息：|保存成功！" });

    // Saving again writes the same values again.
    save();
    EXPECT_EQ(file(), expected);

    select("快四");
    select("慢四");
    for (int channel = 1; channel <= channelCount; ++channel) {
        EXPECT_EQ(colour(channel), lights[channel - 1] == "1" ? lit : dark) << channel;
        EXPECT_EQ(delay(channel), delays[channel - 1]) << channel;
    }
    EXPECT_EQ(chosen(Window::组合框1), "7");
    EXPECT_EQ(chosen(Window::组合框2), "60");
}

TEST_F(StyleSettingsWindow, AStyleWithoutSectionKeepsTheShownChannelsAndPlaysUnlimitedAtFull)
{
    Keys lights = allOf("1");
    Keys delays = allOf("");
    lights[15] = "0";
    delays[0] = "4";
    setFile(section("慢四", lights, "5", "40", delays));
    open();
    select("慢四");

    select("探戈");

    EXPECT_EQ(colour(1), lit);
    EXPECT_EQ(delay(1), "4");
    EXPECT_EQ(colour(16), dark);
    // How an unset limit and volume play, not the first entries "3" and "10".
    EXPECT_EQ(chosen(Window::组合框1), "无限时");
    EXPECT_EQ(chosen(Window::组合框2), "100");

    save();
    EXPECT_EQ(file(),
        section("慢四", lights, "5", "40", delays) + "\r\n"
            + section("探戈", lights, "无限时", "100", delays));
    EXPECT_EQ(timeLimitMinutes(application, "探戈"), std::nullopt);
    EXPECT_EQ(volumePercent(application, "探戈"), 100);
}

TEST_F(StyleSettingsWindow, TheOvertureHasNoTimeLimitChoiceButSavesTheShownOne)
{
    setFile(section("序曲", allOf("1"), "无限时", "80", allOf("")));
    open();

    select("序曲");
    EXPECT_TRUE(disabled(Window::组合框1));
    EXPECT_EQ(chosen(Window::组合框1), "无限时");
    EXPECT_EQ(chosen(Window::组合框2), "80");

    save();
    EXPECT_EQ(file(), section("序曲", allOf("1"), "无限时", "80", allOf("")));

    select("慢三");
    EXPECT_FALSE(disabled(Window::组合框1));
}

TEST_F(StyleSettingsWindow, SaveWithoutAStyleWarnsAndAFailedWriteIsReported)
{
    open();
    save();
    EXPECT_FALSE(fs::exists(scratch.path / "ss.dat"));

    fs::create_directories(scratch.path / "ss.dat");
    select("恰恰");
    save();

    EXPECT_EQ(messages(),
        (std::vector<std::string> { "|未选择风格！请重新选择！", "信息：|保存失败！" }));
}

TEST_F(StyleSettingsWindow, TheMainWindowButtonOpensItModallyAndStatesOutliveIt)
{
    setFile("[伦巴]\r\n6=1\r\n");
    std::vector<std::string> faults;
    application.windows.loadWindow(ids::MainWindow::window, false);
    headless.loop().post(
        [&] { input.click(ids::MainWindow::window, ids::MainWindow::按钮灯光设置); });
    headless.loop().post([&] {
        if (!application.windows.isLoaded(Window::window))
            faults.push_back("window not open");
        if (!application.windows.dropsInput(ids::MainWindow::window, ids::MainWindow::按钮灯光设置))
            faults.push_back("main window not blocked");
        select("伦巴");
        input.requestClose(Window::window);
    });

    headless.advance(1'000);

    EXPECT_EQ(faults, std::vector<std::string>());
    EXPECT_FALSE(application.windows.isLoaded(Window::window));
    EXPECT_EQ(application.globals.channelState[5], "1");
}

// The hall's loudness switch sits in this window but belongs to no style: 应用 writes and
// applies it at once, and leaves the style settings alone.
TEST_F(StyleSettingsWindow, TheLoudnessSwitchShowsTheHallsSettingsAndAppliesThemAtOnce)
{
    const std::string styles = file();
    open();
    EXPECT_EQ(chosen(Window::组合框均衡), "关闭");
    EXPECT_EQ(chosen(Window::组合框目标), "-16");

    choose(Window::组合框均衡, "开启");
    choose(Window::组合框目标, "-20");
    EXPECT_FALSE(application.loudnessSettings.enabled); // nothing before 应用
    input.click(Window::window, Window::按钮均衡);
    const LoudnessSettings chosenSettings { true, -20 };
    EXPECT_EQ(application.loudnessSettings, chosenSettings);
    EXPECT_EQ(readLoudnessSettings(application), chosenSettings);
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("保存成功！"), std::string::npos);
    EXPECT_EQ(file(), styles);

    application.windows.close(Window::window, 0);
    open();
    EXPECT_EQ(chosen(Window::组合框均衡), "开启");
    EXPECT_EQ(chosen(Window::组合框目标), "-20");
}

TEST_F(StyleSettingsWindow, ALoudnessSwitchThatCannotBeWrittenIsNotTakenIntoUse)
{
    fs::create_directory(scratch.path / loudnessSettingsName);
    open();
    choose(Window::组合框均衡, "开启");
    input.click(Window::window, Window::按钮均衡);
    EXPECT_FALSE(application.loudnessSettings.enabled);
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("保存失败！"), std::string::npos);
}

} // namespace
} // namespace app::test
