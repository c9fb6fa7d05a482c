// The database tool's append when a value cannot be written: the record it cannot fill is
// taken out again rather than left blank or half filled.

#include "recdb/error_codes.h"
#include "recdb/registry.h"
#include "test_files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace recdb::test {
namespace {

// Runs the tool with files limited to fileBlocks × 512 bytes: a write beyond fails.
int runTool(const std::string& arguments, int fileBlocks = 100000)
{
    const std::string command = "sh -c \"trap '' XFSZ; ulimit -f " + std::to_string(fileBlocks)
        + "; exec " + RECDB_TOOL + " " + arguments + "\" >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ToolAppend, AppendsNothingWhenAValueCannotBeWritten)
{
    TempDir dir;
    DatabaseImage image({ { "name", 10, 16 }, { "memo", 12, 4 } });
    writeFile(dir.path("t.dat"), image.bytes());
    writeFile(dir.path("t.EDT"), AuxImage().bytes());
    ASSERT_EQ(runTool("append " + dir.path("t.dat") + " first note"), 0);

    // The auxiliary file holds its header and the first note (1,024 bytes): the second
    // note's block cannot be added, though its record could.
    EXPECT_NE(runTool("append " + dir.path("t.dat") + " second note", 2), 0);

    ThrowingReport report;
    Registry registry(report);
    ASSERT_TRUE(registry.openDatabase(dir.path("t.dat")));
    EXPECT_EQ(registry.recordCount(), 1);
    EXPECT_EQ(*registry.readField(Text("name")).as<Text>(), "first");
}

} // namespace
} // namespace recdb::test
