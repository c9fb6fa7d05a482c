#include "core_fixture.h"
#include "ui/unit_properties.h"

namespace ui::test {
namespace {

constexpr ComponentId label = 0x16010bf8, button = 0x16010bfd, timer = 0x16010397,
                      list = 0x160109b9, tree = 0x16010ca8, view = 0x16011214, edit = 0x16011138,
                      box = 0x16010be5, combo = 0x16010b54, dialogCtl = 0x16010015;
constexpr ComponentId trayMenu = 0x26010498, showItem = 0x26010499, hideItem = 0x2601049a;
constexpr WindowId dialogId = 0x52010402;
constexpr ComponentId dialogOwn = 0x06010403, dialogButton = 0x16010405;

WindowTemplate mainWindow()
{
    auto own = std::vector<EventBinding> { { 0, 0 }, { 1, 1 }, { 3, 2 }, { 4, 3 }, { 9, 4 } };
    auto groupBox = component(box, unit::groupBox, { 8, 16, 328, 544 });
    groupBox.children = { label };
    auto feedback = withValues(
        component(label, unit::label, { 16, 28, 296, 25 }, { { 0, 5 }, { -1, -1 } }, box),
        { { prop::label::caption, Text("等待播放...") } });
    auto play = component(button, unit::superBtn, { 14, 124, 74, 20 }, { { 0, 6 } });
    play.flags |= itemFlag::takesFocus;
    play.tabOrder = 2;
    auto first = component(edit, unit::editBox, {}, { { -11, 7 } });
    first.flags |= itemFlag::takesFocus;
    first.tabOrder = 1;
    auto styles = component(list, unit::listBox, {}, { { 0, 8 } });
    auto slots = component(tree, unit::treeBox, {}, { { 0, 9 }, { 6, 10 }, { 1, 11 } });
    auto shows = component(view, unit::listView, {}, { { 5, 12 } });
    shows.block = { true, {}, {}, { { "列表", 150 } } };
    auto limit = component(combo, unit::comboBox);
    limit.block.present = true;
    limit.block.entries = { "3", "4", "无限时" };
    auto clock = withValues(component(timer, unit::timer, {}, { { 0, 13 } }),
        { { prop::timer::interval, std::int32_t(500) } });
    auto w = window(mainId, mainOwn, own,
        { groupBox, feedback, play, first, styles, slots, shows, limit, clock,
            component(dialogCtl, unit::commonDlg) },
        { menuItem(trayMenu, "托盘", 0, -1, menuFlag::hidden), menuItem(showItem, "显示", 1, 14),
            menuItem(hideItem, "隐藏", 1, 15) });
    w.components[0] = withValues(w.components[0], { { prop::window::state, std::int32_t(1) } });
    w.components[0].events = own;
    return w;
}

WindowTemplate dialogWindow()
{
    return window(dialogId, dialogOwn, { { 0, 0 } },
        { component(dialogButton, unit::button, {}, { { 0, 6 } }) });
}

TEST_F(CoreTest, LoadingRaisesCreatedMovedResizedThenShowsCentredWithFocusAndTimer)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    EXPECT_EQ(calls, (std::vector<std::string> { "h0()", "h2()", "h3()" }));
    auto t = views.transcript();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[0], "0x52010001 create");
    EXPECT_NE(std::find(t.begin(), t.end(), "0x52010001 show"), t.end());
    EXPECT_EQ(views.focus(mainId), edit); // lowest tab order among focusable components
    EXPECT_EQ(std::get<std::int32_t>(get(0, prop::left)), (1024 - 400) / 2);
    EXPECT_EQ(std::get<std::int32_t>(get(0, prop::top)), (768 - 300) / 2);
    headless.advance(1000);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "h13()"), 2);
}

TEST_F(CoreTest, AWindowClosedByItsCreatedHandlerRaisesNothingMore)
{
    start({ mainWindow() });
    actions[0] = [this] { commands->close(mainId, 0); };
    core->loadStartWindow(mainId);
    EXPECT_EQ(calls, (std::vector<std::string> { "h0()" }));
    EXPECT_FALSE(core->isLoaded(mainId));
    EXPECT_FALSE(runtime.isReportingError());
}

TEST_F(CoreTest, EveryUnitPropertyRoundTripsThroughTheLoadedComponent)
{
    std::vector<ComponentTemplate> items;
    ComponentId id = 0x16010100;
    const UnitRegistry registry = UnitRegistry::builtin();
    for (UnitType code : registry.codes())
        if (code != unit::window)
            items.push_back(component(++id, code));
    start({ window(mainId, mainOwn, {}, items) });
    core->loadStartWindow(mainId);
    for (const auto& c : core->components(mainId)) {
        const UnitInfo& unit = *registry.find(c.unit);
        SCOPED_TRACE(unit.name);
        for (const PropertyInfo& p : unit.properties) {
            if (p.number == prop::window::state || p.get)
                continue; // derived values, tested on their own
            Value written = p.type == PropertyType::Logical ? Value(!std::get<bool>(p.initial))
                : p.type == PropertyType::Text              ? Value(Text("新值"))
                : p.type == PropertyType::Bytes             ? Value(Bytes { 7, 0, 7 })
                : p.type == PropertyType::Font
                ? Value(Font { 14, 700, false, false, false, 134, "" })
                : Value(std::int32_t(42));
            set(c.id, p.number, written);
            EXPECT_EQ(get(c.id, p.number), written) << "property " << p.number;
        }
        for (int common = 0; common < 4; ++common) {
            set(c.id, common, std::int32_t(17 + common));
            EXPECT_EQ(get(c.id, common), Value(std::int32_t(17 + common)));
        }
        set(c.id, prop::tag, Text("标记"));
        set(c.id, prop::visible, std::int32_t(5)); // a logical written as an integer
        EXPECT_EQ(get(c.id, prop::visible), Value(true));
        EXPECT_EQ(get(c.id, prop::tag), Value(Text("标记")));
    }
}

TEST_F(CoreTest, DerivedPropertiesFollowTheirRules)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    // Selections: -1 for none, out of range selects nothing.
    EXPECT_EQ(get(view, prop::listView::currentRow), Value(std::int32_t(-1)));
    commands->listViewInsert(mainId, view, std::nullopt, "第一场");
    set(view, prop::listView::currentRow, std::int32_t(0));
    EXPECT_EQ(get(view, prop::listView::currentRow), Value(std::int32_t(0)));
    set(view, prop::listView::currentRow, std::int32_t(5));
    EXPECT_EQ(get(view, prop::listView::currentRow), Value(std::int32_t(-1)));
    set(combo, prop::comboBox::selection, std::int32_t(2));
    EXPECT_EQ(commands->comboItemText(mainId, combo, 2), "无限时");
    EXPECT_EQ(get(combo, prop::comboBox::selection), Value(std::int32_t(2)));
    // Timer intervals below 0 count as 0; window state reads 0 unless minimized or maximized.
    set(timer, prop::timer::interval, std::int32_t(-5));
    EXPECT_EQ(get(timer, prop::timer::interval), Value(std::int32_t(0)));
    EXPECT_EQ(get(0, prop::window::state), Value(std::int32_t(0)));
    set(0, prop::window::state, std::int32_t(2));
    EXPECT_EQ(get(mainOwn, prop::window::state), Value(std::int32_t(2)));
    // Writing an edit box's content "" clears it.
    set(edit, prop::editBox::content, Text("abc"));
    set(edit, prop::editBox::content, Text(""));
    EXPECT_EQ(get(edit, prop::editBox::content), Value(Text("")));
    // Menu items: caption, check mark, disabled, visible (kept as the hidden bit).
    set(showItem, menuProp::disabled, true);
    EXPECT_EQ(get(showItem, menuProp::disabled), Value(true));
    EXPECT_EQ(get(trayMenu, menuProp::visible), Value(false));
}

TEST_F(CoreTest, EventsReachTheirHandlersWithArgumentsAndResults)
{
    start({ mainWindow(), dialogWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    input->click(mainId, button, { 3, 4 });
    input->mouse(mainId, label, commonEvent::leftDown, { 5, 6 }, keys::ctrl); // bound to -1
    core->postFeedback(mainId, label, 42, 0);
    headless.advance(0);
    input->trayEvent(mainId, 3);
    EXPECT_EQ(calls, (std::vector<std::string> { "h6()", "h5(42,0)", "h4(3)" }));

    // Typing: the -11 handler's result replaces (non-zero) or swallows (0) a character.
    calls.clear();
    results[7] = 'X';
    input->typeText(mainId, edit, "ab");
    results[7] = 0;
    input->typeText(mainId, edit, "c");
    EXPECT_EQ(get(edit, prop::editBox::content), Value(Text("XX")));
    EXPECT_EQ(calls, (std::vector<std::string> { "h7(97)", "h7(98)", "h7(99)" }));
}

TEST_F(CoreTest, MayCloseFalseKeepsTheWindowAndTrueClosesIt)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    results[1] = 0;
    EXPECT_FALSE(input->requestClose(mainId));
    EXPECT_TRUE(core->isLoaded(mainId));
    results[1] = 1;
    EXPECT_TRUE(input->requestClose(mainId));
    EXPECT_FALSE(core->isLoaded(mainId));
    headless.advance(2000);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "h13()"), 0); // its timer stopped
}

TEST_F(CoreTest, UnboundEventsAndHandlerMinusOneDoNothing)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    input->mouse(mainId, label, commonEvent::rightDown); // no binding
    input->mouse(mainId, label, commonEvent::leftDown); // bound to handler -1
    EventRecord record { mainId, label, -1, { 0, 0, 0 } };
    core->raise(record);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(record.hasResult);
}

TEST_F(CoreTest, DisabledOrBlockedComponentsDropInput)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    set(button, prop::disabled, true);
    input->click(mainId, button);
    set(button, prop::disabled, false);
    set(box, prop::disabled, true); // the container disables what is inside
    core->postFeedback(mainId, label, 1, 0); // feedback is no input: still delivered
    headless.advance(0);
    input->mouse(mainId, label, commonEvent::leftDown);
    EXPECT_EQ(calls, (std::vector<std::string> { "h5(1,0)" }));
}

TEST_F(CoreTest, ModalWindowBlocksItsCallerUntilClosed)
{
    start({ mainWindow(), dialogWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    // The dialog's button closes it; the main window's button is blocked meanwhile.
    actions[6] = [this] {
        if (core->isLoaded(dialogId))
            commands->close(dialogId, 0);
    };
    headless.loop().post([this] { input->click(mainId, button); });
    headless.loop().post([this] { input->click(dialogId, dialogButton); });
    EXPECT_TRUE(commands->loadWindow(dialogId, true));
    calls.push_back("returned");
    EXPECT_EQ(calls, (std::vector<std::string> { "h0()", "h6()", "returned" }));
    EXPECT_FALSE(core->isLoaded(dialogId));
    EXPECT_FALSE(views.blocked(mainId));
    input->click(mainId, button);
    EXPECT_EQ(calls.back(), "h6()");
}

TEST_F(CoreTest, CloseRequestReachesAWindowThatADialogBlocks)
{
    start({ mainWindow(), dialogWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    // The may-close handler keeps the window and ends the dialog.
    results[1] = 0;
    actions[1] = [this] {
        if (core->isLoaded(dialogId))
            commands->close(dialogId, 0);
    };
    headless.loop().post([this] { input->click(mainId, button); }); // input: dropped
    headless.loop().post([this] { EXPECT_FALSE(input->requestClose(mainId)); });
    EXPECT_TRUE(commands->loadWindow(dialogId, true));
    EXPECT_EQ(calls, (std::vector<std::string> { "h0()", "h1()" }));
    EXPECT_TRUE(core->isLoaded(mainId));
}

TEST_F(CoreTest, TimerRewrittenWithItsOwnIntervalKeepsItsSchedule)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    headless.advance(300);
    set(timer, prop::timer::interval, std::int32_t(500)); // same: no restart
    headless.advance(200); // 500 ms after the start
    EXPECT_EQ(calls, (std::vector<std::string> { "h13()" }));
    headless.advance(300);
    set(timer, prop::timer::interval, std::int32_t(400)); // new: restarts from now (800)
    headless.advance(399);
    EXPECT_EQ(calls.size(), 1u);
    headless.advance(1);
    EXPECT_EQ(calls.size(), 2u);
    set(timer, prop::timer::interval, std::int32_t(0));
    headless.advance(5000);
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(CoreTest, MenusTrayAndTreeInput)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    calls.clear();
    commands->trayPopupMenu(mainId, trayMenu);
    auto menus = views.menus();
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0].entries.size(), 2u);
    EXPECT_TRUE(menus[0].tray);
    EXPECT_EQ(menus[0].entries[1].caption, "隐藏");
    EXPECT_EQ(menus[0].entries[1].commandId, 20002);
    input->menuCommand(mainId, menus[0].entries[1].commandId);
    commands->setTrayIcon(mainId, { 1 }, Text(40, 'a') + Text(30, '\xb0'));
    EXPECT_EQ(views.trayTip()->size(), 62u);

    int root = commands->treeAddItem(mainId, tree, std::nullopt, "1 华尔兹");
    int second = commands->treeAddItem(mainId, tree, std::nullopt, "2 探戈");
    int child = commands->treeAddItem(mainId, tree, root, "a.mp3");
    EXPECT_EQ(child, 1);
    EXPECT_EQ(commands->treeItemText(mainId, tree, 2), "2 探戈");
    EXPECT_EQ(second, 1); // it moved to 2 when the child was added under item 0
    EXPECT_EQ(commands->treeDepth(mainId, tree, child), 2);
    EXPECT_EQ(commands->treeParent(mainId, tree, child), 0);
    EXPECT_EQ(commands->treeDepth(mainId, tree, 9), 0);
    input->rightClickTreeItem(mainId, tree, 2);
    EXPECT_EQ(get(tree, prop::treeBox::selection), Value(std::int32_t(2)));
    input->doubleClick(mainId, tree);
    EXPECT_EQ(calls, (std::vector<std::string> { "h15()", "h9(1)", "h10()", "h11()" }));
}

TEST_F(CoreTest, OpenDialogUsesTheComponentsSettingsAndStoresTheChoice)
{
    start({ mainWindow() });
    core->loadStartWindow(mainId);
    set(dialogCtl, prop::commonDlg::filter, Text("MP3文件(*.mp3)|*.mp3"));
    set(dialogCtl, prop::commonDlg::keepDirectory, true);
    headless.dialogs().answerNextOpenFile("/music/a.mp3");
    headless.dialogs().answerNextOpenFile(std::nullopt);
    EXPECT_TRUE(commands->openDialog(mainId, dialogCtl));
    EXPECT_FALSE(commands->openDialog(mainId, dialogCtl));
    EXPECT_EQ(get(dialogCtl, prop::commonDlg::fileName), Value(Text("/music/a.mp3")));
    auto requests = headless.dialogs().openFileRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].filter, "MP3文件(*.mp3)|*.mp3");
    EXPECT_TRUE(requests[0].keepCurrentDir);
}

TEST_F(CoreTest, CommonPropertiesOfAnUnloadedWindowLiveInItsTemplate)
{
    start({ mainWindow(), dialogWindow() });
    set(dialogButton, prop::visible, false, dialogId);
    EXPECT_EQ(get(dialogButton, prop::visible, dialogId), Value(false));
    core->loadWindow(dialogId, false);
    EXPECT_FALSE(core->component(dialogId, dialogButton)->visible);
}

struct ErrorCase {
    const char* text;
    void (*action)(CoreTest&);
};

const ErrorCase errorCases[] = {
    { "载入窗口模板数据段出错!",
        [](CoreTest& t) {
            t.core->readTemplates(Bytes { 8, 0, 0, 0, 1 });
        } },
    { "载入启动窗口失败", [](CoreTest& t) { t.core->loadStartWindow(0x52019999); } },
    { "未载入欲访问窗口组件所在的窗口", [](CoreTest& t) { t.get(label, 8, 0x52019999); } },
    { "未载入欲访问窗口组件所在的窗口", [](CoreTest& t) { t.get(0x16019999, 0); } },
    { "指定窗口尚未载入", [](CoreTest& t) { t.get(dialogButton, 8, dialogId); } },
    { "指定窗口或窗口组件不存在或尚未载入",
        [](CoreTest& t) { t.commands->listClear(dialogId, dialogButton); } },
    { "指定窗口或窗口组件不存在或尚未载入",
        [](CoreTest& t) { t.commands->comboAddItem(mainId, label, "x"); } },
    { "未找到引发事件的窗口",
        [](CoreTest& t) {
            EventRecord r { dialogId, 0, 0, {} };
            t.core->raise(r);
        } },
    { "未找到引发事件的窗口组件",
        [](CoreTest& t) {
            EventRecord r { mainId, 0x16019999, 0, {} };
            t.core->raise(r);
        } },
    { "引发事件的窗口组件无效",
        [](CoreTest& t) {
            EventRecord r { mainId, dialogCtl, 0, {} };
            t.core->raise(r);
        } },
    { "欲访问的属性不存在", [](CoreTest& t) { t.get(label, 99); } },
    { "属性值的类型不符",
        [](CoreTest& t) { t.set(label, prop::label::caption, std::int32_t(1)); } },
};

// Each case ends its program, so each runs in a fixture of its own.
class RuntimeErrorTest : public CoreTest, public ::testing::WithParamInterface<ErrorCase> { };

TEST_P(RuntimeErrorTest, ReportsItsTextAndEndsWithMinusOne)
{
    start({ mainWindow(), dialogWindow() });
    core->loadStartWindow(mainId);
    std::string report = errorOf([this] { GetParam().action(*this); });
    EXPECT_NE(report.find("运行时出错!"), std::string::npos);
    EXPECT_NE(report.find(GetParam().text), std::string::npos) << report;
    EXPECT_EQ(headless.process().exitCode(), -1);
    // While the report is up (and after), events are dropped.
    calls.clear();
    EventRecord tray { mainId, 0, windowEvent::tray, { 1 } };
    core->raise(tray);
    EXPECT_TRUE(calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Core, RuntimeErrorTest, ::testing::ValuesIn(errorCases));

} // namespace
} // namespace ui::test
