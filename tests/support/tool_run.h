#pragma once
// Runs a built command-line tool through the shell and keeps what it printed and how it
// ended, for the tests that check a tool as its users see it.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace test_support {

struct ToolRun {
    int exit = -1; // -1 when the tool did not end by itself (a signal)
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& argument)
{
    std::string text = "'";
    for (char c : argument)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

inline std::string fileContents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The output goes through files in `scratch`, named after this process: tests running side by
// side share the folder. fileBlocks limits the files the tool writes to that many 512-byte
// blocks, so that a write beyond fails instead of ending the process.
inline ToolRun runTool(const std::string& tool, const std::vector<std::string>& arguments,
    const std::filesystem::path& scratch, long fileBlocks = 1'000'000)
{
    std::string command = "exec " + shellQuoted(tool);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    const std::string name = "tool." + std::to_string(getpid());
    const std::filesystem::path out = scratch / (name + ".out"), err = scratch / (name + ".err");
    const std::string shell = "trap '' XFSZ; ulimit -f " + std::to_string(fileBlocks) + "; "
        + command + " >" + shellQuoted(out) + " 2>" + shellQuoted(err);
    const int status = std::system(("sh -c " + shellQuoted(shell)).c_str());
    ToolRun run { WIFEXITED(status) ? WEXITSTATUS(status) : -1, fileContents(out),
        fileContents(err) };
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    std::filesystem::remove(err, ignored);
    return run;
}

} // namespace test_support
