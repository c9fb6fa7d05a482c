// The show tables and their views on the headless platform, on copies of the installation
// tables in a scratch program directory.

#include "app/application.h"
#include "app/show_tables.h"
#include "app/show_views.h"
#include "app/slot_text.h"
#include "backends/headless/recording_views.h"
#include "private_session.h"
#include "show_records.h"
#include "table_file_writer.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include "backends/headless/headless_platform.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace app::test {
namespace {

namespace fs = std::filesystem;
using ui::TreeItem;

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

class ShowTables : public ::testing::Test {
protected:
    ShowTables()
    {
        fs::create_directories(directory / "lb");
        for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" })
            fs::copy_file(fs::path(DANCEHALL_DIST) / table, directory / table);
        application.programDirectory = directory.string();
        usePrivateSession(directory);
        application.windows.readTemplates(templates::segment());
        application.windows.loadWindow(ids::MainWindow::window, false);
    }
    ~ShowTables() override
    {
        headless.clock().settle(); // the evening log's writer may still be writing there
        fs::remove_all(directory);
    }

    void writeShow(const std::vector<Slot>& slots)
    {
        writeShowTable(application.databases, directory / "dqqf.dat", slots);
    }

    std::vector<TreeItem> tree() const
    {
        return application.windows.component(ids::MainWindow::window, ids::MainWindow::树型框1)
            ->tree;
    }

    const fs::path directory = makeScratchDirectory("show_tables");
    platform::headless::HeadlessPlatform headless;
    platform::Platform platform = headless.platform();
    runtime::Runtime runtime { platform };
    ui::headless::RecordingViews views;
    Application application { runtime, views };
};

TEST_F(ShowTables, TreeAndQueueShowFilledAndEmptySlotsInRecordOrder)
{
    writeShow({ { "1", "慢四", "月光", "/m/月光.mp3" }, { "2", "快四", "", "" },
        { "3", "探戈", "晚风", "/m/晚风.mp3" } });

    refreshShowView(application);

    EXPECT_EQ(tree(),
        (std::vector<TreeItem> { { "1  慢四", 1, true, {} }, { "月光", 2, true, {} },
            { "2  快四", 1, true, {} }, { "选择更换舞曲", 2, true, {} }, { "3  探戈", 1, true, {} },
            { "晚风", 2, true, {} } }));
    EXPECT_EQ(application.globals.playQueue, (std::vector<Text> { "/m/月光.mp3", "/m/晚风.mp3" }));
    // The second queued track is record 3: its title is tree item 5, not 3.
    EXPECT_EQ(trackItemOfQueuePosition(application, 2), 5);
    EXPECT_EQ(trackItemOfQueuePosition(application, 3), -1);
    EXPECT_EQ(queuePositionOfRecord(application, 3), 2);
    EXPECT_EQ(queuePositionOfRecord(application, 2), 0);
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowTables, AnEmptyOrMissingTableEmptiesTheViewsWithoutEndingTheProgram)
{
    writeShow({ { "1", "慢四", "月光", "/m/月光.mp3" } });
    refreshShowView(application);
    ASSERT_EQ(tree().size(), 2u);

    fs::copy_file(fs::path(DANCEHALL_DIST) / "dqqf.dat", directory / "dqqf.dat",
        fs::copy_options::overwrite_existing);
    refreshShowView(application);
    EXPECT_TRUE(tree().empty());
    EXPECT_TRUE(application.globals.playQueue.empty());

    writeShow({ { "1", "慢四", "月光", "/m/月光.mp3" } });
    refreshShowView(application);
    fs::remove(directory / "dqqf.dat");
    refreshShowView(application);
    EXPECT_TRUE(tree().empty());
    EXPECT_TRUE(application.globals.playQueue.empty());
    EXPECT_TRUE(application.globals.playQueueRecords.empty());
    EXPECT_FALSE(headless.process().exitCode());
    EXPECT_EQ(application.databases.openCount(), 0u);
}

// The refresh reads the table whole at once; what it shows must be what reading record after
// record, field by field gives: a slot marked deleted (a crash before its pack) still shows,
// and a title whose chain is damaged reads empty.
TEST_F(ShowTables, TheRefreshShowsWhatReadingRecordByRecordGives)
{
    using test::Cell;
    test::TableFile table;
    table.columns
        = { { "序号", test::StoredType::Text, 16 }, { "曲风", test::StoredType::Text, 64 },
              { "曲目", test::StoredType::Memo }, { "文件路径", test::StoredType::Text, 1024 } };
    for (const char* n : { "1", "2", "3" })
        table.rows.push_back({ Cell(std::string(n)), Cell(std::string("慢四")),
            Cell(std::string("曲") + n), Cell(std::string("/m/") + n + ".mp3") });
    table.write(directory / "dqqf.dat", "dqqf.EDT");
    // Record 2's title block claims more than a block holds.
    test::patchFile(directory / "dqqf.EDT", 2 * 512 + 8, test::littleEndian32(501));
    recdb::Registry& db = application.databases;
    ASSERT_TRUE(db.openDatabase((directory / "dqqf.dat").string(), Text("dqqf")));
    db.goTo(3);
    ASSERT_TRUE(db.markDeleted());
    std::vector<Text> expected;
    db.goFirst();
    for (int k = 1; k <= db.recordCount(); ++k, db.skip()) {
        expected.push_back(slotHeading(
            *db.readField(Text("序号")).as<Text>(), *db.readField(Text("曲风")).as<Text>()));
        const Text title = *db.readField(Text("曲目")).as<Text>();
        expected.push_back(title.empty() ? Text("选择更换舞曲") : title);
    }
    db.closeDatabase(Text("dqqf"));

    refreshShowView(application);

    std::vector<Text> shown;
    for (const TreeItem& item : tree())
        shown.push_back(item.text);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown,
        (std::vector<Text> { "1  慢四", "曲1", "2  慢四", "选择更换舞曲", "3  慢四", "曲3" }));
    EXPECT_EQ(application.globals.playQueue.size(), 3u);
}

TEST_F(ShowTables, ATableWhoseSlotFieldIsNoTextEndsTheProgramWithATypeMismatch)
{
    using test::Cell;
    test::TableFile table;
    table.columns = { { "序号", test::StoredType::Integer }, { "曲风", test::StoredType::Text, 64 },
        { "曲目", test::StoredType::Text, 256 }, { "文件路径", test::StoredType::Text, 1024 } };
    table.rows.push_back({ Cell(std::int64_t { 1 }), Cell(std::string("慢四")), Cell(std::string()),
        Cell(std::string()) });
    table.write(directory / "dqqf.dat");

    EXPECT_THROW(refreshShowView(application), platform::ProgramEnded);
    ASSERT_FALSE(headless.dialogs().messageBoxes().empty());
    EXPECT_NE(headless.dialogs().messageBoxes().back().text.find("数据或数组类型不匹配"),
        std::string::npos);
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowTables, StyleListHasOneUnselectedRowPerSlot)
{
    using namespace ids::StyleEditorWindow;
    writeShow({ { "1", "序曲", "", "" }, { "2", "华尔兹", "舞", "/m/舞.mp3" } });
    application.windows.loadWindow(window, false);

    refreshStyleList(application);
    refreshStyleList(application);

    auto list = application.windows.component(window, 超级列表框1);
    EXPECT_EQ(list->rows, (std::vector<Text> { "1  序曲", "2  华尔兹" }));
    EXPECT_EQ(list->selection, -1);
    EXPECT_EQ(application.databases.openCount(), 0u);
}

TEST_F(ShowTables, StyleOfTheSelectedTrackComesFromItsHeadingWhole)
{
    using namespace ids::MainWindow;
    writeShow({ { "1", "慢  四", "月光", "/m/月光.mp3" } });
    refreshShowView(application);

    application.windows.setProperty(window, 树型框1, ui::prop::treeBox::selection, 1);
    EXPECT_EQ(styleOfSelectedTrack(application), "慢  四");
    application.windows.setProperty(window, 树型框1, ui::prop::treeBox::selection, 0);
    EXPECT_EQ(styleOfSelectedTrack(application), "");
}

TEST_F(ShowTables, RenumberingAfterADeletionNumbersTheRecordsInFileOrder)
{
    writeShow({ { "1", "a", "", "" }, { "2", "b", "", "" }, { "3", "c", "", "" },
        { "4", "d", "", "" }, { "5", "e", "", "" } });
    recdb::Registry& db = application.databases;
    ASSERT_TRUE(db.openDatabase((directory / "dqqf.dat").string(), Text("dqqf")));
    db.goTo(3);
    EXPECT_TRUE(db.markDeleted());
    EXPECT_TRUE(db.pack());
    EXPECT_TRUE(renumberRecords(db));
    db.closeDatabase(Text("dqqf"));

    std::vector<Text> headings;
    for (const Slot& slot : readCurrentShow(application))
        headings.push_back(slotHeading(slot.number, slot.style));
    EXPECT_EQ(headings, (std::vector<Text> { "1  a", "2  b", "3  d", "4  e" }));
}

TEST_F(ShowTables, ShowFilesDropAsciiAndGbkSpacesAndAreWholeCopies)
{
    EXPECT_EQ(showFileName(application,
                  "My Show\xA1\xA1"
                  "1"),
        directory.string() + "/lb/MyShow1.dat");

    writeShow({ { "1", "慢四", "月光", "/m/月光.mp3" } });
    const std::string saved = contents(directory / "dqqf.dat");
    ASSERT_TRUE(saveShowFile(application, "My Show 1"));
    EXPECT_EQ(contents(directory / "lb/MyShow1.dat"), saved);

    fs::copy_file(fs::path(DANCEHALL_DIST) / "dqqf.dat", directory / "dqqf.dat",
        fs::copy_options::overwrite_existing);
    EXPECT_FALSE(loadShowFile(application, "nothing here"));
    EXPECT_NE(contents(directory / "dqqf.dat"), saved);
    EXPECT_TRUE(loadShowFile(application, "MyShow1"));
    EXPECT_EQ(contents(directory / "dqqf.dat"), saved);

    EXPECT_TRUE(deleteShowFile(application, "MyShow1"));
    EXPECT_FALSE(fs::exists(directory / "lb/MyShow1.dat"));

    // Every caller is kept inside lb/: no hidden ".dat", no "../ss.dat".
    const std::string styles = contents(directory / "ss.dat");
    for (const char* refused : { "", " \xA1\xA1", "../ss", "..", "a/b" })
        EXPECT_FALSE(saveShowFile(application, refused)) << refused;
    EXPECT_TRUE(fs::is_empty(directory / "lb"));
    EXPECT_EQ(contents(directory / "ss.dat"), styles);
}

TEST(SlotText, TrackTitleIsTheFileNameWithoutFourBytes)
{
    EXPECT_EQ(trackTitleFromPath("D:\\music\\slow waltz.mp3"), "slow waltz");
    EXPECT_EQ(trackTitleFromPath("/home/hall/music/月光.mp3"), "月光");
    EXPECT_EQ(trackTitleFromPath("track.mpeg"), "track.");
    EXPECT_EQ(trackTitleFromPath("/m/.mp"), "");
    // 0x5C as the second byte of a double-byte character is not a separator.
    EXPECT_EQ(trackTitleFromPath("/m/\x95\x5C"
                                 "ab.mp3"),
        "\x95\x5C"
        "ab");
}

TEST(SlotText, HeadingSplitsAtItsFirstSeparator)
{
    EXPECT_EQ(slotHeading("12", "中四"), "12  中四");
    EXPECT_EQ(styleFromHeading("12  中四"), "中四");
    EXPECT_EQ(styleFromHeading("12 中四"), "");
}

} // namespace
} // namespace app::test
