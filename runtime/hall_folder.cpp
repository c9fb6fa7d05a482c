#include "runtime/hall_folder.h"

#include "platform/posix/program_directory.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace runtime {
namespace {

namespace fs = std::filesystem;

constexpr char folderName[] = "dancehall";
// What a folder must hold to serve as the defaults: the style catalogue is never created by
// the program, so a folder without it cannot seed a hall.
constexpr char marker[] = "qfsz.dat";
// The defaults a hall is seeded with; anything else beside them (the executable) stays.
constexpr const char* seeds[] = { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat", "lb" };

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

std::string describe(const std::string& what, const fs::path& path, const std::error_code& error)
{
    return what + " " + path.string() + ": " + error.message();
}

} // namespace

std::optional<std::string> chooseHallFolder(const std::optional<std::string>& fromCommandLine)
{
    std::optional<fs::path> chosen;
    if (fromCommandLine && !fromCommandLine->empty())
        chosen = *fromCommandLine;
    else if (auto data = environment("DANCEHALL_DATA"))
        chosen = *data;
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    else if (auto xdg = environment("XDG_DATA_HOME"); xdg && fs::path(*xdg).is_absolute())
        chosen = fs::path(*xdg) / folderName;
    else if (auto home = environment("HOME"))
        chosen = fs::path(*home) / ".local" / "share" / folderName;
    if (!chosen)
        return std::nullopt;
    std::error_code error;
    fs::path absolute = fs::absolute(*chosen, error);
    if (error)
        return std::nullopt;
    return absolute.lexically_normal().string();
}

std::optional<std::string> shippedDefaultsFolder()
{
    auto executable = platform::executableDirectory();
    if (!executable)
        return std::nullopt;
    std::error_code error;
    for (fs::path candidate :
        { fs::path(*executable), fs::path(*executable).parent_path() / "share" / folderName })
        if (fs::is_regular_file(candidate / marker, error))
            return candidate.string();
    return std::nullopt;
}

std::optional<std::string> prepareHallFolder(
    const std::string& hallPath, const std::optional<std::string>& defaults)
{
    const fs::path hall = fs::path(hallPath).lexically_normal();
    std::error_code error;
    if (fs::exists(hall, error)) {
        if (!fs::is_directory(hall, error))
            return "the hall folder " + hall.string() + " is not a folder";
        // An installation may lack lb/ until its first show; saving needs it.
        fs::create_directory(hall / "lb", error);
        return std::nullopt;
    }
    if (!defaults)
        return "no shipped defaults found to create the hall folder " + hall.string();
    const fs::path parent
        = hall.has_filename() ? hall.parent_path() : hall.parent_path().parent_path();
    fs::create_directories(parent, error);
    if (error)
        return describe("cannot create", parent, error);

    // Seeded under a temporary name and renamed into place: the hall appears whole or not.
    std::string pattern = (parent / ("." + hall.filename().string() + ".XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return describe(
            "cannot create a folder in", parent, std::error_code(errno, std::generic_category()));
    const fs::path seeding = pattern;
    for (const char* seed : seeds) {
        const fs::path from = fs::path(*defaults) / seed;
        if (!fs::exists(from, error))
            continue;
        fs::copy(from, seeding / seed, fs::copy_options::recursive, error);
        if (error) {
            std::string message = describe("cannot copy the defaults into", seeding, error);
            fs::remove_all(seeding, error);
            return message;
        }
    }
    fs::create_directory(seeding / "lb", error);
    fs::permissions(seeding,
        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
            | fs::perms::others_read | fs::perms::others_exec,
        error);
    fs::rename(seeding, hall, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(seeding, ignored);
        // Another start seeded it first: theirs is as good as ours.
        if (fs::is_directory(hall, ignored))
            return std::nullopt;
        return describe("cannot create the hall folder", hall, error);
    }
    return std::nullopt;
}

} // namespace runtime
