#pragma once
// The program's windows as their template sources describe them, parsed when the tests run
// from the very files the build compiles into the program (the build passes their list). The
// tests hold the compiled program to its sources, so neither can drift from a copy.

#include "tools/tmplc/window_source.h"

#include <vector>

namespace app::test {

// The ten windows the program opens, by the ids its documentation and tools name them by.
namespace window {
constexpr ui::WindowId mainWindow = 0x52010001, saveShowDialog = 0x52010402,
                       closingNotice = 0x520108f5, styleSettingsWindow = 0x520109b8,
                       lightTestWindow = 0x52010b7a, styleEditorWindow = 0x52010c25,
                       stylePickDialog = 0x520111e7, openingTimeDialog = 0x520112cc,
                       lightOutputWindow = 0x52012000, remoteSettingsWindow = 0x52013000;
}

// In the order of the build's list; a fault in a source throws its file and line.
const std::vector<tmplc::WindowSource>& windowSources();

} // namespace app::test
