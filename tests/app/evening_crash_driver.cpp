// A scripted evening under kill -9, driven from outside by evening_crash_test.sh. One process
// of this driver is one run of the program on a hall folder, on the headless platform with
// the silent device, its virtual time running as fast as the machine allows:
//
//   evening_crash_driver HALL seed    makes HALL: the installation tables, three tracks of
//                                     about two minutes and the show 周六 holding them
//   evening_crash_driver HALL play    starts the program and plays the evening until killed:
//                                     the next track every 50 s, a pause of 6 s every 35 s
//   evening_crash_driver HALL check   starts the program as the next start after the kill,
//                                     answers yes to carrying on, and checks that the logged
//                                     slot plays again from just before the logged position;
//                                     prints what it carried on or the problems, exits 1 on
//                                     any problem

#include "app/application.h"
#include "app/evening_log.h"
#include "app/evening_resume.h"
#include "app/globals.h"
#include "app/playback.h"
#include "app/show_tables.h"
#include "backends/headless/headless_platform.h"
#include "headless_program.h"
#include "platform/encoding.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace main = ids::MainWindow;
using runtime::Text;

const char* const trackNames[] = { "a.mp3", "b.mp3", "c.mp3" };
constexpr platform::Millis step = 250;
constexpr platform::Millis nextTrackEvery = 50'000;
constexpr platform::Millis pauseEvery = 35'000;
constexpr platform::Millis pauseFor = 6'000;

class Run : public app::test::HeadlessProgram {
public:
    explicit Run(const fs::path& hall)
    {
        application.programDirectory = platform::utf8ToGbk(hall.string());
        fs::current_path(hall);
    }

    void click(ui::ComponentId button) { input.click(main::window, button); }
};

int seed(const fs::path& hall)
{
    fs::create_directories(hall / "lb");
    for (const char* file : { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat" })
        fs::copy_file(fs::path(DANCEHALL_DIST) / file, hall / file);
    for (const char* name : trackNames) {
        std::ofstream out(hall / name, std::ios::binary);
        for (int copy = 0; copy < 40; ++copy)
            out << std::ifstream(fs::path(MEDIA_TEST_DATA) / "cbr_stereo_44k.mp3", std::ios::binary)
                       .rdbuf();
    }
    Run run(hall);
    recdb::Registry& db = run.application.databases;
    if (!db.openDatabase(app::dataFilePath(run.application, "dqqf.dat"), Text("dqqf")))
        return 1;
    const char* styles[] = { "慢四", "探戈", "快四" };
    for (int slot = 0; slot < 3; ++slot) {
        const bool written = db.appendBlankRecord()
            && db.writeField(Text(app::fields::number), {}, Text(std::to_string(slot + 1)))
            && db.writeField(Text(app::fields::style), {}, Text(styles[slot]))
            && db.writeField(Text(app::fields::title), {}, Text(trackNames[slot]))
            && db.writeField(Text(app::fields::path), {},
                platform::utf8ToGbk((hall / trackNames[slot]).string()));
        if (!written)
            return 1;
    }
    db.closeDatabase(Text("dqqf"));
    fs::copy_file(hall / "dqqf.dat", hall / "lb" / u8"周六.dat");
    return 0;
}

[[noreturn]] void play(const fs::path& hall)
{
    Run run(hall);
    run.start();
    run.click(main::播放按钮);
    for (platform::Millis played = step;; played += step) {
        run.headless.advance(step);
        if (played % nextTrackEvery == 0)
            run.click(main::下一首按钮);
        else if (played % pauseEvery == 0)
            run.click(main::暂停按钮);
        else if (played % pauseEvery == pauseFor)
            run.click(main::播放按钮);
    }
}

int check(const fs::path& hall)
{
    std::vector<std::string> problems;
    const std::optional<app::EveningRecord> logged = app::EveningLog::readLast(
        platform::systemFileSystem(), (hall / app::eveningLogName).string());
    Run run(hall);
    run.start();
    const bool asked = !run.headless.dialogs().messageBoxes().empty();
    const bool interrupted = logged
        && (logged->state == app::EveningState::playing
            || logged->state == app::EveningState::paused);
    if (!interrupted) {
        if (asked)
            problems.push_back("asked to carry on after a stop");
    } else if (run.application.trackPlayer.queryPlayState() != media::PlayState::playing) {
        problems.push_back("not playing after carrying on");
    } else {
        const app::PlayingSlot& playing = run.application.globals.playing;
        const platform::Millis at = playing.position.at(run.headless.clock().now());
        // A start lands on the frame that holds it.
        const platform::Millis oneFrame = 30;
        if (playing.record != logged->slotRecord)
            problems.push_back("slot " + std::to_string(playing.record) + " plays, not "
                + std::to_string(logged->slotRecord));
        const platform::Millis target
            = std::max<platform::Millis>(logged->positionMillis - app::resumeLeadMillis, 0);
        const std::string figures = "slot " + std::to_string(playing.record) + " at "
            + std::to_string(at) + " ms, logged at " + std::to_string(logged->positionMillis)
            + " ms";
        if (at > target || at < target - oneFrame)
            problems.push_back("carried on too far from the log: " + figures);
        else
            std::cout << "carried on: " << figures << "\n";
    }
    for (const std::string& problem : problems)
        std::cout << problem << "\n";
    return problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[1] == "seed")
        return seed(args[0]);
    if (args.size() == 2 && args[1] == "play")
        play(args[0]);
    if (args.size() == 2 && args[1] == "check")
        return check(args[0]);
    std::cerr << "usage: evening_crash_driver HALL seed|play|check\n";
    return 2;
}
