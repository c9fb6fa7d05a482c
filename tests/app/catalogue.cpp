#include "catalogue.h"

#include <cstdio>

namespace app::test {
namespace {

using namespace window;
namespace unit = ui::unit;

std::string numbered(const char* format, int n)
{
    char text[64];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// The sixteen indicator lamps of the main window: two rows of eight, black with blue digits.
void addIndicatorLabels(std::vector<ExpectedComponent>& out)
{
    constexpr ui::ComponentId ids[16] = { 0x16010bf6, 0x16010bf5, 0x16010bf4, 0x16010bf3,
        0x16010bf2, 0x16010bf1, 0x16010bf0, 0x16010bef, 0x16010bee, 0x16010bed, 0x16010bec,
        0x16010beb, 0x16010be7, 0x16010be8, 0x16010be9, 0x16010bea };
    constexpr std::int32_t lefts[16]
        = { 32, 61, 90, 119, 148, 177, 206, 235, 31, 60, 89, 118, 147, 176, 205, 235 };
    for (int channel = 1; channel <= 16; ++channel)
        out.push_back({ mainWindow, ids[channel - 1], numbered("标签%d", channel + 3), unit::label,
            "分组框2", { lefts[channel - 1], channel <= 8 ? 26 : 58, 24, 24 }, shown });
}

// The channel toggles of the style settings window, each with its seconds field.
void addChannelToggles(Catalogue& out)
{
    struct Toggle {
        ui::ComponentId label;
        std::int32_t left, top;
        ui::ComponentId edit;
        std::int32_t editLeft, editTop;
    };
    constexpr Toggle toggles[16] = { { 0x160110dc, 52, 57, 0x160110e3, 48, 94 },
        { 0x160110dd, 107, 57, 0x160110e2, 101, 93 }, { 0x160110de, 162, 57, 0x160110e1, 156, 93 },
        { 0x160110df, 217, 56, 0x160110e0, 213, 92 }, { 0x160110e4, 275, 56, 0x160110eb, 270, 92 },
        { 0x160110e5, 329, 56, 0x160110ea, 323, 91 }, { 0x160110e6, 381, 55, 0x160110e9, 377, 91 },
        { 0x160110e7, 438, 54, 0x160110e8, 435, 90 }, { 0x160110ec, 52, 139, 0x160110f3, 48, 175 },
        { 0x160110ed, 108, 139, 0x160110f2, 102, 175 },
        { 0x160110ee, 164, 139, 0x160110f1, 159, 174 },
        { 0x160110ef, 220, 139, 0x160110f0, 215, 174 },
        { 0x160110f4, 275, 137, 0x160110f8, 273, 172 },
        { 0x160110f5, 331, 136, 0x160110f9, 327, 172 },
        { 0x160110f6, 385, 136, 0x160110fa, 380, 171 },
        { 0x160110f7, 438, 136, 0x160110fb, 433, 171 } };
    for (int channel = 1; channel <= 16; ++channel) {
        const Toggle& t = toggles[channel - 1];
        out.components.push_back({ styleSettingsWindow, t.label, numbered("标签%d11", channel + 3),
            unit::label, "分组框2", { t.left, t.top, 40, 30 }, shown });
        out.components.push_back({ styleSettingsWindow, t.edit, numbered("编辑框%d", channel),
            unit::editBox, "分组框2", { t.editLeft, t.editTop, 48, 24 }, disabled });
        out.bindings.push_back({ styleSettingsWindow, t.label, -2, "toggleChannel" });
    }
}

// The light test buttons: per channel an "on" button and its "off" partner 80 pixels right.
void addLightTestButtons(Catalogue& out)
{
    constexpr std::int32_t rowTops[6] = { 56, 80, 104, 129, 155, 179 };
    constexpr std::int32_t onLefts[3] = { 32, 192, 352 };
    for (int channel = 1; channel <= 16; ++channel) {
        std::int32_t top = channel == 12 ? 128 : rowTops[(channel - 1) / 3];
        std::int32_t left = onLefts[(channel - 1) % 3];
        ui::ComponentId off = 0x16010b7b + 2 * (16 - channel);
        out.components.push_back({ lightTestWindow, off, numbered("超级按钮%d路灭", channel),
            unit::superBtn, "", { left + 80, top, 74, 20 }, shown });
        out.components.push_back({ lightTestWindow, off + 1, numbered("超级按钮%d路亮", channel),
            unit::superBtn, "", { left, top, 74, 20 }, shown });
        out.bindings.push_back({ lightTestWindow, off, 0, "switchLightOff" });
        out.bindings.push_back({ lightTestWindow, off + 1, 0, "switchLightOn" });
    }
    out.components.push_back({ lightTestWindow, 0x16010b9c, "超级按钮全灭", unit::superBtn, "",
        { 288, 179, 74, 20 }, shown });
    out.components.push_back({ lightTestWindow, 0x16010b9b, "超级按钮全亮", unit::superBtn, "",
        { 392, 179, 74, 20 }, shown });
}

std::vector<ExpectedWindow> windows()
{
    return {
        { mainWindow, "Velorn舞厅专用播放器(灯光自动控制系统)", 942, 628, true },
        { saveShowDialog, "", 380, 250, false },
        { closingNotice, "舞厅专版", 380, 210, false },
        { styleSettingsWindow, "灯光自动音量及限时设置", 707, 457, false },
        { lightTestWindow, "灯光调试", 537, 321, false },
        { styleEditorWindow, "曲风编辑", 489, 419, false },
        { stylePickDialog, "曲风编辑：", 347, 227, false },
        { openingTimeDialog, "", 380, 250, false },
    };
}

std::vector<ExpectedComponent> components()
{
    return {
        { mainWindow, 0x16010be5, "分组框3", unit::groupBox, "", { 8, 16, 328, 544 }, shown },
        { mainWindow, 0x16010bf8, "标签1", unit::label, "分组框3", { 16, 28, 296, 25 }, shown },
        { mainWindow, 0x16010bfc, "标签2", unit::label, "分组框3", { 13, 64, 304, 41 }, shown },
        { mainWindow, 0x16010bfd, "播放按钮", unit::superBtn, "分组框3", { 14, 124, 74, 20 },
            shown },
        { mainWindow, 0x16010bfe, "暂停按钮", unit::superBtn, "分组框3", { 14, 124, 74, 20 },
            shown },
        { mainWindow, 0x16010bfb, "停止按钮", unit::superBtn, "分组框3", { 91, 124, 74, 20 },
            shown },
        { mainWindow, 0x16010bfa, "上一首按钮", unit::superBtn, "分组框3", { 167, 124, 74, 20 },
            shown },
        { mainWindow, 0x16010bf9, "下一首按钮", unit::superBtn, "分组框3", { 243, 124, 74, 20 },
            shown },
        { mainWindow, 0x16010be6, "分组框2", unit::groupBox, "分组框3", { 16, 162, 296, 101 },
            shown },
        { mainWindow, 0x16010c71, "按钮灯光设置", unit::superBtn, "分组框3", { 67, 279, 74, 20 },
            shown },
        { mainWindow, 0x16010c72, "灯光调试按钮", unit::superBtn, "分组框3", { 188, 279, 74, 20 },
            shown },
        { mainWindow, 0x16010c75, "月历1", unit::monthCalendar, "分组框3", { 8, 313, 312, 167 },
            shown },
        { mainWindow, 0x16010c7a, "标签3", unit::label, "分组框3", { 8, 500, 304, 24 }, shown },
        { mainWindow, 0x16010c7d, "分组框4", unit::groupBox, "", { 344, 16, 584, 544 }, shown },
        { mainWindow, 0x16010c84, "分组框5", unit::groupBox, "分组框4", { 24, 27, 168, 413 },
            shown },
        { mainWindow, 0x16011214, "超级列表框1", unit::listView, "分组框5", { 8, 21, 152, 384 },
            shown },
        { mainWindow, 0x16010c8c, "分组框6", unit::groupBox, "分组框4", { 208, 27, 352, 496 },
            shown },
        { mainWindow, 0x16011119, "标签23", unit::label, "分组框6", { 26, 25, 94, 24 }, shown },
        { mainWindow, 0x16011196, "标签场次", unit::label, "分组框6", { 110, 24, 226, 24 }, shown },
        // Lowered to make room for the running time above it.
        { mainWindow, 0x16010ca8, "树型框1", unit::treeBox, "分组框6", { 24, 75, 304, 349 },
            shown },
        { mainWindow, 0x16010e28, "定时开场按钮1", unit::superBtn, "分组框6", { 16, 440, 74, 20 },
            shown },
        { mainWindow, 0x16010e31, "取消定时开场按钮", unit::superBtn, "分组框6",
            { 16, 440, 74, 20 }, hidden },
        { mainWindow, 0x16010cce, "曲风编辑按钮", unit::superBtn, "分组框6", { 97, 440, 74, 20 },
            shown },
        { mainWindow, 0x16010cbc, "新建列表按钮", unit::superBtn, "分组框6", { 177, 440, 74, 20 },
            shown },
        { mainWindow, 0x16011177, "另存列表按钮", unit::superBtn, "分组框6", { 256, 440, 74, 20 },
            shown },
        { mainWindow, 0x160112ed, "标签定时开场", unit::label, "分组框6", { 18, 465, 310, 24 },
            hidden },
        { mainWindow, 0x1601127a, "分组框1", unit::groupBox, "分组框4", { 24, 446, 168, 77 },
            shown },
        { mainWindow, 0x1601128b, "超级链接框1", unit::hyperLinker, "分组框1", { 8, 15, 152, 56 },
            shown },
        { mainWindow, 0x160112c7, "标签32", unit::label, "分组框4", { 488, 525, 80, 16 }, shown },
        { mainWindow, 0x1601129a, "标签25", unit::label, "", { 8, 565, 168, 26 }, shown },
        { mainWindow, 0x1601129b, "标签24", unit::label, "", { 16, 566, 72, 24 }, shown },
        { mainWindow, 0x160112a2, "标签当前风格", unit::label, "", { 88, 566, 72, 24 }, shown },
        { mainWindow, 0x160112a3, "标签26", unit::label, "", { 175, 565, 169, 26 }, shown },
        { mainWindow, 0x160112a4, "标签27", unit::label, "", { 183, 566, 72, 24 }, shown },
        { mainWindow, 0x160112a5, "标签限时时间", unit::label, "", { 256, 566, 77, 24 }, shown },
        { mainWindow, 0x160112a6, "标签28", unit::label, "", { 340, 565, 161, 26 }, shown },
        { mainWindow, 0x160112a7, "标签29", unit::label, "", { 348, 566, 72, 24 }, shown },
        { mainWindow, 0x160112a8, "标签当前音量", unit::label, "", { 413, 566, 72, 24 }, shown },
        { mainWindow, 0x160112a9, "标签30", unit::label, "", { 500, 565, 428, 26 }, shown },
        { mainWindow, 0x160112aa, "标签31", unit::label, "", { 507, 566, 72, 24 }, shown },
        // Shortened to make room for the time left beside it.
        { mainWindow, 0x160112c4, "多功能条1", unit::superBar, "", { 579, 566, 235, 24 },
            disabled },
        { mainWindow, 0x160112c6, "标签舞曲进度", unit::transLabel, "", { 880, 570, 42, 16 },
            shown },
        { mainWindow, 0x16010237, "位置钮", unit::picBtn, "", { 312, 8, 30, 8 }, hidden },
        { mainWindow, 0x16010238, "位置钮底图", unit::picBtn, "", { 312, 4, 130, 12 }, hidden },
        { mainWindow, 0x16010397, "时钟1", unit::timer, "", {}, shown },
        { mainWindow, 0x16010b58, "时钟2", unit::timer, "", {}, shown },
        { mainWindow, 0x16010c7b, "时钟3", unit::timer, "", {}, shown },
        { mainWindow, 0x16010c8f, "时钟4", unit::timer, "", {}, shown },
        { mainWindow, 0x16010dab, "时钟5", unit::timer, "", {}, shown },
        { mainWindow, 0x16010015, "通用对话框2", unit::commonDlg, "", {}, shown },
        { mainWindow, 0x160100b3, "系统音量1", unit::sysVolume, "", {}, shown },
        { mainWindow, 0x160100b6, "媒体播放1", unit::mediaPlay, "", {}, shown },
        { mainWindow, 0x160104f8, "端口1", unit::serialPort, "", {}, shown },
        { mainWindow, 0x160100cc, "超级菜单1", unit::supperMenu, "", {}, shown },
        { saveShowDialog, 0x16010404, "标签1", unit::label, "", { 64, 48, 256, 48 }, shown },
        { saveShowDialog, 0x16011138, "编辑框1", unit::editBox, "", { 64, 112, 256, 32 }, shown },
        { saveShowDialog, 0x16010405, "按钮1", unit::button, "", { 64, 160, 112, 32 }, shown },
        { saveShowDialog, 0x16011188, "按钮2", unit::button, "", { 192, 160, 112, 32 }, shown },
        { styleSettingsWindow, 0x16010b55, "标签3", unit::label, "", { 16, 8, 80, 24 }, shown },
        { styleSettingsWindow, 0x160109b9, "列表框1", unit::listBox, "", { 16, 37, 112, 379 },
            shown },
        { styleSettingsWindow, 0x16010b53, "标签2", unit::label, "分组框2", { 47, 232, 56, 24 },
            shown },
        { styleSettingsWindow, 0x16010b54, "组合框1", unit::comboBox, "分组框2",
            { 111, 231, 80, 20 }, shown },
        { styleSettingsWindow, 0x16010b56, "标签4", unit::label, "分组框2", { 199, 232, 64, 24 },
            shown },
        { styleSettingsWindow, 0x16010c9e, "标签1", unit::label, "分组框2", { 271, 232, 56, 24 },
            shown },
        { styleSettingsWindow, 0x16010c9f, "组合框2", unit::comboBox, "分组框2",
            { 335, 231, 80, 20 }, shown },
        { styleSettingsWindow, 0x16010ca2, "标签5", unit::label, "分组框2", { 423, 232, 64, 24 },
            shown },
        { styleSettingsWindow, 0x16010a8c, "按钮保存", unit::superBtn, "分组框2",
            { 224, 272, 74, 20 }, shown },
        { styleSettingsWindow, 0x16010d1f, "标签6", unit::label, "分组框2", { 48, 312, 456, 72 },
            shown },
        { styleEditorWindow, 0x16011253, "图片框1", unit::picBox, "", { 56, 52, 208, 292 }, shown },
        { styleEditorWindow, 0x1601124a, "标签1", unit::label, "", { 56, 350, 224, 32 }, shown },
        { styleEditorWindow, 0x16010c9d, "标签3", unit::label, "", { 312, 10, 80, 32 }, shown },
        { styleEditorWindow, 0x160111dd, "超级列表框1", unit::listView, "", { 312, 45, 136, 331 },
            shown },
        { stylePickDialog, 0x160111e9, "标签1", unit::label, "", { 40, 48, 80, 32 }, shown },
        { stylePickDialog, 0x160111ea, "组合框1", unit::comboBox, "", { 142, 52, 152, 20 }, shown },
        { stylePickDialog, 0x160111e8, "按钮添加", unit::button, "", { 128, 96, 96, 24 }, shown },
        { openingTimeDialog, 0x160112d1, "标签22", unit::label, "", { 18, 76, 99, 24 }, shown },
        { openingTimeDialog, 0x160112cd, "组合框1", unit::comboBox, "", { 128, 75, 46, 22 },
            shown },
        { openingTimeDialog, 0x160112ce, "标签20", unit::label, "", { 180, 73, 16, 24 }, shown },
        { openingTimeDialog, 0x160112cf, "组合框2", unit::comboBox, "", { 198, 74, 43, 22 },
            shown },
        { openingTimeDialog, 0x160112d0, "标签21", unit::label, "", { 252, 72, 100, 24 }, shown },
        { openingTimeDialog, 0x160112dd, "按钮1", unit::button, "", { 72, 136, 88, 24 }, shown },
        { openingTimeDialog, 0x160112de, "按钮2", unit::button, "", { 192, 136, 88, 24 }, shown },
        { closingNotice, 0x160108f6, "透明标签1", unit::transLabel, "", { 16, 40, 344, 80 },
            shown },
        // The show's running time, the current track's time left and the timer that shows it.
        { mainWindow, 0x16011310, "标签总时长", unit::label, "分组框6", { 26, 51, 302, 20 },
            shown },
        { mainWindow, 0x16011311, "标签剩余时间", unit::transLabel, "", { 818, 570, 60, 16 },
            shown },
        { mainWindow, 0x16011312, "时钟6", unit::timer, "", {}, shown },
        // Its id is not part of the documentation; the sources fix it.
        { styleSettingsWindow, 0x16010b52, "分组框2", unit::groupBox, "", { 144, 16, 536, 400 },
            shown },
    };
}

std::vector<ExpectedBinding> bindings()
{
    constexpr std::int32_t menu = -1;
    return {
        { mainWindow, 0, 0, "startUp" },
        { mainWindow, 0, 1, "shutDown" },
        { mainWindow, 0, 9, "trayIconEvent" },
        { mainWindow, 0x16010bf8, 0, "trackProgress" },
        { mainWindow, 0x16010bfd, 0, "play" },
        { mainWindow, 0x16010bfe, 0, "pause" },
        { mainWindow, 0x16010bfb, 0, "stop" },
        { mainWindow, 0x16010bfa, 0, "previousTrack" },
        { mainWindow, 0x16010bf9, 0, "nextTrack" },
        { mainWindow, 0x16010c71, 0, "openStyleSettings" },
        { mainWindow, 0x16010c72, 0, "openLightTest" },
        { mainWindow, 0x16011214, 5, "showListMenu" },
        { mainWindow, 0x16011214, -3, "loadShow" },
        { mainWindow, 0x16010ca8, 1, "changeTrack" },
        { mainWindow, 0x16010ca8, 6, "chooseTrackFile" },
        { mainWindow, 0x16010e28, 0, "openOpeningTimeDialog" },
        { mainWindow, 0x16010e31, 0, "cancelOpening" },
        { mainWindow, 0x16010cce, 0, "openStyleEditor" },
        { mainWindow, 0x16010cbc, 0, "newShow" },
        { mainWindow, 0x16011177, 0, "openSaveShowDialog" },
        { mainWindow, 0x1601128b, -1, "openManualLink" },
        { mainWindow, 0x16010397, 0, "refreshStyleStatus" },
        { mainWindow, 0x16010b58, 0, "timeLimitFadeOut" },
        { mainWindow, 0x16010c7b, 0, "showClock" },
        { mainWindow, 0x16010c8f, 0, "fadeInTick" },
        { mainWindow, 0x16010dab, 0, "openingCheck" },
        { mainWindow, 0x26010420, menu, "deleteShow" },
        { mainWindow, 0x26010499, menu, "showMainWindow" },
        { mainWindow, 0x2601049a, menu, "hideMainWindow" },
        { mainWindow, 0, -9, "mainWindowKey" },
        { mainWindow, 0x16010ca8, -9, "slotTreeKey" },
        { mainWindow, 0x16010ca8, 8, "dropSlot" },
        { mainWindow, 0x16011214, -9, "showListKey" },
        { mainWindow, 0x26011313, menu, "renameShow" },
        { mainWindow, 0x26011314, menu, "duplicateShow" },
        { mainWindow, 0x16011312, 0, "showTimeLeft" },
        { saveShowDialog, 0, 0, "focusShowName" },
        { saveShowDialog, 0x16010405, 0, "saveShowAs" },
        { saveShowDialog, 0x16011188, 0, "closeSaveShowDialog" },
        { closingNotice, 0, 0, "showClosingNotice" },
        { styleSettingsWindow, 0, 0, "fillStyleChoices" },
        { styleSettingsWindow, 0x160109b9, 0, "loadStyleSettings" },
        { styleSettingsWindow, 0x16010a8c, 0, "saveStyleSettings" },
        { lightTestWindow, 0x16010b9c, 0, "allLightsOff" },
        { lightTestWindow, 0x16010b9b, 0, "allLightsOn" },
        { lightTestWindow, 0, 0, "placeLightTestWindow" },
        { styleEditorWindow, 0, 0, "prepareStyleEditor" },
        { styleEditorWindow, 0, 2, "storeEditedShow" },
        { styleEditorWindow, 0x160111dd, 5, "showSlotMenu" },
        { styleEditorWindow, 0x2601123c, menu, "addSlot" },
        { styleEditorWindow, 0x26011221, menu, "insertSlot" },
        { styleEditorWindow, 0x260111e1, menu, "modifySlot" },
        { styleEditorWindow, 0x26010c43, menu, "deleteSlot" },
        { styleEditorWindow, 0x160111dd, -9, "slotListKey" },
        { styleEditorWindow, 0x26011315, menu, "addManyTracks" },
        { styleEditorWindow, 0x26011316, menu, "moveSlotUp" },
        { styleEditorWindow, 0x26011317, menu, "moveSlotDown" },
        { stylePickDialog, 0, 0, "fillStyleChooser" },
        { stylePickDialog, 0x160111e8, 0, "confirmStyleChoice" },
        { openingTimeDialog, 0, 0, "fillOpeningTimeChoices" },
        { openingTimeDialog, 0x160112dd, 0, "confirmOpening" },
        { openingTimeDialog, 0x160112de, 0, "closeOpeningTimeDialog" },
    };
}

std::vector<ExpectedMenuItem> menuItems()
{
    return {
        { mainWindow, 0x2601041e, "列表组", 0, true },
        { mainWindow, 0x26010420, "删除", 1, false },
        { mainWindow, 0x26011313, "重命名", 1, false },
        { mainWindow, 0x26011314, "复制", 1, false },
        { mainWindow, 0x26010498, "托盘", 0, true },
        { mainWindow, 0x26010499, "显示", 1, false },
        { mainWindow, 0x2601049a, "隐藏", 1, false },
        { styleEditorWindow, 0x26010c42, "菜单", 0, true },
        { styleEditorWindow, 0x2601123c, "添加", 1, false },
        { styleEditorWindow, 0x26011221, "插入", 1, false },
        { styleEditorWindow, 0x260111e1, "修改", 1, false },
        { styleEditorWindow, 0x26010c43, "删除", 1, false },
        { styleEditorWindow, 0x26011315, "批量添加舞曲", 1, false },
        { styleEditorWindow, 0x26011316, "上移", 1, false },
        { styleEditorWindow, 0x26011317, "下移", 1, false },
    };
}

} // namespace

const Catalogue& catalogue()
{
    static const Catalogue whole = [] {
        Catalogue c { windows(), components(), bindings(), menuItems() };
        addIndicatorLabels(c.components);
        addChannelToggles(c);
        addLightTestButtons(c);
        return c;
    }();
    return whole;
}

} // namespace app::test
