// The command line: what each request runs, and lines that must be refused rather than
// half understood (a start on the wrong hall folder, an import of nothing).

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace app {
namespace {

using Request = CommandLine::Request;

std::variant<CommandLine, CommandLineError> parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "dancehall");
    return parseCommandLine(int(arguments.size()), arguments.data());
}

CommandLine accepted(std::vector<const char*> arguments)
{
    auto result = parse(arguments);
    EXPECT_TRUE(std::holds_alternative<CommandLine>(result))
        << std::get<CommandLineError>(result).message;
    return std::holds_alternative<CommandLine>(result) ? std::get<CommandLine>(result)
                                                       : CommandLine {};
}

TEST(CommandLine, TakesTheHallFolderInEitherForm)
{
    EXPECT_FALSE(accepted({}).dataFolder);
    EXPECT_EQ(accepted({}).request, Request::Run);
    EXPECT_EQ(accepted({ "--data", "/halls/a" }).dataFolder, "/halls/a");
    EXPECT_EQ(accepted({ "--data=/halls/b" }).dataFolder, "/halls/b");
    EXPECT_EQ(accepted({ "--data", "a", "--data", "b" }).dataFolder, "b");
}

TEST(CommandLine, NoResumeIsAFlagBesideTheFolder)
{
    EXPECT_TRUE(accepted({}).offerResume);
    const CommandLine line = accepted({ "--no-resume", "--data", "/halls/a" });
    EXPECT_FALSE(line.offerResume);
    EXPECT_EQ(line.dataFolder, "/halls/a");
    EXPECT_TRUE(accepted({ "--data", "--no-resume" }).offerResume)
        << "a folder named like the flag is a folder";
    EXPECT_TRUE(std::holds_alternative<CommandLineError>(parse({ "--no-resume=1" })));
}

TEST(CommandLine, ReadsTheRequestsThatRunInsteadOfTheProgram)
{
    CommandLine import = accepted({ "--import", "/mnt/old", "--data", "h" });
    EXPECT_EQ(import.request, Request::Import);
    EXPECT_EQ(import.importSource, "/mnt/old");
    EXPECT_EQ(import.dataFolder, "h");
    EXPECT_EQ(accepted({ "--import=/mnt/old" }).importSource, "/mnt/old");

    // Asking for information never starts or imports anything.
    EXPECT_EQ(accepted({ "--import", "/mnt/old", "--version" }).request, Request::Version);
    EXPECT_EQ(accepted({ "--help", "--bogus" }).request, Request::Help);
}

TEST(CommandLine, RefusesWhatItDoesNotKnowWithTheUsage)
{
    for (std::vector<const char*> wrong : { std::vector<const char*> { "--data" }, { "--data=" },
             { "--datum", "x" }, { "x" }, { "--import" }, { "--import", "" }, { "--import=" } }) {
        auto result = parse(wrong);
        ASSERT_TRUE(std::holds_alternative<CommandLineError>(result)) << wrong[0];
        EXPECT_NE(
            std::get<CommandLineError>(result).message.find("usage: dancehall"), std::string::npos);
    }
}

TEST(CommandLine, VersionAndUsageNameTheProgramAndEveryOption)
{
    EXPECT_EQ(versionText().rfind("dancehall ", 0), 0u);
    for (const char* option : { "--data", "--import", "--no-resume", "--version", "--help" })
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
}

} // namespace
} // namespace app
