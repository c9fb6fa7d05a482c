#include "app/import_commit.h"

#include "app/even_loudness.h"

#include "platform/folder_trees.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <system_error>
#include <vector>

namespace app {
namespace {

constexpr std::string_view stagingPrefix = ".import-";
constexpr std::string_view committedPrefix = ".imported-";
constexpr std::string_view randomPart = "XXXXXX";
constexpr unsigned folderMode = 0755;

std::string reason(int error)
{
    return std::generic_category().message(-error);
}

// The random part of a scratch folder's name after prefix; nothing for any other name.
std::optional<std::string_view> randomAfter(std::string_view name, std::string_view prefix)
{
    if (name.size() != prefix.size() + randomPart.size() || !name.starts_with(prefix))
        return std::nullopt;
    const std::string_view random = name.substr(prefix.size());
    if (!std::all_of(random.begin(), random.end(),
            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
        return std::nullopt;
    return random;
}

// The folders inside folder, links not followed; what cannot be listed counts as empty, and
// the caller's next step on it fails with the reason.
std::vector<platform::FolderEntry> entriesOf(platform::FileSystem& files, const std::string& folder)
{
    std::vector<platform::FolderEntry> entries;
    (void)files.listFolder(folder, entries);
    return entries;
}

// Writes the names in folder and in every folder under it to the disk, so that the commit
// renames a folder that a power cut cannot empty again.
int syncFolders(platform::FileSystem& files, const std::string& folder)
{
    for (const platform::FolderEntry& entry : entriesOf(files, folder))
        if (entry.folder && !entry.link)
            if (const int synced = syncFolders(files, folder + "/" + entry.name); synced < 0)
                return synced;
    return files.syncFolder(folder);
}

// Renames every file under from (relative path inside) to the same path under to, making
// the folders it needs; the folders of to it reached are synced after.
std::optional<std::string> moveFiles(platform::FileSystem& files, const std::string& from,
    const std::string& to, const std::string& inside)
{
    const std::string source = inside.empty() ? from : from + "/" + inside;
    const std::string target = inside.empty() ? to : to + "/" + inside;
    if (const int made = platform::makeFolders(target, folderMode, files); made < 0)
        return target + ": cannot make the folder: " + reason(made);
    std::vector<platform::FolderEntry> entries;
    if (const int listed = files.listFolder(source, entries); listed < 0)
        return source + ": cannot read the folder: " + reason(listed);
    for (const platform::FolderEntry& entry : entries) {
        const std::string name = inside.empty() ? entry.name : inside + "/" + entry.name;
        if (entry.link)
            continue; // never staged
        if (entry.folder) {
            if (auto problem = moveFiles(files, from, to, name))
                return problem;
        } else if (entry.regular) {
            if (const int moved = files.rename(from + "/" + name, to + "/" + name); moved < 0)
                return to + "/" + name + ": cannot move it into the hall folder: " + reason(moved);
        }
    }
    // The files are in place already; a rename that did not reach the disk is lost only with
    // a power cut, which leaves it in the committed folder for the next start to move again.
    (void)files.syncFolder(target);
    return std::nullopt;
}

// Moves what is still in a committed folder into the hall and makes the hall play as the
// installation did: even loudness waits until the operator turns it on, as in any
// installation's folder, which has no switch file. Then the folder goes.
std::optional<std::string> finish(
    platform::FileSystem& files, const std::string& hall, const std::string& committed)
{
    if (auto problem = moveFiles(files, committed, hall, ""))
        return problem;
    const std::string loudnessSwitch = hall + "/" + loudnessSettingsName;
    if (const int removed = files.unlink(loudnessSwitch); removed < 0 && removed != -ENOENT)
        return loudnessSwitch + ": cannot remove it: " + reason(removed);
    (void)files.syncFolder(hall);
    // What could stay holds no file any more: a later start finds nothing to move.
    (void)platform::removeTree(committed, files);
    return std::nullopt;
}

} // namespace

ImportStaging::ImportStaging(platform::FileSystem& files, const std::string& hallFolder)
    : files_(files)
    , hall_(hallFolder)
{
    std::string pattern = hall_ + "/" + std::string(stagingPrefix) + std::string(randomPart);
    if (files_.makeTempFolder(pattern) == 0)
        path_ = pattern;
}

ImportStaging::~ImportStaging()
{
    // One that stays is removed by the next start.
    if (!path_.empty() && !committed_)
        (void)platform::removeTree(path_, files_);
}

std::optional<std::string> ImportStaging::commit()
{
    if (const int synced = syncFolders(files_, path_); synced < 0)
        return path_ + ": cannot write it to the disk: " + reason(synced);
    const std::string name = path_.substr(path_.rfind('/') + 1);
    const std::string committed
        = hall_ + "/" + std::string(committedPrefix) + name.substr(stagingPrefix.size());
    if (const int renamed = files_.rename(path_, committed); renamed < 0)
        return path_ + ": cannot commit the import: " + reason(renamed);
    path_ = committed;
    committed_ = true;
    // Lost with a power cut, the commit leaves a scratch folder, and the hall as it was.
    (void)files_.syncFolder(hall_);
    return finish(files_, hall_, path_);
}

ImportSettlement settleInterruptedImport(const std::string& hallFolder, platform::FileSystem& files)
{
    ImportSettlement settled;
    for (const platform::FolderEntry& entry : entriesOf(files, hallFolder)) {
        if (!entry.folder || entry.link)
            continue;
        const std::string path = hallFolder + "/" + entry.name;
        if (randomAfter(entry.name, stagingPrefix)) {
            // Should it not go, the hall is as before all the same; the next start tries again.
            (void)platform::removeTree(path, files);
            settled.outcome = std::max(settled.outcome, InterruptedImport::undone);
        } else if (randomAfter(entry.name, committedPrefix)) {
            if (auto problem = finish(files, hallFolder, path)) {
                settled.outcome = InterruptedImport::unfinished;
                settled.problem = *problem;
            } else {
                settled.outcome = std::max(settled.outcome, InterruptedImport::finished);
            }
        }
    }
    return settled;
}

bool isImportScratchName(std::string_view name)
{
    return randomAfter(name, stagingPrefix) || randomAfter(name, committedPrefix);
}

} // namespace app
