#pragma once
// A control: the widget that shows one component of a loaded window. It renders the core's
// state when told that a property changed and reports the user's actions through ui::Input.
// It keeps no state of its own that the core does not have.
//
// Any Input call may close the window and destroy the control. Signal handlers therefore
// capture the context by value, never the control, and make the Input call their last step.

#include "backends/qt/picture_cache.h"

#include "ui/component_state.h"
#include "ui/input.h"

#include <QWidget>

#include <memory>

namespace platform::qt {

struct ControlContext {
    ui::WindowSystem* core;
    ui::WindowId window;
    ui::ComponentId component;
    PictureCache* pictures; // the window's

    ui::Input input() const { return ui::Input(*core); }
};

// Common events a control reports through its own Input call instead of the shared filter.
namespace ownEvent {
constexpr unsigned leftButton = 1, doubleClick = 2, rightButton = 4;
// Used by the shared filter for a widget that reports only its keys (see CommonEvents).
constexpr unsigned keysOnly = 8;
}

class Control {
public:
    Control(const ControlContext& context, QWidget* widget);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ui::ComponentId id() const { return context_.component; }
    QWidget* widget() const { return widget_; }
    // The widget whose mouse and keyboard events are the component's common events.
    virtual QWidget* inputSurface() const { return widget_; }
    virtual unsigned ownEvents() const { return 0; }

    // Renders everything, once after creation.
    void render(const ui::ComponentState& state);
    // Renders what property `number` shows; -1: the items.
    void refresh(const ui::ComponentState& state, int number);

protected:
    // Unit properties (8 and up): fonts, colours, captions, pictures.
    virtual void applyLook(const ui::ComponentState& state) = 0;
    virtual void applyItems(const ui::ComponentState&) { }
    virtual void applySelection(const ui::ComponentState&) { }
    // The unit property that holds the selection, if the unit has one.
    virtual int selectionProperty() const { return -2; }
    // Where the widget goes for the template geometry (a combo box is one line high).
    virtual QRect placement(const ui::Geometry& g) const;

    const ControlContext context_;

private:
    QWidget* widget_;
};

// The control for a visual component, or none for a non-visual unit.
std::unique_ptr<Control> makeControl(
    const ControlContext& context, const ui::ComponentState& state, QWidget* parent);

} // namespace platform::qt
