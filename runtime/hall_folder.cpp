#include "runtime/hall_folder.h"

#include "platform/folder_trees.h"
#include "platform/program_directory.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace runtime {
namespace {

// Only for taking paths apart, joining them and making them absolute; the disk is reached
// through FileSystem.
namespace fs = std::filesystem;

constexpr unsigned folderMode = 0755;

constexpr char folderName[] = "dancehall";
// What a folder must hold to serve as the defaults: the style catalogue is never created by
// the program, so a folder without it cannot seed a hall.
constexpr char marker[] = "qfsz.dat";
// The defaults a hall is seeded with; anything else beside them (the executable) stays.
// loudness.ini turns even loudness on in a new hall only: an existing folder lacks it.
constexpr const char* seeds[]
    = { "dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat", "loudness.ini", "lb" };

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

// error: a negative errno.
std::string describe(const std::string& what, const fs::path& path, int error)
{
    return what + " " + path.string() + ": " + std::generic_category().message(-error);
}

bool isFolder(platform::FileSystem& files, const fs::path& path)
{
    platform::FileStatus status;
    return files.pathStatus(path.string(), status) == 0 && status.folder;
}

// The temporary folder is private when made; the hall is not.
int openUp(platform::FileSystem& files, const fs::path& folder)
{
    const int fd = files.open(folder.string(), platform::Access::read);
    if (fd < 0)
        return fd;
    const int result = files.setPermissions(fd, folderMode);
    (void)files.close(fd); // only read: nothing to lose
    return result;
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

std::optional<std::string> shippedDefaultsFolder(platform::FileSystem& files)
{
    auto executable = platform::executableDirectory();
    if (!executable)
        return std::nullopt;
    for (fs::path candidate :
        { fs::path(*executable), fs::path(*executable).parent_path() / "share" / folderName }) {
        platform::FileStatus status;
        if (files.pathStatus((candidate / marker).string(), status) == 0 && status.regular)
            return candidate.string();
    }
    return std::nullopt;
}

std::optional<std::string> prepareHallFolder(const std::string& hallPath,
    const std::optional<std::string>& defaults, platform::FileSystem& files)
{
    const fs::path hall = fs::path(hallPath).lexically_normal();
    platform::FileStatus status;
    if (files.pathStatus(hall.string(), status) == 0) {
        if (!status.folder)
            return "the hall folder " + hall.string() + " is not a folder";
        // An installation may lack lb/ until its first show; saving needs it and tries again,
        // telling the operator when it cannot.
        (void)files.makeFolder((hall / "lb").string(), folderMode);
        return std::nullopt;
    }
    if (!defaults)
        return "no shipped defaults found to create the hall folder " + hall.string();
    const fs::path parent
        = hall.has_filename() ? hall.parent_path() : hall.parent_path().parent_path();
    if (const int made = platform::makeFolders(parent.string(), folderMode, files); made < 0)
        return describe("cannot create", parent, made);

    // Seeded under a temporary name and renamed into place: the hall appears whole or not.
    std::string seeding = (parent / ("." + hall.filename().string() + ".XXXXXX")).string();
    if (const int made = files.makeTempFolder(seeding); made < 0)
        return describe("cannot create a folder in", parent, made);
    auto abandon = [&](std::string message) {
        (void)platform::removeTree(seeding, files); // a leftover is hidden and harmless
        return message;
    };
    for (const char* seed : seeds) {
        const fs::path from = fs::path(*defaults) / seed;
        if (files.pathStatus(from.string(), status) < 0)
            continue;
        if (const int copied = platform::copyTree(from.string(), seeding + "/" + seed, files);
            copied < 0)
            return abandon(describe("cannot copy the defaults into", seeding, copied));
    }
    if (const int made = files.makeFolder(seeding + "/lb", folderMode); made < 0 && made != -EEXIST)
        return abandon(describe("cannot create a folder in", seeding, made));
    if (const int opened = openUp(files, seeding); opened < 0)
        return abandon(describe("cannot open up", seeding, opened));
    if (const int renamed = files.rename(seeding, hall.string()); renamed < 0) {
        std::string message = abandon(describe("cannot create the hall folder", hall, renamed));
        // Another start seeded it first: theirs is as good as ours.
        if (isFolder(files, hall))
            return std::nullopt;
        return message;
    }
    return std::nullopt;
}

} // namespace runtime
