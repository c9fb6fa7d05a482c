// TreeBox: items addressed by their display index (depth-first order of all items). A right
// button press on an item selects it before the item's right-button event; a double click
// selects the item under the pointer before the double-click event. The user's expanding and
// collapsing goes to the core, which may cancel it and then has the items shown again. A tree
// whose component handles the dropped event lets the user drag an item onto another; the
// items stay put until the handler has the core say otherwise.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <limits>
#include <optional>

namespace platform::qt {

namespace {

namespace p = ui::prop::treeBox;

// What a drag carries: this process, the tree's window and component, the dragged item's index.
constexpr char dragFormat[] = "application/x-dancehall-tree-item";

// The display index of an item: its position in depth-first order.
std::int32_t displayIndex(QTreeWidget& tree, const QTreeWidgetItem* wanted)
{
    std::int32_t index = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it, ++index)
        if (*it == wanted)
            return index;
    return -1;
}

int depthOf(const QTreeWidgetItem* item)
{
    int depth = 1;
    for (; item->parent(); item = item->parent())
        ++depth;
    return depth;
}

// True when the tree shows exactly these items, expanded or not.
bool showsItems(QTreeWidget& tree, const std::vector<ui::TreeItem>& items)
{
    std::size_t index = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it, ++index)
        if (index == items.size() || depthOf(*it) != items[index].depth
            || toGbk((*it)->text(0)) != items[index].text)
            return false;
    return index == items.size();
}

void rebuild(QTreeWidget& tree, const std::vector<ui::TreeItem>& items)
{
    tree.clear();
    // Built apart from the tree and handed over in one insertion, so the view takes in the
    // items once instead of once per item.
    QList<QTreeWidgetItem*> roots;
    // The last item seen at each depth is the parent of the next item one level deeper.
    std::vector<QTreeWidgetItem*> path;
    for (const auto& item : items) {
        const std::size_t depth = static_cast<std::size_t>(std::max(item.depth, 1));
        path.resize(std::min(path.size(), depth - 1));
        auto* node = new QTreeWidgetItem(QStringList { fromGbk(item.text) });
        if (path.empty())
            roots.append(node);
        else
            path.back()->addChild(node);
        path.push_back(node);
    }
    tree.addTopLevelItems(roots);
}

// True when every item with children is to be shown expanded.
bool allParentsExpanded(const std::vector<ui::TreeItem>& items)
{
    for (std::size_t index = 0; index + 1 < items.size(); ++index)
        if (items[index + 1].depth > items[index].depth && !items[index].expanded)
            return false;
    return true;
}

// An item's text and note, as the model's indexes of its two columns.
struct ItemIndexes {
    QModelIndex text;
    QModelIndex note;
};

void appendInDisplayOrder(
    const QAbstractItemModel& model, const QModelIndex& parent, std::vector<ItemIndexes>& items)
{
    const int rows = model.rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex text = model.index(row, 0, parent);
        items.push_back({ text, model.index(row, 1, parent) });
        appendInDisplayOrder(model, text, items);
    }
}

// Every item's indexes, in display order. Asked by index, the view finds an item at once;
// asked by item, or for an index's sibling, it first looks for the item among its siblings,
// which a long show felt.
std::vector<ItemIndexes> indexesInDisplayOrder(const QAbstractItemModel& model)
{
    std::vector<ItemIndexes> items;
    appendInDisplayOrder(model, QModelIndex(), items);
    return items;
}

// Expansion and the notes beside the texts. Only what differs is touched: each change has
// the view redraw, and expanding an item without children shows nothing. Items just built
// are collapsed and without notes, which spares asking them; when all of them open, they
// open in one go.
void showExpansionAndNotes(QTreeWidget& tree, const std::vector<ui::TreeItem>& items, bool built)
{
    const bool expandedAtOnce = built && allParentsExpanded(items);
    if (expandedAtOnce)
        tree.expandAll();
    const bool noNotes = std::all_of(
        items.begin(), items.end(), [](const ui::TreeItem& item) { return item.note.empty(); });
    if (expandedAtOnce && noNotes)
        return;
    QAbstractItemModel& model = *tree.model();
    const std::vector<ItemIndexes> indexes = indexesInDisplayOrder(model);
    for (std::size_t k = 0; k < indexes.size() && k < items.size(); ++k) {
        const ui::TreeItem& item = items[k];
        const ItemIndexes& shown = indexes[k];
        if (!expandedAtOnce && model.hasChildren(shown.text)
            && (built ? item.expanded : tree.isExpanded(shown.text) != item.expanded))
            tree.setExpanded(shown.text, item.expanded);
        if (built && item.note.empty())
            continue;
        const QString note = fromGbk(item.note);
        if (shown.note.data().toString() != note)
            model.setData(shown.note, note);
    }
}

// The item whose note is the widest of the items shown (not inside a collapsed item), or
// nothing when no shown item has a note. All notes share the tree's font.
std::optional<std::int32_t> widestShownNote(
    const QFontMetrics& metrics, const std::vector<ui::TreeItem>& items)
{
    std::optional<std::int32_t> widest;
    int widestAdvance = -1;
    // Items deeper than this are inside a collapsed item.
    int shownDepth = std::numeric_limits<int>::max();
    for (std::size_t index = 0; index < items.size(); ++index) {
        const ui::TreeItem& item = items[index];
        if (item.depth > shownDepth)
            continue;
        shownDepth = item.expanded ? item.depth + 1 : item.depth;
        if (item.note.empty())
            continue;
        const int advance = metrics.horizontalAdvance(fromGbk(item.note));
        if (advance > widestAdvance) {
            widestAdvance = advance;
            widest = static_cast<std::int32_t>(index);
        }
    }
    return widest;
}

QTreeWidgetItem* itemAt(QTreeWidget& tree, std::int32_t wanted)
{
    std::int32_t index = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it, ++index)
        if (index == wanted)
            return *it;
    return nullptr;
}

// The notes' column reads from the right, as lengths do.
class NotesOnTheRight final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 1)
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

class TreeWidget final : public QTreeWidget {
public:
    TreeWidget(const ControlContext& context, QWidget* parent)
        : QTreeWidget(parent)
        , context_(context)
    {
    }

    // How the user changed the selection: 0 keyboard, 1 mouse.
    std::int32_t how = 1;

    // The width the item's note asks for, as the view's own measuring would give it.
    int noteWidth(QTreeWidgetItem* item) const
    {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        return itemDelegate()->sizeHint(option, indexFromItem(item, 1)).width();
    }

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override
    {
        QMimeData* data = QTreeWidget::mimeData(items);
        if (data && items.size() == 1)
            data->setData(dragFormat,
                QByteArray::number(QCoreApplication::applicationPid()) + ' '
                    + QByteArray::number(context_.window) + ' '
                    + QByteArray::number(context_.component) + ' '
                    + QByteArray::number(displayIndex(const_cast<TreeWidget&>(*this), items[0])));
        return data;
    }
    void dragEnterEvent(QDragEnterEvent* event) override { takeOwnDrag(*event); }
    void dragMoveEvent(QDragMoveEvent* event) override { takeOwnDrag(*event); }
    void dropEvent(QDropEvent* event) override
    {
        const std::optional<std::int32_t> dragged = ownDraggedItem(*event);
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        if (!dragged || !target) {
            event->ignore();
            return;
        }
        // Copy, not move: Qt removes the dragged item itself after a move.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        // The handler rebuilds the items: not while the view is still inside its drop.
        const ControlContext context = context_;
        const std::int32_t onto = displayIndex(*this, target);
        QMetaObject::invokeMethod(
            this,
            [context, from = *dragged, onto] {
                context.input().dropTreeItem(context.window, context.component, from, onto);
            },
            Qt::QueuedConnection);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        how = 1;
        QTreeWidgetItem* item = itemAt(event->position().toPoint());
        if (event->button() == Qt::RightButton && item) {
            const ControlContext context = context_;
            const std::int32_t index = displayIndex(*this, item);
            context.input().rightClickTreeItem(context.window, context.component, index);
            return;
        }
        QTreeWidget::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseDoubleClickEvent(event);
        const QPoint at = event->position().toPoint();
        const ControlContext context = context_;
        context.input().doubleClick(context.window, context.component, { at.x(), at.y() });
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        how = 0;
        QTreeWidget::keyPressEvent(event);
    }

private:
    // The index of the item dragged out of this very tree, or nothing for any other drag.
    std::optional<std::int32_t> ownDraggedItem(const QDropEvent& event) const
    {
        const QList<QByteArray> parts = event.mimeData()->data(dragFormat).split(' ');
        if (parts.size() != 4 || parts[0].toLongLong() != QCoreApplication::applicationPid()
            || parts[1].toUInt() != context_.window || parts[2].toUInt() != context_.component)
            return std::nullopt;
        return parts[3].toInt();
    }
    void takeOwnDrag(QDragMoveEvent& event)
    {
        if (!ownDraggedItem(event) || !itemAt(event.position().toPoint())) {
            event.ignore();
            return;
        }
        event.setDropAction(Qt::CopyAction);
        event.accept();
    }

    const ControlContext context_;
};

class TreeBoxControl final : public Control {
public:
    TreeBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new TreeWidget(context, parent))
    {
        auto* tree = static_cast<TreeWidget*>(widget());
        // The text, and right of it an item's note, as wide as the widest note.
        tree->setColumnCount(2);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        // Sized here rather than by the header, which asks every row on each layout.
        tree->header()->setSectionResizeMode(1, QHeaderView::Fixed);
        tree->setUniformRowHeights(true);
        tree->setItemDelegate(new NotesOnTheRight(tree));
        tree->setHeaderHidden(true);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setExpandsOnDoubleClick(false);
        QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
            [context, tree](QTreeWidgetItem* current) {
                context.input().select(context.window, context.component,
                    current ? displayIndex(*tree, current) : -1, tree->how);
            });
        QObject::connect(
            tree, &QTreeWidget::itemExpanded, tree, [context, tree](QTreeWidgetItem* item) {
                context.input().expandTreeItem(
                    context.window, context.component, displayIndex(*tree, item), true);
            });
        QObject::connect(
            tree, &QTreeWidget::itemCollapsed, tree, [context, tree](QTreeWidgetItem* item) {
                context.input().expandTreeItem(
                    context.window, context.component, displayIndex(*tree, item), false);
            });
    }

    QWidget* inputSurface() const override
    {
        return static_cast<QTreeWidget*>(widget())->viewport();
    }
    unsigned ownEvents() const override { return ownEvent::doubleClick; }

    void ensureVisible(std::int32_t index)
    {
        auto* tree = static_cast<QTreeWidget*>(widget());
        if (QTreeWidgetItem* item = itemAt(*tree, index))
            tree->scrollToItem(item);
    }

protected:
    int selectionProperty() const override { return p::selection; }

    void applyLook(const ui::ComponentState& s) override
    {
        auto* tree = static_cast<QTreeWidget*>(widget());
        tree->setFrameShape(
            s.value<std::int32_t>(p::borderStyle) == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
        QPalette palette = tree->palette();
        palette.setColor(QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        tree->setPalette(palette);
        tree->setFont(toQFont(s.value<ui::Font>(p::font)));
        const bool movable = std::any_of(s.events.begin(), s.events.end(),
            [](const ui::EventBinding& b) { return b.event == ui::treeEvent::dropped; });
        tree->setDragDropMode(
            movable ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
        tree->setDefaultDropAction(Qt::CopyAction);
        fitNotesColumn(s);
    }

    void applyItems(const ui::ComponentState& s) override
    {
        auto* tree = static_cast<QTreeWidget*>(widget());
        QSignalBlocker quiet(tree);
        // The texts are read again only after the core's items changed; items that are
        // already shown stay, and with them the scroll position.
        bool built = false;
        if (s.itemsRevision != drawnRevision_) {
            built = !showsItems(*tree, s.tree);
            if (built)
                rebuild(*tree, s.tree);
            drawnRevision_ = s.itemsRevision;
        }
        showExpansionAndNotes(*tree, s.tree, built);
        fitNotesColumn(s);
    }

    void applySelection(const ui::ComponentState& s) override
    {
        auto* tree = static_cast<QTreeWidget*>(widget());
        QSignalBlocker quiet(tree);
        QTreeWidgetItem* item = itemAt(*tree, s.selection);
        tree->setCurrentItem(item);
        if (!item)
            tree->clearSelection();
    }

private:
    // The notes' column as wide as the widest note shown, and no narrower than the header
    // would make it.
    void fitNotesColumn(const ui::ComponentState& s)
    {
        auto* tree = static_cast<TreeWidget*>(widget());
        int width = tree->header()->sectionSizeHint(1);
        if (auto widest = widestShownNote(tree->fontMetrics(), s.tree))
            if (QTreeWidgetItem* item = itemAt(*tree, *widest))
                width = std::max(width, tree->noteWidth(item));
        if (tree->header()->sectionSize(1) != width)
            tree->header()->resizeSection(1, width);
    }

    // The core's item revision whose texts the tree shows; none drawn yet.
    std::optional<std::uint32_t> drawnRevision_;
};

} // namespace

std::unique_ptr<Control> makeTreeBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<TreeBoxControl>(context, parent);
}

void ensureTreeItemVisible(Control& tree, std::int32_t index)
{
    static_cast<TreeBoxControl&>(tree).ensureVisible(index);
}

} // namespace platform::qt
