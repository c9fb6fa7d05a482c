#pragma once
// The application on the headless platform in a scratch program directory holding copies of
// the installation tables, with a simulated master volume, its own lock and autostart
// folders, and the local time zone at UTC so clock texts are fixed. Its files go through the
// file system given, so a test may hand it one that fails.

#include "app/application.h"
#include "app/show_tables.h"
#include "headless_program.h"
#include "ui/input.h"
#include "ui/templates/window_ids.h"

#include "backends/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace app::test {

namespace fs = std::filesystem;

class MainWindowRun : public ::testing::Test, protected HeadlessProgram {
protected:
    explicit MainWindowRun(platform::FileSystem& files = platform::systemFileSystem());
    ~MainWindowRun() override;

    // What the start routine does up to its message loop: templates, globals and their
    // clean-up, the main window with its start-up.
    void start();
    // Makes dqqf.dat hold the slots and copies it to lb/<fileName>; then restores dqqf.dat.
    void saveShow(const fs::path& fileName, const std::vector<Slot>& slots);
    void writeCurrentShow(const std::vector<Slot>& slots);

    ui::Value mainProperty(ui::ComponentId component, int number);
    std::vector<Text> showRows();
    std::vector<std::string> messageTexts();
    static std::string contents(const fs::path& file);

    const fs::path directory;
    bool globalsReleased = false;
    bool windowsLoadedAtRelease = true;
};

} // namespace app::test
