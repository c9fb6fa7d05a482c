// A power cut at any moment of an evening: the program plays, pauses, saves its show, edits
// it and writes a style while the file system drops, at a random call, every write not yet
// synced. Afterwards the evening log reads, every table passes the database check, and the
// next start opens the hall without a complaint.

#include "app/application.h"
#include "app/evening_log.h"
#include "app/globals.h"
#include "app/show_tables.h"
#include "app/style_settings_file.h"
#include "backends/headless/headless_platform.h"
#include "faulty_file_system.h"
#include "headless_program.h"
#include "private_session.h"
#include "recdb/file_check.h"
#include "show_records.h"
#include "ui/input.h"
#include "ui/templates/segment.h"
#include "ui/templates/window_ids.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>

namespace app::test {
namespace {

namespace fs = std::filesystem;
namespace main = ids::MainWindow;
using support::FileCall;

// One run of the program whose every file goes through `files`.
struct ProgramRun : HeadlessProgram {
    ProgramRun(const fs::path& hall, platform::FileSystem& files)
        : HeadlessProgram(platform::headless::HeadlessClock::defaultStartWallMillis, files)
    {
        application.programDirectory = hall.string();
    }
};

class EveningPowerCut : public ::testing::Test {
protected:
    EveningPowerCut()
    {
        fs::create_directories(seed / "lb");
        for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat" })
            fs::copy_file(fs::path(DANCEHALL_DIST) / table, seed / table);
        std::vector<Slot> slots;
        for (const char* name : { "a.mp3", "b.mp3" }) {
            std::ofstream out(seed / name, std::ios::binary);
            for (int copy = 0; copy < 10; ++copy)
                out << std::ifstream(
                    fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                           .rdbuf();
            slots.push_back(
                { std::to_string(slots.size() + 1), "慢四", name, (hall / name).string() });
        }
        platform::headless::HeadlessPlatform scratch;
        platform::Platform view = scratch.platform();
        runtime::Runtime runtime { view };
        recdb::RuntimeErrorReport errors(runtime);
        recdb::Registry databases(errors);
        writeShowTable(databases, seed / "dqqfls.dat", slots);
        fs::copy_file(seed / "dqqfls.dat", seed / "lb" / u8"周六.dat");
    }
    ~EveningPowerCut() override
    {
        fs::remove_all(seed);
        fs::remove_all(hall);
    }

    void freshHall()
    {
        fs::remove_all(hall);
        fs::copy(seed, hall, fs::copy_options::recursive);
        usePrivateSession(hall);
    }

    // The evening, until it ends or the power goes (the program then ends with an error).
    void playEvening(support::FaultyFileSystem& files)
    {
        ProgramRun run(hall, files);
        // Without its files every track is missing: the operator stops rather than skipping
        // on from one missing track to the next for ever.
        for (int answer = 0; answer < 100; ++answer)
            run.headless.dialogs().answerNextMessageBox(platform::Button::Cancel);
        try {
            run.application.windows.readTemplates(templates::segment());
            initGlobals(run.application.globals);
            run.application.windows.loadStartWindow(main::window);
            run.input.click(main::window, main::播放按钮);
            run.headless.advance(7'000);
            run.input.click(main::window, main::下一首按钮);
            run.headless.advance(3'000);
            run.input.click(main::window, main::暂停按钮);
            (void)saveShowFile(run.application, "周六");
            StyleSettingsTexts style;
            style.lights.fill("1");
            style.volume = "70";
            (void)writeStyleSettings(run.application, "慢四", style);
            (void)editThroughScratch(
                run.application, [](recdb::Registry& db) { return renumberRecords(db); });
            run.input.click(main::window, main::播放按钮);
            run.headless.advance(5'000);
        } catch (const platform::ProgramEnded&) {
            // A failure after the cut ended the program: what is on disk is what counts.
        }
    }

    std::vector<std::string> damagedTables()
    {
        std::vector<std::string> damaged;
        for (const fs::path& folder : { hall, hall / "lb" })
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                if (name.ends_with(".dat") && name != "ss.dat" && name[0] != '.'
                    && recdb::checkDatabaseFile(entry.path().string()).code != 0)
                    damaged.push_back(name);
            }
        return damaged;
    }

    const fs::path seed = makeScratchDirectory("power_cut_seed");
    const fs::path hall = makeScratchDirectory("power_cut_hall");
};

TEST_F(EveningPowerCut, EveryCutLeavesTheLogAndTheTablesReadable)
{
    std::int64_t callsInEvening = 0;
    {
        freshHall();
        support::FaultyFileSystem files;
        playEvening(files);
        for (std::size_t kind = 0; kind < support::fileCallKinds; ++kind)
            callsInEvening += files.calls(FileCall(kind));
        ASSERT_TRUE(EveningLog::readLast(files, (hall / eveningLogName).string()));
    }
    ASSERT_GT(callsInEvening, 50);

    std::mt19937 random(1616);
    int logsWithRecords = 0;
    for (int run = 0; run < 100; ++run) {
        freshHall();
        support::FaultyFileSystem files;
        const auto cutAt = std::uniform_int_distribution<std::int64_t>(0, callsInEvening)(random);
        files.cutPowerAfter(cutAt);
        playEvening(files);
        files.restorePower();

        const fs::path log = hall / eveningLogName;
        const bool hasBytes = fs::exists(log) && fs::file_size(log) > 0;
        const std::optional<EveningRecord> last = EveningLog::readLast(files, log.string());
        EXPECT_EQ(hasBytes, last.has_value()) << "cut after " << cutAt << " calls";
        logsWithRecords += last.has_value();
        EXPECT_EQ(damagedTables(), std::vector<std::string> {}) << "cut after " << cutAt;

        // The next start finds nothing to complain about.
        ProgramRun next(hall, files);
        next.application.windows.readTemplates(templates::segment());
        initGlobals(next.application.globals);
        next.application.windows.loadStartWindow(main::window);
        for (const auto& box : next.headless.dialogs().messageBoxes())
            EXPECT_EQ(box.countdownSeconds, 10) << "cut after " << cutAt << ": " << box.text;
    }
    EXPECT_GT(logsWithRecords, 50) << "most cuts come after the first record";
}

} // namespace
} // namespace app::test
