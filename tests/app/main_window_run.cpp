#include "tests/app/main_window_run.h"
#include "private_session.h"
#include "show_records.h"

#include "app/globals.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace app::test {
namespace {

fs::path scratchDirectory()
{
    return makeScratchDirectory("main_window");
}

} // namespace

MainWindowRun::MainWindowRun(platform::FileSystem& files)
    : HeadlessProgram(platform::headless::HeadlessClock::defaultStartWallMillis, files)
    , directory(scratchDirectory())
{
    fs::create_directories(directory / "lb");
    for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" })
        fs::copy_file(fs::path(DANCEHALL_DIST) / table, directory / table);
    application.programDirectory = directory.string();
    usePrivateSession(directory);
    setenv("TZ", "UTC0", 1);
    tzset();
}

MainWindowRun::~MainWindowRun()
{
    // The evening log's writer may still be writing into the folder.
    headless.clock().settle();
    fs::remove_all(directory);
}

void MainWindowRun::start()
{
    runtime.setCleanup([this] {
        windowsLoadedAtRelease = application.windows.isLoaded(ids::MainWindow::window);
        releaseGlobals(application.globals);
        globalsReleased = true;
    });
    HeadlessProgram::start();
}

void MainWindowRun::writeCurrentShow(const std::vector<Slot>& slots)
{
    writeShowTable(application.databases, directory / "dqqf.dat", slots);
}

void MainWindowRun::saveShow(const fs::path& fileName, const std::vector<Slot>& slots)
{
    writeCurrentShow(slots);
    fs::copy_file(directory / "dqqf.dat", directory / "lb" / fileName);
    fs::copy_file(fs::path(DANCEHALL_DIST) / "dqqf.dat", directory / "dqqf.dat",
        fs::copy_options::overwrite_existing);
}

ui::Value MainWindowRun::mainProperty(ui::ComponentId component, int number)
{
    return application.windows.property(ids::MainWindow::window, component, number);
}

std::vector<Text> MainWindowRun::showRows()
{
    return application.windows.component(ids::MainWindow::window, ids::MainWindow::超级列表框1)
        ->rows;
}

std::vector<std::string> MainWindowRun::messageTexts()
{
    std::vector<std::string> texts;
    for (const auto& box : headless.dialogs().messageBoxes())
        texts.push_back(box.text);
    return texts;
}

std::string MainWindowRun::contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

} // namespace app::test
