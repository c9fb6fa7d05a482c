// The real program's main window on Qt: a slot dragged to another place in the slot tree moves
// there in the show table, and the tree the operator sees, the core's items and dqqf.dat agree.

#include "tests/gui/program_on_qt.h"

#include "backends/qt/qt_text.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>

#include <fstream>
#include <iterator>

namespace gui::test {
namespace {

namespace fs = std::filesystem;
namespace main = ids::MainWindow;
using app::Slot;

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

class SlotDrag : public ProgramOnQt {
protected:
    SlotDrag()
        : ProgramOnQt("slot_drag")
    {
        start({ { "1", "慢四", "月光", "/m/月光.mp3" }, { "2", "探戈", "", "" },
            { "3", "快四", "晚风", "/m/晚风.mp3" } });
    }

    QTreeWidget& tree() { return widget<QTreeWidget>(main::window, main::树型框1); }

    // Drags the heading of one slot onto the heading of another, as Qt delivers a drag
    // inside one tree: enter, move, drop, with the data the tree itself gives its items.
    bool drag(int fromSlot, int ontoSlot)
    {
        QTreeWidget& widget = tree();
        QTreeWidgetItem* target = widget.topLevelItem(ontoSlot);
        widget.scrollToItem(target);
        std::unique_ptr<QMimeData> data(
            widget.model()->mimeData({ widget.model()->index(fromSlot, 0) }));
        const QPoint at = widget.visualItemRect(target).center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget.viewport(), &enter);
        QDragMoveEvent move(at, actions, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget.viewport(), &move);
        QDropEvent drop(QPointF(at), actions, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget.viewport(), &drop);
        return enter.isAccepted() && move.isAccepted() && drop.isAccepted();
    }
};

TEST_F(SlotDrag, TheTreeAndTheShowTableAgreeAfterASlotIsDraggedToAnotherPlace)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tree().window()));
    ASSERT_EQ(tree().topLevelItemCount(), 3);

    ASSERT_TRUE(drag(0, 2));
    ASSERT_TRUE(settle([this] { return tableTitles().front() == "选择更换舞曲"; }));

    EXPECT_EQ(tableTitles(), (std::vector<std::string> { "选择更换舞曲", "晚风", "月光" }));
    const std::vector<Slot> shown = app::readCurrentShow(application);
    const std::vector<ui::TreeItem> items
        = application.windows.component(main::window, main::树型框1)->tree;
    ASSERT_EQ(items.size(), 6u);
    ASSERT_EQ(tree().topLevelItemCount(), 3);
    for (int k = 0; k < 3; ++k) {
        const Slot& slot = shown[std::size_t(k)];
        EXPECT_EQ(slot.number, std::to_string(k + 1));
        EXPECT_EQ(items[2 * std::size_t(k)].text, slot.number + "  " + slot.style);
        EXPECT_EQ(items[2 * std::size_t(k) + 1].text, tableTitles()[std::size_t(k)]);
        QTreeWidgetItem* heading = tree().topLevelItem(k);
        EXPECT_EQ(heading->text(0), platform::qt::fromGbk(items[2 * std::size_t(k)].text));
        ASSERT_EQ(heading->childCount(), 1);
        EXPECT_EQ(
            heading->child(0)->text(0), platform::qt::fromGbk(items[2 * std::size_t(k) + 1].text));
    }
    EXPECT_EQ(contents(hall.path / "lb" / u8"周六.dat"), contents(hall.path / "dqqf.dat"));

    // A drag from elsewhere is refused and changes nothing.
    QMimeData foreign;
    foreign.setText("1");
    const QPoint at = tree().visualItemRect(tree().topLevelItem(0)).center();
    QDragEnterEvent enter(at, Qt::CopyAction, &foreign, Qt::LeftButton, {});
    QCoreApplication::sendEvent(tree().viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

} // namespace
} // namespace gui::test
