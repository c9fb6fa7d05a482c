// Loading one of the program's modules: its entry is found and called, and every way the
// module or its entry can be missing ends in the loader's reason, never in a crash.

#include "platform/shared_module.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using Entry = int(int);
constexpr char entryName[] = "dancehall_test_entry";

std::string problemOf(SharedModule& module)
{
    auto found = module.entryAs<Entry>();
    const auto* problem = std::get_if<std::string>(&found);
    return problem ? *problem : std::string();
}

TEST(SharedModule, FindsTheEntryOfALoadedModule)
{
    SharedModule module(TEST_MODULE_PATH, entryName);
    auto found = module.entryAs<Entry>();
    ASSERT_TRUE(std::holds_alternative<Entry*>(found)) << std::get<std::string>(found);
    EXPECT_EQ(std::get<Entry*>(found)(21), 42);

    // A second owner of the same file gets a working entry as well.
    SharedModule again(TEST_MODULE_PATH, entryName);
    auto foundAgain = again.entryAs<Entry>();
    ASSERT_TRUE(std::holds_alternative<Entry*>(foundAgain));
    EXPECT_EQ(std::get<Entry*>(foundAgain)(5), 10);
}

TEST(SharedModule, EveryMissingPieceIsReportedWithItsReason)
{
    const std::string notAModule = testing::TempDir() + "not_a_module.so";
    std::ofstream(notAModule) << "plain text, no ELF header";

    struct Case {
        std::string path;
        std::string entry;
        std::string reasonContains;
    };
    const std::vector<Case> cases {
        { "/nonexistent/lib/dancehall/gone.so", entryName, "/nonexistent/lib/dancehall/gone.so" },
        { TEST_MODULE_PATH, "no_such_entry", "no_such_entry" },
        { notAModule, entryName, notAModule },
        // A bare name would be looked for along the library path: never loaded.
        { "libc.so.6", "malloc", "not absolute" },
        { "", entryName, "not absolute" },
    };
    for (const Case& c : cases) {
        SharedModule module(c.path, c.entry);
        const std::string problem = problemOf(module);
        EXPECT_NE(problem.find(c.reasonContains), std::string::npos)
            << c.path << " / " << c.entry << ": " << problem;
        // The answer stands: asked again, the same reason and no second attempt to differ.
        EXPECT_EQ(problemOf(module), problem) << c.path;
    }
    std::remove(notAModule.c_str());
}

TEST(SharedModule, ThreadsAskingAtOnceGetOneEntry)
{
    SharedModule module(TEST_MODULE_PATH, entryName);
    std::vector<void*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&module, &seen, i] {
            auto found = module.entry();
            seen[i] = std::holds_alternative<void*>(found) ? std::get<void*>(found) : nullptr;
        });
    for (std::thread& thread : threads)
        thread.join();
    ASSERT_NE(seen[0], nullptr);
    for (void* entry : seen)
        EXPECT_EQ(entry, seen[0]);
}

} // namespace
} // namespace platform
