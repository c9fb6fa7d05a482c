// ListBox: a list of entries with one selected.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace platform::qt {

namespace {

namespace p = ui::prop::listBox;

// Reports its own double clicks: −3 and the list box's event 1, after the press selected.
class EntryList final : public QListWidget {
public:
    EntryList(const ControlContext& context, QWidget* parent)
        : QListWidget(parent)
        , context_(context)
    {
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QListWidget::mouseDoubleClickEvent(event);
        const QPoint at = event->position().toPoint();
        const ControlContext context = context_;
        context.input().doubleClick(context.window, context.component, { at.x(), at.y() });
    }

private:
    const ControlContext context_;
};

class ListBoxControl final : public Control {
public:
    ListBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new EntryList(context, parent))
    {
        auto* list = static_cast<QListWidget*>(widget());
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        // The program's own selections are made with signals blocked, so this is the user.
        QObject::connect(list, &QListWidget::currentRowChanged, list,
            [context](int row) { context.input().select(context.window, context.component, row); });
    }

    QWidget* inputSurface() const override
    {
        return static_cast<QListWidget*>(widget())->viewport();
    }
    unsigned ownEvents() const override { return ownEvent::doubleClick; }

protected:
    int selectionProperty() const override { return p::selection; }

    void applyLook(const ui::ComponentState& s) override
    {
        auto* list = static_cast<QListWidget*>(widget());
        list->setFrameShape(
            s.value<std::int32_t>(p::borderStyle) == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        list->setPalette(palette);
        list->setFont(toQFont(s.value<ui::Font>(p::font)));
    }

    void applyItems(const ui::ComponentState& s) override
    {
        auto* list = static_cast<QListWidget*>(widget());
        QSignalBlocker quiet(list);
        list->clear();
        for (const auto& entry : s.entries)
            list->addItem(fromGbk(entry));
    }

    void applySelection(const ui::ComponentState& s) override
    {
        auto* list = static_cast<QListWidget*>(widget());
        QSignalBlocker quiet(list);
        list->setCurrentRow(s.selection);
        if (s.selection < 0)
            list->clearSelection();
    }
};

} // namespace

std::unique_ptr<Control> makeListBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<ListBoxControl>(context, parent);
}

} // namespace platform::qt
