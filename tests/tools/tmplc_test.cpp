// The template compiler: what a source turns into, and that each kind of mistake is reported
// with its file and line instead of reaching the program.

#include "tools/tmplc/checks.h"
#include "tools/tmplc/outputs.h"
#include "tools/tmplc/source_error.h"
#include "tools/tmplc/template_parser.h"

#include "platform/encoding.h"
#include "ui/segment_reader.h"
#include "ui/segment_writer.h"
#include "ui/unit_properties.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tmplc {
namespace {

// Sources are UTF-8 (this file's literals are); the compiled templates hold GBK.
ui::Text gbk(const std::string& utf8)
{
    return platform::utf8ToGbk(utf8);
}

const ui::UnitRegistry units = ui::UnitRegistry::builtin();
constexpr std::string_view handlers[] = { "opened", "clicked", "chosen" };

const std::string header = "window Dialog 0x52010100\n"
                           "  item 0x06010101\n"
                           "  second-id 0x19010102\n"
                           "  at 50 50 400 300\n";

WindowSource parse(const std::string& body, const std::string& file = "dialog.tmpl")
{
    return parseWindowSource(file, header + body, handlers, units, TEMPLATE_TEST_FOLDER);
}

// The message of the SourceError that compiling the sources raises, or "" when none.
std::string errorOf(const std::vector<std::pair<std::string, std::string>>& files)
{
    try {
        std::vector<WindowSource> windows;
        for (const auto& [file, text] : files)
            windows.push_back(parseWindowSource(file, text, handlers, units, "."));
        checkWindows(windows);
    } catch (const SourceError& error) {
        return error.what();
    }
    return "";
}

std::string errorOf(const std::string& body)
{
    return errorOf({ { "dialog.tmpl", header + body } });
}

TEST(TemplateSource, ComponentsJoinTheirGroupBoxWithDefaultsFocusCursorAndBindings)
{
    auto window = parse("defaults Label\n"
                        "  colour rgb(0, 96, 192)\n"
                        "  font \"宋体\" 14 bold\n"
                        "GroupBox 框 0x16010110\n"
                        "  at 8 8 200 100\n"
                        "Label 标签 0x16010111 in 框\n"
                        "  at 4 20 60 24\n"
                        "  caption \"  两行\\r\\n\"\n"
                        "          \"第二行  \"\n"
                        "  hidden\n"
                        "  on left-up clicked\n"
                        "defaults Label\n"
                        "Label 另一个 0x16010112\n"
                        "  at 4 120 60 24\n"
                        "SuperBtn 按钮 0x16010113\n"
                        "  at 4 150 74 20\n"
                        "  disabled\n"
                        "  on clicked clicked\n");
    const auto& c = window.tmpl.components;
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[1].children, (std::vector<ui::ComponentId> { 0x16010111 }));
    EXPECT_EQ(c[2].parent, 0x16010110u);
    EXPECT_EQ(c[2].name, gbk("标签"));
    EXPECT_EQ(c[2].geometry, (ui::Geometry { 4, 20, 60, 24 }));
    EXPECT_EQ(std::get<ui::Text>(c[2].block.values.at(ui::prop::label::caption)),
        gbk("  两行\r\n第二行  "));
    EXPECT_EQ(std::get<std::int32_t>(c[2].block.values.at(ui::prop::label::textColour)),
        ui::rgb(0, 96, 192));
    EXPECT_EQ(std::get<ui::Font>(c[2].block.values.at(ui::prop::label::font)),
        (ui::Font { 14, 700, false, false, false, 134, gbk("宋体") }));
    EXPECT_EQ(c[2].flags, 0u); // hidden, no focus
    EXPECT_EQ(c[2].events, (std::vector<ui::EventBinding> { { -2, 1 } }));
    EXPECT_FALSE(c[3].block.present) << "an empty defaults section clears the unit's defaults";
    EXPECT_EQ(
        c[4].flags, ui::itemFlag::visible | ui::itemFlag::disabled | ui::itemFlag::takesFocus);
    EXPECT_EQ(c[4].cursor, (ui::Bytes { 0x89, 0x7f, 0, 0 })); // the hand cursor, 32649
    EXPECT_EQ(c[4].events, (std::vector<ui::EventBinding> { { 0, 1 } }));
}

TEST(TemplateSource, WindowItemMenusAndPicturesAreRead)
{
    auto window = parse("  caption \"对话框\"\n"
                        "  min-button yes\n"
                        "  icon \"picture.bin\"\n"
                        "  on created opened\n"
                        "Timer 时钟 0x16010120\n"
                        "Timer 时钟2 0x16010121\n"
                        "  interval 0\n"
                        "menu 托盘 0x26010130 \"托盘\"\n"
                        "  hidden\n"
                        "menu-entry 显示 0x26010131 \"显示\"\n"
                        "  on selected chosen\n");
    const ui::ComponentTemplate& own = window.tmpl.components[0];
    EXPECT_EQ(own.id, 0x06010101u);
    EXPECT_EQ(window.tmpl.secondId, 0x19010102u);
    EXPECT_EQ(own.events, (std::vector<ui::EventBinding> { { 0, 0 } }));
    EXPECT_EQ(std::get<ui::Bytes>(own.block.values.at(ui::prop::window::icon)),
        (ui::Bytes { 'P', 'I', 'C', '\n' }));
    EXPECT_FALSE(window.tmpl.components[1].block.present) << "a timer without interval";
    EXPECT_TRUE(window.tmpl.components[2].block.present) << "a timer stopped explicitly";
    ASSERT_EQ(window.tmpl.menuItems.size(), 2u);
    EXPECT_EQ(window.tmpl.menuItems[0].flags, ui::menuFlag::hidden);
    EXPECT_EQ(window.tmpl.menuItems[0].handler, -1);
    EXPECT_EQ(window.tmpl.menuItems[1].level, 1u);
    EXPECT_EQ(window.tmpl.menuItems[1].handler, 2);
}

TEST(TemplateSource, CompiledSegmentReadsBackAsParsed)
{
    auto window = parse("ComboBox 组合框 0x16010140\n"
                        "  at 10 10 80 20\n"
                        "  entries \"3\" \"无限时\"\n"
                        "ListView 列表 0x16010141\n"
                        "  at 10 40 150 200\n"
                        "  column \"列表\" 150\n"
                        "  on right-clicked chosen\n");
    auto segment
        = ui::readSegment(ui::writeSegment({ { window.tmpl } }, units), units, std::size(handlers));
    ASSERT_EQ(segment.windows.size(), 1u);
    const auto& read = segment.windows[0].components;
    EXPECT_EQ(read[1].block.entries, (std::vector<ui::Text> { "3", gbk("无限时") }));
    EXPECT_EQ(read[2].block.columns, (std::vector<ui::Column> { { gbk("列表"), 150 } }));
    EXPECT_EQ(read[2].events, (std::vector<ui::EventBinding> { { 5, 2 } }));
}

TEST(TemplateSource, IdHeaderNamesEveryItemInItsWindowsNamespace)
{
    auto window = parse("Label 标签1 0x16010150\n"
                        "  at 1 1 10 10\n"
                        "menu 菜单 0x26010151 \"菜单\"\n");
    std::string text = idsHeader({ window });
    EXPECT_NE(text.find("namespace Dialog {"), std::string::npos);
    EXPECT_NE(text.find("ui::WindowId window = 0x52010100;"), std::string::npos);
    EXPECT_NE(text.find("ui::ComponentId self = 0x06010101;"), std::string::npos);
    EXPECT_NE(text.find("ui::ComponentId 标签1 = 0x16010150;"), std::string::npos);
    EXPECT_NE(text.find("ui::ComponentId 菜单 = 0x26010151;"), std::string::npos);
}

TEST(TemplateSource, MistakesAreReportedWithFileAndLine)
{
    struct Case {
        std::string body;
        std::string error;
    };
    const Case cases[] = {
        { "Label 标签 0x16010160 in 框\n", "dialog.tmpl:5: container '框'" },
        { "Label 框 0x16010160\n  at 0 0 9 9\nLabel 标签 0x16010161 in 框\n",
            "dialog.tmpl:7: container '框' is not a GroupBox" },
        { "Label 标签 0x16010160\n  at 1 1 9 9\nLabel 标签 0x16010161\n",
            "dialog.tmpl:7: name '标签' is used twice in this window (line 5)" },
        { "Label 甲 0x16010160\n  at 1 1 9 9\nLabel 乙 0x16020160\n",
            "dialog.tmpl:7: id 0x16020160 should look like 0x1601xxxx" },
        { "Label 甲 0x16010160\nLabel 乙 0x16010160\n", "dialog.tmpl:6: id 0x16010160 repeats" },
        { "Label 甲 0x26010160\n", "dialog.tmpl:5: id 0x26010160 should look like 0x1601xxxx" },
        { "Label 甲 0x16010160\n  on clicked opened\n",
            "dialog.tmpl:6: unit Label has no event 'clicked'" },
        { "Button 甲 0x16010160\n  on clicked nobody\n",
            "dialog.tmpl:6: no handler named 'nobody'" },
        { "Button 甲 0x16010160\n  on clicked opened\n  on 0 chosen\n",
            "dialog.tmpl:7: event '0' is bound twice" },
        { "Label 甲 0x16010160\n  colur red\n",
            "dialog.tmpl:6: unit Label has no attribute 'colur'" },
        { "Label 甲 0x16010160\n  colour rgb(0, 300, 0)\n", "dialog.tmpl:6: colour channel" },
        { "Label 甲 0x16010160\n  caption \"open\n", "dialog.tmpl:6: unterminated string" },
        { "Label 甲 0x16010160\n  picture \"missing.gif\"\n", "cannot read file 'missing.gif'" },
        { "SysVolume 音量 0x16010160\n  on 0 opened\n", "unit SysVolume raises no events" },
        { "Label 甲 0x16010160\n  at 350 10 60 20\n",
            "dialog.tmpl:5: geometry 350,10,60,20 does not fit inside its container of 400 x 300" },
        { "GroupBox 框 0x16010160\n  at 0 0 100 100\nLabel 甲 0x16010161 in 框\n  at 90 0 20 20\n",
            "dialog.tmpl:7: geometry 90,0,20,20 does not fit inside its container of 100 x 100" },
        { "menu 菜单 0x26010160 \"菜单\"\nLabel 甲 0x16010161\n",
            "dialog.tmpl:6: components come before the menus" },
        { "menu-entry 项 0x26010160 \"项\"\n", "dialog.tmpl:5: a menu-entry belongs to a menu" },
        { "Label 1st 0x16010160\n", "dialog.tmpl:5: '1st' cannot name a constant" },
        { "  at 1 1 1\n", "dialog.tmpl:5: expected: at <left> <top> <width> <height>" },
    };
    for (const Case& c : cases) {
        std::string error = errorOf(c.body);
        EXPECT_NE(error.find(c.error), std::string::npos)
            << "source:\n"
            << c.body << "reported: " << error << "\nexpected: " << c.error;
    }
}

TEST(TemplateSource, WindowsMissingIdsOrSharingSerialsAreRejected)
{
    EXPECT_EQ(errorOf({ { "a.tmpl", "window A 0x52010100\n  at 0 0 10 10\n" } }),
        "a.tmpl:1: the window has no item id (item 0x0601xxxx)");
    EXPECT_EQ(errorOf({ { "a.tmpl", "Label 甲 0x16010160\n" } }),
        "a.tmpl:1: the file must start with its window");
    EXPECT_EQ(errorOf({ { "a.tmpl", "window Main-Window 0x52010100\n" } }),
        "a.tmpl:1: 'Main-Window' cannot name a namespace of the id header");
    EXPECT_NE(errorOf({ { "a.tmpl", header },
                          { "b.tmpl",
                              "window B 0x52010200\n"
                              "  item 0x06010201\n"
                              "  second-id 0x19010101\n"
                              "  at 0 0 10 10\n" } })
                  .find("b.tmpl:3: id 0x19010101 repeats a serial number used in a.tmpl"),
        std::string::npos);
}

} // namespace
} // namespace tmplc
