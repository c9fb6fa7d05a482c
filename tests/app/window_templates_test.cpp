// The compiled templates against the documented catalogue: every window loads on the headless
// platform, every component is where the documentation puts it, and every event binding
// reaches the application's handler table.

#include "catalogue.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "backends/headless/recording_views.h"
#include "ui/templates/segment.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace app::test {
namespace {

constexpr std::string_view handlerNames[] = {
#define HANDLER(name) #name,
#include "app/handlers.def"
#undef HANDLER
};

class WindowTemplates : public ::testing::Test {
protected:
    WindowTemplates() { windows.readTemplates(templates::segment()); }

    std::vector<ui::ComponentState> load(ui::WindowId window)
    {
        EXPECT_TRUE(windows.loadWindow(window, false)) << std::hex << window;
        return windows.components(window);
    }

    ui::Value property(ui::WindowId window, ui::ComponentId component, int number)
    {
        return windows.property(window, component, number);
    }

    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application { runtime, views };
    // Windows whose handlers do nothing: what is checked is the templates as compiled, not
    // what the application's created handlers make of them.
    ui::WindowSystem windows { runtime, views,
        ui::HandlerTable(std::size(handlerNames), [](auto) { return std::nullopt; }) };
};

const ui::ComponentState* byId(const std::vector<ui::ComponentState>& all, ui::ComponentId id)
{
    auto it = std::find_if(all.begin(), all.end(), [&](const auto& c) { return c.id == id; });
    return it == all.end() ? nullptr : &*it;
}

const ui::ComponentState* byName(
    const std::vector<ui::ComponentState>& all, const std::string& name)
{
    auto it = std::find_if(all.begin(), all.end(), [&](const auto& c) { return c.name == name; });
    return it == all.end() ? nullptr : &*it;
}

TEST_F(WindowTemplates, EveryWindowOpensCentredWithItsCaptionSizeAndFixedFrame)
{
    namespace p = ui::prop::window;
    for (const ExpectedWindow& expected : catalogue().windows) {
        SCOPED_TRACE(testing::Message() << std::hex << expected.id);
        auto components = load(expected.id);
        ASSERT_FALSE(components.empty());
        const ui::ComponentState& own = components[0];
        EXPECT_EQ(own.unit, ui::unit::window);
        EXPECT_TRUE(own.value<ui::Text>(p::caption).starts_with(expected.caption));
        EXPECT_EQ(own.geometry.width, expected.width);
        EXPECT_EQ(own.geometry.height, expected.height);
        EXPECT_EQ(own.geometry.left, (1024 - expected.width) / 2);
        EXPECT_EQ(own.geometry.top, (768 - expected.height) / 2);
        EXPECT_EQ(own.value<std::int32_t>(p::borderStyle), 2);
        EXPECT_TRUE(own.value<bool>(p::systemMenu));
        EXPECT_TRUE(own.value<bool>(p::movable));
        EXPECT_FALSE(own.value<bool>(p::maxButton));
        EXPECT_EQ(own.value<bool>(p::minButton), expected.minButton);
        EXPECT_EQ(
            own.value<ui::Bytes>(p::icon).size(), expected.id == window::mainWindow ? 99678u : 0u);
    }
}

TEST_F(WindowTemplates, EveryComponentIsUnderItsIdWithUnitNameContainerAndGeometry)
{
    const ui::UnitRegistry units = ui::UnitRegistry::builtin();
    for (const ExpectedWindow& window : catalogue().windows) {
        auto loaded = load(window.id);
        std::size_t expectedCount = 0;
        for (const ExpectedComponent& expected : catalogue().components) {
            if (expected.window != window.id)
                continue;
            ++expectedCount;
            SCOPED_TRACE(testing::Message() << std::hex << expected.id << " " << expected.name);
            const ui::ComponentState* found = byId(loaded, expected.id);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->unit, expected.unit);
            EXPECT_EQ(found->name, expected.name);
            const ui::ComponentState* container
                = expected.container.empty() ? nullptr : byName(loaded, expected.container);
            EXPECT_EQ(found->parent, container ? container->id : 0);
            if (container) {
                const auto& children = container->children;
                EXPECT_NE(std::count(children.begin(), children.end(), expected.id), 0);
            }
            if (units.find(expected.unit)->visual) {
                EXPECT_EQ(found->geometry, expected.geometry);
            }
            EXPECT_EQ(found->visible, (expected.look & hidden) == 0);
            EXPECT_EQ(found->disabled, (expected.look & disabled) != 0);
        }
        EXPECT_EQ(loaded.size(), expectedCount + 1) << "components beyond the catalogue";
    }
}

TEST_F(WindowTemplates, EveryBindingReachesItsNamedHandlerAndNoOtherBindingExists)
{
    const ui::HandlerTable table = bindHandlers(application);
    ASSERT_EQ(table.size(), std::size(handlerNames));
    using Binding = std::tuple<ui::WindowId, ui::ComponentId, std::int32_t, std::string>;
    std::set<Binding> expected, actual;
    for (const ExpectedBinding& b : catalogue().bindings)
        expected.insert({ b.window, b.item, b.event, b.handler });

    auto handlerName = [&](std::int32_t index) -> std::string {
        if (index < 0 || std::size_t(index) >= table.size() || !table[index])
            return "<index " + std::to_string(index) + " outside the table>";
        return std::string(handlerNames[index]);
    };
    for (const ExpectedWindow& window : catalogue().windows) {
        auto loaded = load(window.id);
        for (std::size_t i = 0; i < loaded.size(); ++i)
            for (const ui::EventBinding& event : loaded[i].events)
                actual.insert({ window.id, i == 0 ? 0 : loaded[i].id, event.event,
                    handlerName(event.handler) });
        for (const ui::MenuItemState& item : windows.menuItems(window.id))
            if (item.handler != -1)
                actual.insert({ window.id, item.id, -1, handlerName(item.handler) });
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(WindowTemplates, MenusArePopUpsWhoseTopEntriesAreHidden)
{
    for (ui::WindowId window : { window::mainWindow, window::styleEditorWindow }) {
        load(window);
        std::vector<std::tuple<ui::ComponentId, std::string, std::uint32_t, bool>> actual, wanted;
        for (const ui::MenuItemState& item : windows.menuItems(window))
            actual.emplace_back(item.id, item.caption, item.level, item.hidden);
        for (const ExpectedMenuItem& item : catalogue().menuItems)
            if (item.window == window)
                wanted.emplace_back(item.id, item.caption, item.level, item.hidden);
        EXPECT_EQ(actual, wanted);
    }
}

TEST_F(WindowTemplates, TextsKeepTheirInnerAndTrailingSpacesAndLineBreaks)
{
    namespace p = ui::prop;
    struct Caption {
        ui::WindowId window;
        ui::ComponentId component;
        int property;
        ui::Text text;
    };
    const Caption captions[] = {
        { window::mainWindow, 0x16010bf8, p::label::caption, "等待播放..." },
        { window::mainWindow, 0x16010bfd, p::superBtn::caption, "播  放" },
        { window::mainWindow, 0x16010bfe, p::superBtn::caption, "暂  停" },
        { window::mainWindow, 0x16010bfb, p::superBtn::caption, "停 止" },
        { window::mainWindow, 0x16010e31, p::superBtn::caption, "取消开场" },
        { window::mainWindow, 0x1601128b, p::hyperLinker::caption, "请猛击这里" },
        { window::mainWindow, 0x1601128b, p::hyperLinker::address, "" },
        { window::mainWindow, 0x160112c7, p::label::caption, "版本：1.0" },
        { window::mainWindow, 0x16010bea, p::label::caption, "16" },
        { window::mainWindow, 0x16010c8c, p::groupBox::caption, "列表：" },
        { window::saveShowDialog, 0x16010404, p::label::caption,
            "系统将保存为新的场次，\r\n请输入场次名称：" },
        { window::closingNotice, 0x160108f6, p::transLabel::caption, "正在结束程序，请稍后！" },
        { window::styleSettingsWindow, 0x16010d1f, p::label::caption,
            "    白色编辑框可设置时间，以秒为单位！\r\n"
            "    舞曲开始设置是指从舞曲播放开始以设置的时间间隔逐步关灯；" },
        { window::styleSettingsWindow, 0x16010b52, p::groupBox::caption,
            "灯光、自动音量及限时设置：" },
        { window::lightTestWindow, 0x16010b7b, p::superBtn::caption, "16 路灭" },
        { window::lightTestWindow, 0x16010b9a, p::superBtn::caption, "1 路亮" },
        { window::stylePickDialog, 0x160111e8, p::button::caption, "确  定" },
        { window::openingTimeDialog, 0x160112d0, p::label::caption, "分(24小时制)  " },
        { window::openingTimeDialog, 0x160112de, p::button::caption, "取 消" },
    };
    for (const Caption& c : captions) {
        SCOPED_TRACE(testing::Message() << std::hex << c.component);
        if (!windows.isLoaded(c.window))
            load(c.window);
        EXPECT_EQ(std::get<ui::Text>(property(c.window, c.component, c.property)), c.text);
    }
}

TEST_F(WindowTemplates, ListsCarryTheirEntriesAndColumns)
{
    auto settings = load(window::styleSettingsWindow);
    EXPECT_EQ(byId(settings, 0x16010b54)->entries,
        (std::vector<ui::Text> { "3", "4", "5", "6", "7", "8", "9", "10", "无限时" }));
    EXPECT_EQ(byId(settings, 0x16010c9f)->entries,
        (std::vector<ui::Text> { "10", "20", "30", "40", "60", "80", "90", "100" }));
    EXPECT_EQ(byId(settings, 0x16010b54)->selection, -1);
    EXPECT_EQ(byId(load(window::mainWindow), 0x16011214)->columns,
        (std::vector<ui::Column> { { "列表", 150 } }));
    EXPECT_EQ(byId(load(window::styleEditorWindow), 0x160111dd)->columns,
        (std::vector<ui::Column> { { "曲风", 120 } }));
}

TEST_F(WindowTemplates, TimersStartWithTheirTemplateIntervals)
{
    load(window::mainWindow);
    const std::pair<ui::ComponentId, std::int32_t> intervals[] = { { 0x16010397, 500 },
        { 0x16010b58, 0 }, { 0x16010c7b, 1000 }, { 0x16010c8f, 0 }, { 0x16010dab, 0 } };
    for (auto [timer, interval] : intervals)
        EXPECT_EQ(
            std::get<std::int32_t>(property(window::mainWindow, timer, ui::prop::timer::interval)),
            interval)
            << std::hex << timer;
}

TEST_F(WindowTemplates, IndicatorsAndTogglesStartDarkInTheirColoursAndFonts)
{
    namespace label = ui::prop::label;
    const ui::Font song14 { 14, 400, false, false, false, 134, "宋体" };
    load(window::mainWindow);
    load(window::styleSettingsWindow);
    for (const ExpectedComponent& c : catalogue().components) {
        bool indicator = c.window == window::mainWindow && c.container == "分组框2";
        bool toggle = c.window == window::styleSettingsWindow && c.geometry.width == 40;
        if (!indicator && !toggle)
            continue;
        SCOPED_TRACE(c.name);
        const ui::ComponentState state = *windows.component(c.window, c.id);
        EXPECT_EQ(state.value<std::int32_t>(label::backColour), ui::rgb(0, 0, 0));
        EXPECT_EQ(state.value<std::int32_t>(label::textColour),
            indicator ? ui::rgb(0, 96, 192) : ui::rgb(0, 255, 255));
        EXPECT_EQ(state.value<ui::Font>(label::font), song14);
        EXPECT_EQ(state.value<std::int32_t>(label::borderStyle), indicator ? 1 : 2);
        EXPECT_EQ(state.cursor.size(), toggle ? 4u : 0u);
    }
}

TEST_F(WindowTemplates, SkinnedButtonsCarryTheirThreeStatePictures)
{
    namespace p = ui::prop::superBtn;
    for (ui::WindowId window :
        { window::mainWindow, window::styleSettingsWindow, window::lightTestWindow }) {
        for (const ui::ComponentState& c : load(window)) {
            if (c.unit != ui::unit::superBtn)
                continue;
            SCOPED_TRACE(c.name);
            for (int picture : { p::picture1, p::picture2, p::picture3 }) {
                const auto& gif = c.value<ui::Bytes>(picture);
                ASSERT_GE(gif.size(), 10u);
                EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
                EXPECT_EQ(gif[6] | gif[7] << 8, 90); // logical screen width
                EXPECT_EQ(gif[8] | gif[9] << 8, 20);
            }
        }
    }
}

} // namespace
} // namespace app::test
