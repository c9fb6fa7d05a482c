#include "backends/qt/controls/control.h"

#include "backends/qt/qt_text.h"

#include <cstring>

namespace platform::qt {

namespace {

constexpr std::uint32_t handCursorId = 32649;

Qt::CursorShape cursorShape(const ui::Bytes& cursor)
{
    std::uint32_t id = 0;
    if (cursor.size() == sizeof id)
        std::memcpy(&id, cursor.data(), sizeof id);
    return id == handCursorId ? Qt::PointingHandCursor : Qt::ArrowCursor;
}

} // namespace

Control::Control(const ControlContext& context, QWidget* widget)
    : context_(context)
    , widget_(widget)
{
}

Control::~Control()
{
    // The widget may be in the middle of delivering the very event that closed its window;
    // it goes at the next turn of the loop, with no signal reaching a handler any more.
    QObject::disconnect(widget_, nullptr, nullptr, nullptr);
    widget_->hide();
    widget_->deleteLater();
}

QRect Control::placement(const ui::Geometry& g) const
{
    return QRect(g.left, g.top, g.width, g.height);
}

void Control::render(const ui::ComponentState& state)
{
    for (int number : { ui::prop::left, ui::prop::tag, ui::prop::visible, ui::prop::disabled,
             ui::prop::cursor, ui::prop::firstUnit, -1 })
        refresh(state, number);
}

void Control::refresh(const ui::ComponentState& state, int number)
{
    switch (number) {
    case ui::prop::left:
    case ui::prop::top:
    case ui::prop::width:
    case ui::prop::height:
        widget_->setGeometry(placement(state.geometry));
        return;
    case ui::prop::tag:
        // The tag is the component's one free text: the templates put its hint there.
        widget_->setToolTip(fromGbk(state.tag));
        return;
    case ui::prop::visible:
        widget_->setVisible(state.visible);
        return;
    case ui::prop::disabled:
        widget_->setEnabled(!state.disabled);
        return;
    case ui::prop::cursor:
        widget_->setCursor(cursorShape(state.cursor));
        return;
    case -1:
        applyItems(state);
        applySelection(state);
        return;
    default:
        if (number == selectionProperty())
            applySelection(state);
        else
            applyLook(state);
    }
}

} // namespace platform::qt
