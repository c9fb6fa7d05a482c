// The command line: what each request runs, and lines that must be refused rather than
// half understood (a start on the wrong hall folder, an import of nothing).

#include "app/program_options.h"

#include <gtest/gtest.h>

namespace app {
namespace {

using Request = ProgramOptions::Request;

TEST(ProgramOptions, ReadsEachRequestAndTheHallFolder)
{
    EXPECT_EQ(parseProgramOptions({}).request, Request::Run);
    EXPECT_FALSE(parseProgramOptions({}).dataFolder);

    ProgramOptions run = parseProgramOptions({ "--data", "/srv/hall" });
    EXPECT_EQ(run.request, Request::Run);
    EXPECT_EQ(run.dataFolder, "/srv/hall");

    ProgramOptions import = parseProgramOptions({ "--import", "/mnt/old", "--data", "h" });
    EXPECT_EQ(import.request, Request::Import);
    EXPECT_EQ(import.importSource, "/mnt/old");
    EXPECT_EQ(import.dataFolder, "h");

    // Asking for information never starts or imports anything.
    EXPECT_EQ(
        parseProgramOptions({ "--import", "/mnt/old", "--version" }).request, Request::Version);
    EXPECT_EQ(parseProgramOptions({ "--help", "--bogus" }).request, Request::Help);
}

TEST(ProgramOptions, RefusesWhatItCannotUnderstand)
{
    const std::vector<std::vector<std::string>> lines = {
        { "--bogus" },
        { "/srv/hall" },
        { "--data" },
        { "--import" },
        { "--import", "" },
        { "--data", "a", "--data", "b" },
        { "--import", "a", "--import", "b" },
    };
    for (const auto& line : lines) {
        ProgramOptions options = parseProgramOptions(line);
        EXPECT_EQ(options.request, Request::Wrong) << line.front();
        EXPECT_FALSE(options.wrong.empty());
    }
}

TEST(ProgramOptions, VersionAndHelpNameTheProgramAndEveryOption)
{
    EXPECT_EQ(versionText().rfind("dancehall ", 0), 0u);
    for (const char* option : { "--data", "--import", "--version", "--help" })
        EXPECT_NE(helpText().find(option), std::string::npos) << option;
}

} // namespace
} // namespace app
