// `dancehall --import` under kill -9, driven from outside by import_crash_test.sh. One process
// of this driver is one import, or the start of the program after one:
//
//   import_crash_driver DIR/seed seed         makes DIR/seed, a hall in use (its own tables,
//                                             style settings, even loudness on, 60 shows), and
//                                             beside it DIR/source, an installation's folder of
//                                             300 shows (40 of them named as the hall's), and
//                                             DIR/imported, the hall after a whole import
//   import_crash_driver HALL import SOURCE [N]
//                                             imports SOURCE into HALL, as --import does, and
//                                             prints how many renames that took; with N, kills
//                                             itself with SIGKILL at its Nth rename
//   import_crash_driver HALL check DIR        starts the program on HALL as the next start after
//                                             the kill and checks that it finds the hall all old
//                                             (as DIR/seed) or all new (as DIR/imported) and says
//                                             which when an import was cut short; prints the
//                                             outcome, or the problems and exits 1
//
// Each show holds slots of its own, so a show of the other side, or a mixture, is seen. Texts
// here are GBK, as the program's are.

#include "app/hall_import.h"
#include "app/import_commit.h"
#include "backends/headless/headless_platform.h"
#include "faulty_file_system.h"
#include "headless_program.h"
#include "platform/encoding.h"
#include "table_file_writer.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int sourceShows = 300;
constexpr int hallShows = 60;
constexpr int sharedShows = 40; // the first ones of each side bear the same names

// Files the start writes into any hall, old or new (the remote's first PIN among them): left
// out of the comparison.
bool writtenByTheStart(const std::string& name)
{
    return name == ".dancehall.lock" || name == "evening.log" || name == "remote.ini"
        || name.starts_with("loudness.db");
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void writeShow(const fs::path& path, const std::string& side, int number)
{
    std::vector<std::vector<std::string>> slots;
    for (int k = 1; k <= 3; ++k)
        slots.push_back({ std::to_string(k), "慢四", side + std::to_string(number),
            "/m/" + side + std::to_string(number) + "-" + std::to_string(k) + ".mp3" });
    app::test::slotTable(slots).write(path);
}

std::string showName(int number)
{
    return platform::gbkToUtf8("场次") + std::to_string(number);
}

int seed(const fs::path& hall)
{
    const fs::path source = hall.parent_path() / "source";
    fs::create_directories(hall / "lb");
    fs::create_directories(source / "LB");
    for (const char* table : { "dqqfls.dat", "qfsz.dat" })
        fs::copy_file(fs::path(DANCEHALL_DIST) / table, hall / table);
    writeShow(hall / "dqqf.dat", "old", 0);
    writeText(hall / "ss.dat", "[慢四]\r\n音量=60\r\n");
    writeText(hall / "loudness.ini", "[loudness]\nenabled=1\ntarget=-16\n");
    // The hall's current show is its own table: the start loads no saved show over it.
    writeText(hall / "lastshow.ini", "[场次]\n当前场次=新建场次\n");
    for (int k = 0; k < hallShows; ++k)
        writeShow(hall / "lb" / (showName(k) + ".dat"), "old", k + 1);

    // An installation's names are upper-case.
    fs::copy_file(fs::path(DANCEHALL_DIST) / "dqqfls.dat", source / "DQQFLS.DAT");
    fs::copy_file(fs::path(DANCEHALL_DIST) / "qfsz.dat", source / "QFSZ.DAT");
    writeShow(source / "DQQF.DAT", "new", 0);
    writeText(source / "SS.DAT", "[慢四]\r\n音量=80\r\n");
    for (int k = 0; k < sourceShows; ++k)
        writeShow(
            source / "LB" / (showName(k < sharedShows ? k : hallShows + k) + ".DAT"), "new", k + 1);

    const fs::path imported = hall.parent_path() / "imported";
    fs::copy(hall, imported, fs::copy_options::recursive);
    const app::ImportResult result = app::importHall(source.string(), imported.string());
    if (result.imported)
        return 0;
    for (const std::string& line : result.report)
        std::cerr << line << "\n";
    return 1;
}

int runImport(const fs::path& hall, const fs::path& source, int killAtRename)
{
    support::FaultyFileSystem files;
    if (killAtRename > 0)
        files.killAtNth({ support::FileCall::rename }, killAtRename);
    const app::ImportResult result = app::importHall(source.string(), hall.string(), files);
    std::cout << "renames: " << files.calls(support::FileCall::rename) << "\n";
    return result.imported ? 0 : 1;
}

// Every file of the hall with its bytes, and every folder.
std::map<std::string, std::string> contents(const fs::path& hall)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(hall)) {
        const std::string name = fs::relative(entry.path(), hall).string();
        if (writtenByTheStart(name))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[name] = entry.is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {})
                                              : std::string("<folder>");
    }
    return files;
}

// What a killed import left in the hall folder before the start: "" when nothing.
std::string interruptedImport(const fs::path& hall)
{
    for (const auto& entry : fs::directory_iterator(hall))
        if (app::isImportScratchName(entry.path().filename().string()))
            return entry.path().filename().string();
    return {};
}

int check(const fs::path& hall, const fs::path& dir)
{
    const std::string scratch = interruptedImport(hall);
    std::vector<std::string> said;
    {
        app::test::HeadlessProgram run;
        run.application.programDirectory = platform::utf8ToGbk(hall.string());
        fs::current_path(hall);
        run.start();
        for (const auto& box : run.headless.dialogs().messageBoxes())
            said.push_back(box.text);
    }
    const auto now = contents(hall);
    const bool old = now == contents(dir / "seed");
    const bool imported = now == contents(dir / "imported");
    std::vector<std::string> problems;
    if (!old && !imported) {
        std::size_t newShows = 0;
        for (const auto& [name, bytes] : now)
            newShows += name.starts_with("lb/") && bytes.find("new") != std::string::npos;
        problems.push_back("the hall is neither all old nor all new (" + std::to_string(newShows)
            + " new shows in lb/)");
    }
    const auto toldOf = [&](const char* words) {
        return said.size() == 1 && said[0].find(words) != std::string::npos;
    };
    if (scratch.empty() && !said.empty())
        problems.push_back("start-up said: " + platform::gbkToUtf8(said[0]));
    if (!scratch.empty() && old && !toldOf("已撤销"))
        problems.push_back("the import was undone without saying so clearly");
    if (!scratch.empty() && imported && !toldOf("现已完成"))
        problems.push_back("the import was finished without saying so clearly");
    for (const std::string& problem : problems)
        std::cout << problem << "\n";
    if (!problems.empty())
        return 1;
    std::cout << (old ? "old" : "new")
              << (scratch.empty() ? ""
                         : old    ? " undone"
                                  : " finished")
              << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[1] == "seed")
        return seed(args[0]);
    if ((args.size() == 3 || args.size() == 4) && args[1] == "import")
        return runImport(args[0], args[2], args.size() == 4 ? std::stoi(args[3]) : 0);
    if (args.size() == 3 && args[1] == "check")
        return check(args[0], args[2]);
    std::cerr << "usage: import_crash_driver HALL seed | HALL import SOURCE [N] | HALL check DIR\n";
    return 2;
}
