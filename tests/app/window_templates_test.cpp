// The compiled templates against their sources: every window of the program loads on the
// headless platform as its source describes it, with the frame every window of the program has,
// and every event binding reaches the application's handler of the name the source gives. The
// texts, lists, timers and pictures the application relies on are written down here.

#include "window_sources.h"

#include "app/application.h"
#include "app/handler_table.h"
#include "backends/headless/recording_views.h"
#include "tools/tmplc/handler_names.h"
#include "ui/segment_reader.h"
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
    const ui::UnitRegistry units = ui::UnitRegistry::builtin();
};

const ui::ComponentState* byId(const std::vector<ui::ComponentState>& all, ui::ComponentId id)
{
    auto it = std::find_if(all.begin(), all.end(), [&](const auto& c) { return c.id == id; });
    return it == all.end() ? nullptr : &*it;
}

std::vector<ui::WindowId> idsOf(const std::vector<ui::WindowTemplate>& windows)
{
    std::vector<ui::WindowId> ids;
    for (const ui::WindowTemplate& window : windows)
        ids.push_back(window.id);
    return ids;
}

TEST_F(WindowTemplates, TheProgramHoldsItsTenWindowsAsTheBuildListsTheirSources)
{
    std::vector<ui::WindowTemplate> sources;
    for (const tmplc::WindowSource& source : windowSources())
        sources.push_back(source.tmpl);
    using namespace window;
    const std::vector<ui::WindowId> ten { mainWindow, saveShowDialog, closingNotice,
        styleSettingsWindow, lightTestWindow, styleEditorWindow, stylePickDialog, openingTimeDialog,
        lightOutputWindow, remoteSettingsWindow };
    EXPECT_EQ(idsOf(sources), ten);
    EXPECT_EQ(
        idsOf(ui::readSegment(templates::segment(), units, std::size(handlerNames)).windows), ten);
}

TEST_F(WindowTemplates, EveryWindowOpensCentredWithItsSourceCaptionSizeAndFixedFrame)
{
    namespace p = ui::prop::window;
    for (const tmplc::WindowSource& source : windowSources()) {
        SCOPED_TRACE(source.file);
        const ui::ComponentState expected
            = ui::makeComponentState(source.tmpl.components.at(0), *units.find(ui::unit::window));
        auto components = load(source.tmpl.id);
        ASSERT_FALSE(components.empty());
        const ui::ComponentState& own = components[0];
        EXPECT_EQ(own.unit, ui::unit::window);
        EXPECT_EQ(own.value<ui::Text>(p::caption), expected.value<ui::Text>(p::caption));
        EXPECT_EQ(own.value<ui::Bytes>(p::icon), expected.value<ui::Bytes>(p::icon));
        EXPECT_EQ(own.geometry.width, expected.geometry.width);
        EXPECT_EQ(own.geometry.height, expected.geometry.height);
        // What every window of the program has, whatever its source says.
        EXPECT_EQ(own.geometry.left, (1024 - own.geometry.width) / 2);
        EXPECT_EQ(own.geometry.top, (768 - own.geometry.height) / 2);
        EXPECT_EQ(own.value<std::int32_t>(p::borderStyle), 2);
        EXPECT_TRUE(own.value<bool>(p::systemMenu));
        EXPECT_TRUE(own.value<bool>(p::movable));
        EXPECT_FALSE(own.value<bool>(p::maxButton));
        // Only the main window goes to the notification area, and only it shows the icon.
        const bool main = source.tmpl.id == window::mainWindow;
        EXPECT_EQ(own.value<bool>(p::minButton), main);
        EXPECT_EQ(own.value<ui::Bytes>(p::icon).empty(), !main);
    }
    EXPECT_TRUE(load(window::mainWindow)[0]
                    .value<ui::Text>(p::caption)
                    .starts_with("Velorn舞厅专用播放器(灯光自动控制系统)"));
}

TEST_F(WindowTemplates, EveryComponentLoadsAsItsSourceDescribesItAndNoOtherExists)
{
    for (const tmplc::WindowSource& source : windowSources()) {
        const auto loaded = load(source.tmpl.id);
        const auto& items = source.tmpl.components;
        for (std::size_t i = 1; i < items.size(); ++i) {
            SCOPED_TRACE(testing::Message() << source.file << ":" << source.lineOf(items[i].id)
                                            << " " << std::hex << items[i].id);
            const ui::UnitInfo* unit = units.find(items[i].unit);
            ASSERT_NE(unit, nullptr);
            const ui::ComponentState expected = ui::makeComponentState(items[i], *unit);
            const ui::ComponentState* found = byId(loaded, items[i].id);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->unit, expected.unit);
            EXPECT_EQ(found->name, expected.name);
            EXPECT_EQ(found->parent, expected.parent);
            if (const ui::ComponentState* container = byId(loaded, expected.parent)) {
                const auto& children = container->children;
                EXPECT_NE(std::count(children.begin(), children.end(), expected.id), 0);
            }
            if (unit->visual) {
                EXPECT_EQ(found->geometry, expected.geometry);
            }
            EXPECT_EQ(found->visible, expected.visible);
            EXPECT_EQ(found->disabled, expected.disabled);
            EXPECT_EQ(found->cursor, expected.cursor);
            EXPECT_EQ(found->values, expected.values);
            EXPECT_EQ(found->entries, expected.entries);
            EXPECT_EQ(found->columns, expected.columns);
        }
        EXPECT_EQ(loaded.size(), items.size()) << source.file << ": components beyond the source";
    }
}

TEST_F(WindowTemplates, EveryBindingReachesTheHandlerItsSourceNamesAndEveryHandlerIsBound)
{
    const ui::HandlerTable table = bindHandlers(application);
    ASSERT_EQ(table.size(), std::size(handlerNames));
    using Binding = std::tuple<ui::WindowId, ui::ComponentId, std::int32_t, std::string>;
    constexpr std::int32_t menu = -1;
    auto handlerName = [&](std::int32_t index) -> std::string {
        if (index < 0 || std::size_t(index) >= table.size() || !table[index])
            return "<index " + std::to_string(index) + " outside the table>";
        return std::string(handlerNames[index]);
    };
    // The source names a handler; its position in the compiler's list must be the one the
    // application's table has under that name.
    auto sourceName = [](std::int32_t index) {
        return std::string(tmplc::applicationHandlerNames()[std::size_t(index)]);
    };

    std::set<Binding> expected, actual;
    std::set<std::string> bound;
    for (const tmplc::WindowSource& source : windowSources()) {
        const ui::WindowTemplate& tmpl = source.tmpl;
        for (std::size_t i = 0; i < tmpl.components.size(); ++i)
            for (const ui::EventBinding& event : tmpl.components[i].events)
                expected.insert(Binding { tmpl.id, i == 0 ? 0u : tmpl.components[i].id, event.event,
                    sourceName(event.handler) });
        for (const ui::MenuItemTemplate& item : tmpl.menuItems)
            if (item.handler != -1)
                expected.insert(Binding { tmpl.id, item.id, menu, sourceName(item.handler) });

        auto loaded = load(tmpl.id);
        for (std::size_t i = 0; i < loaded.size(); ++i)
            for (const ui::EventBinding& event : loaded[i].events)
                actual.insert(Binding {
                    tmpl.id, i == 0 ? 0u : loaded[i].id, event.event, handlerName(event.handler) });
        for (const ui::MenuItemState& item : windows.menuItems(tmpl.id))
            if (item.handler != -1)
                actual.insert(Binding { tmpl.id, item.id, menu, handlerName(item.handler) });
    }
    EXPECT_EQ(actual, expected);
    for (const Binding& binding : actual)
        bound.insert(std::get<3>(binding));
    for (std::string_view handler : handlerNames)
        EXPECT_TRUE(bound.contains(std::string(handler))) << handler << " is bound nowhere";
}

TEST_F(WindowTemplates, MenusArePopUpsWhoseTopEntriesAreHidden)
{
    for (const tmplc::WindowSource& source : windowSources()) {
        SCOPED_TRACE(source.file);
        load(source.tmpl.id);
        std::vector<std::tuple<ui::ComponentId, std::string, std::uint32_t, bool>> actual, wanted;
        for (const ui::MenuItemState& item : windows.menuItems(source.tmpl.id)) {
            actual.emplace_back(item.id, item.caption, item.level, item.hidden);
            // A top entry only groups a pop-up: shown, it would be a menu bar.
            EXPECT_EQ(item.hidden, item.level == 0) << std::hex << item.id;
        }
        for (const ui::MenuItemTemplate& item : source.tmpl.menuItems)
            wanted.emplace_back(
                item.id, item.caption, item.level, (item.flags & ui::menuFlag::hidden) != 0);
        EXPECT_EQ(actual, wanted);
    }
    EXPECT_FALSE(windows.menuItems(window::mainWindow).empty());
    EXPECT_FALSE(windows.menuItems(window::styleEditorWindow).empty());
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
    // The indicators are the labels of the main window's lamp panel, the toggles the 40-pixel
    // labels of the style settings window: sixteen of each.
    const auto main = load(window::mainWindow);
    const auto settings = load(window::styleSettingsWindow);
    const ui::ComponentId lampPanel = 0x16010be6;
    std::vector<std::pair<ui::ComponentState, bool>> lamps; // state, indicator
    for (const ui::ComponentState& c : main)
        if (c.unit == ui::unit::label && c.parent == lampPanel)
            lamps.emplace_back(c, true);
    for (const ui::ComponentState& c : settings)
        if (c.unit == ui::unit::label && c.geometry.width == 40)
            lamps.emplace_back(c, false);
    ASSERT_EQ(lamps.size(), 32u);
    for (const auto& [state, indicator] : lamps) {
        const bool toggle = !indicator;
        SCOPED_TRACE(state.name);
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
