// The operator's keys on the real program's windows: a key a handler takes is acted on once,
// neither again by the control it was pressed on nor by the group boxes around that control.

#include "tests/gui/program_on_qt.h"

#include "ui/input.h"
#include "ui/unit_properties.h"

#include <QTreeWidget>

#include <fstream>
#include <iterator>

namespace gui::test {
namespace {

namespace fs = std::filesystem;
namespace main = ids::MainWindow;
namespace editor = ids::StyleEditorWindow;
using app::Slot;

class ProgramKeys : public ProgramOnQt {
protected:
    ProgramKeys()
        : ProgramOnQt("program_keys")
    {
    }

    // `count` slots named 一, 二, … whose tracks are one file long enough to play on
    // throughout the test.
    std::vector<Slot> showOf(int count)
    {
        std::ifstream in(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary);
        const std::string frames { std::istreambuf_iterator<char>(in), {} };
        const fs::path track = hall.path / "track.mp3";
        std::ofstream out(track, std::ios::binary);
        for (int k = 0; k < 10; ++k)
            out << frames;
        const char* titles[] = { "一", "二", "三", "四", "五", "六" };
        std::vector<Slot> show;
        for (int k = 0; k < count; ++k)
            show.push_back({ std::to_string(k + 1), "慢四", titles[k], track.string() });
        return show;
    }

    std::int32_t editorRow()
    {
        return std::get<std::int32_t>(application.windows.property(
            editor::window, editor::超级列表框1, ui::prop::listView::currentRow));
    }
    std::int32_t playingSlot() const { return application.globals.playing.record; }
};

TEST_F(ProgramKeys, CtrlUpTwiceMovesTheSelectedSlotTwoPlacesAndKeepsItSelected)
{
    start(showOf(6));
    application.windows.loadWindow(editor::window, false);
    QTreeWidget& list = widget<QTreeWidget>(editor::window, editor::超级列表框1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.window()));
    list.setFocus();
    application.windows.setProperty(
        editor::window, editor::超级列表框1, ui::prop::listView::currentRow, 5);

    QTest::keyClick(&list, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(tableTitles(), (std::vector<std::string> { "一", "二", "三", "六", "四", "五" }));
    EXPECT_EQ(editorRow(), 3);
    EXPECT_EQ(list.indexOfTopLevelItem(list.currentItem()), 3);

    QTest::keyClick(&list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(tableTitles(), (std::vector<std::string> { "一", "二", "三", "四", "六", "五" }));
    EXPECT_EQ(editorRow(), 4);
    // Without Ctrl the arrow is the list's own: the selection moves, the slots stay.
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(editorRow(), 3);
    EXPECT_EQ(tableTitles(), (std::vector<std::string> { "一", "二", "三", "四", "六", "五" }));
}

// The tree and the show list leave Ctrl+→ to their parents, two group boxes deep.
TEST_F(ProgramKeys, CtrlRightAndLeftGoOneTrackWhereverTheFocusIs)
{
    start(showOf(6));
    QTreeWidget& tree = widget<QTreeWidget>(main::window, main::树型框1);
    QTreeWidget& shows = widget<QTreeWidget>(main::window, main::超级列表框1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tree.window()));
    ui::Input(application.windows).click(main::window, main::播放按钮);
    ASSERT_EQ(playingSlot(), 1);

    std::int32_t expected = 1;
    for (QTreeWidget* focused : { &tree, &shows, &tree }) {
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(playingSlot(), ++expected) << focused->objectName().toStdString();
    }
    QTest::keyClick(&tree, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(playingSlot(), expected - 1);
}

} // namespace
} // namespace gui::test
