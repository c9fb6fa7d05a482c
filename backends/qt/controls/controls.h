#pragma once
// One maker per kind of control; makeControl picks by unit.

#include "backends/qt/controls/control.h"

namespace platform::qt {

std::unique_ptr<Control> makeLabel(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeTransLabel(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeGroupBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeButton(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeSuperButton(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeEditBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeComboBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeListBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeListView(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeTreeBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeHyperLinker(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeMonthCalendar(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makePictureBox(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makePictureButton(const ControlContext& context, QWidget* parent);
std::unique_ptr<Control> makeSuperBar(const ControlContext& context, QWidget* parent);

// Scrolls a tree box so that the item at the display index can be seen.
void ensureTreeItemVisible(Control& tree, std::int32_t index);

} // namespace platform::qt
