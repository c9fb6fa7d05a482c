#include "app/command_line.h"

#include <gtest/gtest.h>

namespace app {
namespace {

std::variant<CommandLine, CommandLineError> parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "dancehall");
    return parseCommandLine(int(arguments.size()), arguments.data());
}

TEST(CommandLine, TakesTheHallFolderInEitherForm)
{
    EXPECT_FALSE(std::get<CommandLine>(parse({})).dataFolder);
    EXPECT_EQ(std::get<CommandLine>(parse({ "--data", "/halls/a" })).dataFolder, "/halls/a");
    EXPECT_EQ(std::get<CommandLine>(parse({ "--data=/halls/b" })).dataFolder, "/halls/b");
    EXPECT_EQ(std::get<CommandLine>(parse({ "--data", "a", "--data", "b" })).dataFolder, "b");
}

TEST(CommandLine, RefusesWhatItDoesNotKnowWithTheUsage)
{
    for (std::vector<const char*> wrong :
        { std::vector<const char*> { "--data" }, { "--data=" }, { "--datum", "x" }, { "x" } }) {
        auto result = parse(wrong);
        ASSERT_TRUE(std::holds_alternative<CommandLineError>(result)) << wrong[0];
        EXPECT_NE(std::get<CommandLineError>(result).message.find("usage: dancehall"),
            std::string::npos);
    }
}

} // namespace
} // namespace app
