// ListView: a report view with the template's column headers and widths, rows of one text,
// single selection. The current row is -1 when none is selected. A double click is the
// common event −3, anywhere in the view.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace platform::qt {

namespace {

namespace p = ui::prop::listView;

// Reports right clicks itself, at the release like the desktop's list view: the press has
// selected the row by then.
class RowView final : public QTreeWidget {
public:
    RowView(const ControlContext& context, QWidget* parent)
        : QTreeWidget(parent)
        , context_(context)
    {
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        if (event->button() != Qt::RightButton)
            return;
        const QPoint at = event->position().toPoint();
        const ControlContext context = context_;
        context.input().rightClick(context.window, context.component, { at.x(), at.y() });
    }

private:
    const ControlContext context_;
};

class ListViewControl final : public Control {
public:
    ListViewControl(const ControlContext& context, QWidget* parent)
        : Control(context, new RowView(context, parent))
    {
        auto* view = static_cast<QTreeWidget*>(widget());
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(view, &QTreeWidget::currentItemChanged, view,
            [context, view](QTreeWidgetItem* current) {
                context.input().select(context.window, context.component,
                    current ? view->indexOfTopLevelItem(current) : -1);
            });
    }

    QWidget* inputSurface() const override
    {
        return static_cast<QTreeWidget*>(widget())->viewport();
    }
    unsigned ownEvents() const override { return ownEvent::rightButton; }

protected:
    int selectionProperty() const override { return p::currentRow; }

    void applyLook(const ui::ComponentState& s) override
    {
        auto* view = static_cast<QTreeWidget*>(widget());
        view->setFrameShape(
            s.value<std::int32_t>(p::borderStyle) == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
        QPalette palette = view->palette();
        palette.setColor(QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        view->setPalette(palette);
        view->setFont(toQFont(s.value<ui::Font>(p::font)));
    }

    void applyItems(const ui::ComponentState& s) override
    {
        auto* view = static_cast<QTreeWidget*>(widget());
        QSignalBlocker quiet(view);
        view->clear();
        QStringList headers;
        for (const auto& column : s.columns)
            headers << fromGbk(column.header);
        view->setColumnCount(std::max<int>(1, int(headers.size())));
        view->setHeaderLabels(headers);
        view->setHeaderHidden(headers.isEmpty());
        for (int i = 0; i < int(s.columns.size()); ++i)
            view->header()->resizeSection(i, s.columns[i].width);
        for (const auto& row : s.rows)
            view->addTopLevelItem(new QTreeWidgetItem(QStringList { fromGbk(row) }));
    }

    void applySelection(const ui::ComponentState& s) override
    {
        auto* view = static_cast<QTreeWidget*>(widget());
        QSignalBlocker quiet(view);
        QTreeWidgetItem* item = view->topLevelItem(s.selection);
        view->setCurrentItem(item);
        if (!item)
            view->clearSelection();
    }
};

} // namespace

std::unique_ptr<Control> makeListView(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<ListViewControl>(context, parent);
}

} // namespace platform::qt
