// A start after the program ended abnormally mid-evening: the evening log's last record, the
// question with its countdown, and the show carried on (or not) in virtual time. A "crash"
// is a run dropped without its shutdown, as kill -9 leaves the hall folder.

#include "app/application.h"
#include "app/evening_log.h"
#include "app/evening_resume.h"
#include "app/globals.h"
#include "app/playback.h"
#include "app/scheduled_opening.h"
#include "app/start_routine.h"
#include "app/style_settings_file.h"
#include "backends/headless/headless_platform.h"
#include "headless_program.h"
#include "private_session.h"
#include "runtime/date_time.h"
#include "show_records.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"
#include "ui/unit_properties.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>

namespace app::test {
namespace {

namespace fs = std::filesystem;
namespace main = ids::MainWindow;
using media::PlayState;

constexpr char questionText[] = "检测到上次异常退出，是否从中断处继续播放？";
constexpr char showChangedText[] = "上次播放的场次已被修改，不能从中断处继续播放。";
constexpr char trackMissingText[] = "上次播放的舞曲已不存在，不能从中断处继续播放。";
// 2024-01-01 00:00 UTC; local time is read as UTC.
constexpr std::int64_t midnight = 1'704'067'200'000;
constexpr std::int64_t minute = 60'000;

// One run of the program on the hall folder, from its start to its end or its crash.
struct ProgramRun : HeadlessProgram {
    ProgramRun(const fs::path& hall, std::int64_t wallMillis, bool offerResume)
        : HeadlessProgram(wallMillis)
    {
        application.programDirectory = hall.string();
        application.offerResume = offerResume;
    }

    platform::Millis position() { return application.globals.playing.position.at(now()); }
    platform::Millis now() { return headless.clock().now(); }
    PlayState state() const { return application.trackPlayer.queryPlayState(); }
    void click(ui::ComponentId button) { input.click(main::window, button); }
    std::vector<platform::headless::ShownMessageBox> boxes()
    {
        return headless.dialogs().messageBoxes();
    }
};

class EveningResume : public ::testing::Test {
protected:
    EveningResume()
    {
        setenv("TZ", "UTC0", 1);
        tzset();
        fs::create_directories(hall / "lb");
        for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" })
            fs::copy_file(fs::path(DANCEHALL_DIST) / table, hall / table);
        usePrivateSession(hall);
        // About 120 s each.
        for (const char* name : { "a.mp3", "b.mp3", "c.mp3" })
            writeTrack(name);
        saveShow({ "a.mp3", "b.mp3", "c.mp3" });
    }
    ~EveningResume() override
    {
        run.reset();
        fs::remove_all(hall);
    }

    void writeTrack(const char* name)
    {
        std::ofstream out(hall / name, std::ios::binary);
        for (int copy = 0; copy < 40; ++copy)
            out << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                       .rdbuf();
    }
    // The show 周六 saved with these tracks, its styles 慢四, 探戈, 快四.
    void saveShow(const std::vector<const char*>& tracks)
    {
        const char* styles[] = { "慢四", "探戈", "快四" };
        std::vector<Slot> slots;
        for (const char* track : tracks)
            slots.push_back({ std::to_string(slots.size() + 1), styles[slots.size() % 3],
                Text(track), (hall / track).string() });
        recdb::RuntimeErrorReport errors(scratchRuntime);
        recdb::Registry databases(errors);
        writeShowTable(databases, hall / "dqqfls.dat", slots);
        fs::copy_file(
            hall / "dqqfls.dat", hall / "lb" / u8"周六.dat", fs::copy_options::overwrite_existing);
    }

    // Starts a new run `wallMillis` after midnight; the run before it, if any, crashes.
    ProgramRun& startRun(std::int64_t wallMillis, bool offerResume = true)
    {
        run.reset();
        run = std::make_unique<ProgramRun>(hall, midnight + wallMillis, offerResume);
        run->start();
        return *run;
    }
    std::optional<EveningRecord> logged()
    {
        if (run) // its log is written on a thread of its own
            run->headless.clock().settle();
        return EveningLog::readLast(platform::systemFileSystem(), (hall / eveningLogName).string());
    }
    std::size_t questionsAsked()
    {
        std::size_t count = 0;
        for (const auto& box : run->boxes())
            count += box.text == questionText;
        return count;
    }
    bool told(const char* text)
    {
        for (const auto& box : run->boxes())
            if (box.text == text)
                return true;
        return false;
    }
    // The second track played for `playedMillis`, then the program killed.
    EveningRecord crashWhilePlayingSecondTrack(platform::Millis playedMillis)
    {
        ProgramRun& first = startRun(20 * 60 * minute);
        first.click(main::播放按钮);
        first.click(main::下一首按钮);
        first.headless.advance(playedMillis);
        EXPECT_EQ(first.state(), PlayState::playing);
        const std::optional<EveningRecord> record = logged();
        EXPECT_TRUE(record);
        return record.value_or(EveningRecord {});
    }
    void expectCarriedOnAt(const EveningRecord& record)
    {
        EXPECT_EQ(questionsAsked(), 1U);
        EXPECT_EQ(run->boxes().front().countdownSeconds, resumeQuestionSeconds);
        ASSERT_EQ(run->state(), PlayState::playing);
        EXPECT_EQ(currentTrackNumber(run->application), 2);
        EXPECT_EQ(run->application.globals.playing.style, "探戈");
        const platform::Millis target = record.positionMillis - resumeLeadMillis;
        EXPECT_LE(run->position(), target);
        EXPECT_GE(run->position(), target - 30) << "more than a frame early";
    }

    const fs::path hall = makeScratchDirectory("evening_resume");
    platform::headless::HeadlessPlatform scratchPlatform;
    platform::Platform scratchPlatformView = scratchPlatform.platform();
    runtime::Runtime scratchRuntime { scratchPlatformView };
    std::unique_ptr<ProgramRun> run;
};

TEST_F(EveningResume, ACrashWhilePlayingCarriesOnFromJustBeforeTheLoggedPosition)
{
    const EveningRecord record = crashWhilePlayingSecondTrack(31'000);
    EXPECT_EQ(record.state, EveningState::playing);
    EXPECT_EQ(record.showName, "周六");
    EXPECT_EQ(record.slotRecord, 2);
    EXPECT_EQ(record.style, "探戈");
    // Logged at the track start and every 2 s since.
    EXPECT_GE(record.positionMillis, 29'000);
    EXPECT_LE(record.positionMillis, 31'000);

    startRun(20 * 60 * minute + 40'000);
    expectCarriedOnAt(record);
    EXPECT_EQ(logged()->state, EveningState::playing) << "the carried-on track is logged";
    EXPECT_EQ(logged()->slotRecord, 2);
}

// The style's one-minute limit fades a two-minute track 35 s in; carried on, the track keeps
// what was left of it, plus the seconds played again.
TEST_F(EveningResume, TheTimeLimitKeepsWhatWasLeftOfIt)
{
    {
        ProgramRun first(hall, midnight, true);
        ASSERT_TRUE(writeStyleValue(first.application, "探戈", styleKeys::timeLimit, "1"));
    }
    const EveningRecord record = crashWhilePlayingSecondTrack(20'500);
    EXPECT_NEAR(record.timeLimitLeftMillis, 35'000 - record.positionMillis, 600);

    startRun(21 * 60 * minute);
    expectCarriedOnAt(record);
    run->headless.advance(2'500);
    const std::optional<platform::Millis> left
        = run->application.globals.styleStatus.timeLimit.leftAt(run->now());
    ASSERT_TRUE(left);
    EXPECT_NEAR(*left, record.timeLimitLeftMillis + resumeLeadMillis - 2'500, 600);
}

TEST_F(EveningResume, ACrashWhilePausedCarriesOnFromThePausePosition)
{
    ProgramRun& first = startRun(20 * 60 * minute);
    first.click(main::播放按钮);
    first.click(main::下一首按钮);
    first.headless.advance(20'500);
    first.click(main::暂停按钮);
    first.headless.advance(5 * minute);
    const std::optional<EveningRecord> record = logged();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->state, EveningState::paused);
    EXPECT_NEAR(record->positionMillis, 20'500, 100) << "a pause is logged at once";

    startRun(20 * 60 * minute + 6 * minute);
    expectCarriedOnAt(*record);
}

TEST_F(EveningResume, NoQuestionAfterTheOperatorStoppedOrTheProgramEndedNormally)
{
    ProgramRun& stopped = startRun(20 * 60 * minute);
    stopped.click(main::播放按钮);
    stopped.headless.advance(10'000);
    stopped.click(main::停止按钮);
    EXPECT_EQ(logged()->state, EveningState::stopped);
    startRun(21 * 60 * minute);
    EXPECT_EQ(questionsAsked(), 0U);
    EXPECT_EQ(run->state(), PlayState::stopped);

    // A run that closes its main window while a track plays.
    run.reset();
    run = std::make_unique<ProgramRun>(hall, midnight + 22 * 60 * minute, true);
    run->headless.loop().post([this] {
        run->click(main::播放按钮);
        run->input.requestClose(main::window);
    });
    EXPECT_EQ(runStartRoutine(run->application), 0);
    EXPECT_EQ(logged()->state, EveningState::endedNormally);
    startRun(23 * 60 * minute);
    EXPECT_EQ(questionsAsked(), 0U);
    EXPECT_EQ(run->state(), PlayState::stopped);
}

TEST_F(EveningResume, AShowChangedOnDiskOrATrackGoneIsToldAndTheStartGoesOnAsUsual)
{
    crashWhilePlayingSecondTrack(10'000);
    saveShow({ "a.mp3", "c.mp3", "b.mp3" });
    startRun(21 * 60 * minute);
    EXPECT_TRUE(told(showChangedText));
    EXPECT_EQ(questionsAsked(), 0U) << "nothing to carry on is offered";
    EXPECT_EQ(run->state(), PlayState::stopped);
    EXPECT_EQ(logged()->state, EveningState::stopped) << "and the next start asks nothing";

    saveShow({ "a.mp3", "b.mp3", "c.mp3" });
    crashWhilePlayingSecondTrack(10'000);
    fs::remove(hall / "b.mp3");
    startRun(21 * 60 * minute);
    EXPECT_TRUE(told(trackMissingText));
    EXPECT_EQ(run->state(), PlayState::stopped);
    EXPECT_EQ(logged()->state, EveningState::stopped);
}

TEST_F(EveningResume, ATornLastRecordFallsBackToTheOneBefore)
{
    const EveningRecord record = crashWhilePlayingSecondTrack(15'000);
    run.reset();
    // The next status tick's record was half written when the power went.
    std::ofstream(hall / eveningLogName, std::ios::binary | std::ios::app)
        << std::string("\x40\x00\x00\x00\x12\x34", 6);
    startRun(21 * 60 * minute);
    expectCarriedOnAt(record);
}

TEST_F(EveningResume, AnsweringNoOrNoResumeStartsAsUsual)
{
    crashWhilePlayingSecondTrack(10'000);
    run.reset();
    run = std::make_unique<ProgramRun>(hall, midnight + 21 * 60 * minute, true);
    run->headless.dialogs().answerNextMessageBox(platform::Button::No);
    run->start();
    EXPECT_EQ(questionsAsked(), 1U);
    EXPECT_EQ(run->state(), PlayState::stopped);
    EXPECT_EQ(logged()->state, EveningState::stopped);

    crashWhilePlayingSecondTrack(10'000);
    startRun(21 * 60 * minute, false);
    EXPECT_EQ(questionsAsked(), 0U);
    EXPECT_EQ(run->state(), PlayState::stopped);
}

TEST_F(EveningResume, APendingOpeningComesBackUnlessItsTimeHasPassed)
{
    for (const bool passed : { false, true }) {
        ProgramRun& first = startRun(20 * 60 * minute);
        first.click(main::播放按钮);
        OpeningSchedule& opening = first.application.globals.opening;
        opening.time = runtime::makeDateTime({ 2024, 1, 1, 20, 30, 0 })->days;
        opening.hourText = "20";
        opening.minuteText = "30";
        showScheduledOpening(first.application);
        first.headless.advance(5'000);
        ASSERT_TRUE(logged()->openingPending);

        startRun(passed ? 20 * 60 * minute + 31 * minute : 20 * 60 * minute + 10 * minute);
        ASSERT_EQ(run->state(), PlayState::playing);
        EXPECT_EQ(openingScheduled(run->application), !passed) << passed;
        if (!passed) {
            EXPECT_EQ(std::get<Text>(run->application.windows.property(
                          main::window, main::标签定时开场, ui::prop::label::caption)),
                "本场次将于20时30分开始！");
            EXPECT_TRUE(run->application.globals.opening.pending);
        }
    }
}

} // namespace
} // namespace app::test
