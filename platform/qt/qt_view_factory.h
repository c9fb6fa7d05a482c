#pragma once
// Builds the Qt window of a loaded window, with a control for every visual component.

#include "ui/view.h"

namespace platform::qt {

class QtViewFactory final : public ui::ViewFactory {
public:
    std::unique_ptr<ui::WindowView> createView(
        ui::WindowSystem& core, ui::WindowId window) override;
    ui::Point screenSize() const override;
};

} // namespace platform::qt
