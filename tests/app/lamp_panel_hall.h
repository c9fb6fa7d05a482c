#pragma once
// A scratch hall with the main window loaded and its sixteen lamp indicators painted a colour
// no light step writes, so a test tells an untouched indicator from one switched off. The
// indicators are written out here rather than taken from the light program, so a wrong table
// there fails the tests.

#include "app/style_settings_file.h"
#include "scratch_application.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"
#include "ui/value.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace app::test {

constexpr std::int32_t lit = 255;
constexpr std::int32_t dark = 0;
constexpr std::int32_t untouched = ui::rgb(1, 2, 3);

constexpr std::array<ui::ComponentId, channelCount> indicators { ids::MainWindow::标签4,
    ids::MainWindow::标签5, ids::MainWindow::标签6, ids::MainWindow::标签7, ids::MainWindow::标签8,
    ids::MainWindow::标签9, ids::MainWindow::标签10, ids::MainWindow::标签11,
    ids::MainWindow::标签12, ids::MainWindow::标签13, ids::MainWindow::标签14,
    ids::MainWindow::标签15, ids::MainWindow::标签16, ids::MainWindow::标签17,
    ids::MainWindow::标签18, ids::MainWindow::标签19 };

struct LampPanelHall : ScratchApplication {
    explicit LampPanelHall(const std::string& name, ui::Point screen = { 1024, 768 })
        : ScratchApplication(name, screen)
    {
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(ids::MainWindow::window, false);
        for (ui::ComponentId indicator : indicators)
            application.windows.setProperty(
                ids::MainWindow::window, indicator, ui::prop::label::backColour, untouched);
    }

    std::int32_t colour(int channel)
    {
        return std::get<std::int32_t>(application.windows.property(
            ids::MainWindow::window, indicators.at(channel - 1), ui::prop::label::backColour));
    }
    std::vector<std::int32_t> colours()
    {
        std::vector<std::int32_t> all;
        for (int channel = 1; channel <= channelCount; ++channel)
            all.push_back(colour(channel));
        return all;
    }
};

} // namespace app::test
