#pragma once
// Builds the Qt window of a loaded window, with a control for every visual component. The
// program's first window owns the others: they stay above it on the desktop.

#include "ui/view.h"

#include <QPointer>
#include <QWindow>

namespace platform::qt {

class QtViewFactory final : public ui::ViewFactory {
public:
    std::unique_ptr<ui::WindowView> createView(
        ui::WindowSystem& core, ui::WindowId window) override;
    ui::Point screenSize() const override;

private:
    QPointer<QWindow> owner_;
};

} // namespace platform::qt
