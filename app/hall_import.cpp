#include "app/hall_import.h"

#include "app/even_loudness.h"
#include "app/import_commit.h"
#include "app/single_instance.h"

#include "platform/encoding.h"
#include "platform/folder_trees.h"
#include "platform/whole_files.h"
#include "recdb/database.h"
#include "recdb/error_codes.h"
#include "recdb/file_check.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

namespace app {
namespace {

// Only for taking paths apart and joining them; the disk is reached through FileSystem.
namespace fs = std::filesystem;

constexpr unsigned folderMode = 0755;

// A negative errno as the terminal reads it.
std::string reason(int error)
{
    return std::generic_category().message(-error);
}

bool isFolder(platform::FileSystem& files, const fs::path& path)
{
    platform::FileStatus status;
    return files.pathStatus(path.string(), status) == 0 && status.folder;
}

// Texts of the data and the database (GBK) as a UTF-8 terminal shows them.
std::string say(std::string_view gbk)
{
    return platform::gbkToUtf8(gbk);
}

enum class Kind { SlotTable, Catalogue, Plain };

// What a table must hold for the program to use it.
std::vector<std::string> requiredFields(Kind kind)
{
    if (kind == Kind::SlotTable)
        return { "序号", "曲风", "曲目", "文件路径" };
    if (kind == Kind::Catalogue)
        return { "曲风" };
    return {};
}

struct Item {
    fs::path source;
    std::string target; // relative to the hall folder, UTF-8
    Kind kind = Kind::Plain;
    std::optional<fs::path> auxiliarySource; // the table's memo and byte-set chains
};

bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80            ? 1
            : (lead & 0xE0) == 0xC0 && lead >= 0xC2 ? 2
            : (lead & 0xF0) == 0xE0                 ? 3
            : (lead & 0xF8) == 0xF0 && lead <= 0xF4 ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// A name as the program would write it: UTF-8 as it is, else decoded from GBK; nothing when
// neither reading makes sense.
std::optional<std::string> readableName(const std::string& raw)
{
    if (isUtf8(raw))
        return raw;
    std::string decoded = platform::gbkToUtf8(raw);
    return isUtf8(decoded) ? std::optional(decoded) : std::nullopt;
}

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); });
    return text;
}

// "Name.DAT" -> "Name.dat": the program opens its files with lower-case extensions.
std::string withLowerExtension(const std::string& name)
{
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot) + lowerAscii(name.substr(dot));
}

std::string stem(const std::string& name)
{
    return name.substr(0, name.rfind('.'));
}

// A path for the report, each part readable on a UTF-8 terminal even where it is GBK.
std::string shown(const fs::path& path)
{
    fs::path readable;
    for (const fs::path& part : path)
        readable /= readableName(part.string()).value_or(part.string());
    return readable.string();
}

std::string sameButCase(const fs::path& one, const fs::path& other)
{
    return shown(one) + ": differs from " + shown(other)
        + " only in letter case; cannot tell which one to use";
}

// Collects the files of one folder of the source: the tables with their auxiliary files and
// the other files the program uses there.
class FolderScan {
public:
    FolderScan(
        platform::FileSystem& files, std::vector<Item>& items, std::vector<std::string>& problems)
        : files_(files)
        , items_(items)
        , problems_(problems)
    {
    }

    // kinds: lower-case name -> kind, for the fixed names of the top folder; empty for lb/,
    // where every .dat file is a show and every other file is kept.
    void scan(const fs::path& folder, const std::string& targetPrefix,
        const std::map<std::string, Kind>& kinds, std::map<std::string, fs::path>* subfolders)
    {
        std::map<std::string, fs::path> auxiliaries;
        std::vector<std::size_t> tables;
        std::vector<platform::FolderEntry> entries;
        const int listed = files_.listFolder(folder.string(), entries);
        for (const platform::FolderEntry& entry : entries) {
            const fs::path path = folder / entry.name;
            auto name = readableName(entry.name);
            if (!name) {
                problems_.push_back(shown(path) + ": the name is neither UTF-8 nor GBK");
                continue;
            }
            const std::string key = lowerAscii(*name);
            if (entry.folder) {
                if (subfolders && !subfolders->emplace(key, path).second)
                    problems_.push_back(sameButCase(path, subfolders->at(key)));
                continue;
            }
            if (!entry.regular)
                continue;
            if (key.ends_with(".edt")) {
                auxiliaries[stem(key)] = path;
                continue;
            }
            Kind kind = Kind::Plain;
            if (!kinds.empty()) {
                auto known = kinds.find(key);
                if (known == kinds.end())
                    continue; // the old program's own files
                kind = known->second;
            } else if (key.ends_with(".dat")) {
                kind = Kind::SlotTable;
            }
            if (!seen_.emplace(targetPrefix + key, path).second) {
                problems_.push_back(sameButCase(path, seen_[targetPrefix + key]));
                continue;
            }
            // The fixed names are opened in lower case; a show keeps its name, not its case
            // of extension.
            const std::string target = kinds.empty() ? withLowerExtension(*name) : key;
            items_.push_back({ path, targetPrefix + target, kind, {} });
            if (kind != Kind::Plain)
                tables.push_back(items_.size() - 1);
        }
        if (listed < 0)
            problems_.push_back(shown(folder) + ": " + "cannot read the folder: " + reason(listed));
        for (std::size_t index : tables) {
            auto aux
                = auxiliaries.find(lowerAscii(stem(fs::path(items_[index].target).filename())));
            if (aux != auxiliaries.end())
                items_[index].auxiliarySource = aux->second;
        }
    }

private:
    platform::FileSystem& files_;
    std::vector<Item>& items_;
    std::vector<std::string>& problems_;
    std::map<std::string, fs::path> seen_;
};

// Reads a table through as the program would (the open checks, then every field of every
// record, memo and byte-set chains included) and checks that it has the fields the program
// reads. The empty text when all is well.
std::string checkTable(platform::FileSystem& files, const fs::path& path, Kind kind)
{
    auto failure = [](int code) {
        return say(recdb::errorMessage(code)) + " (" + std::to_string(code) + ")";
    };
    recdb::CheckResult check = recdb::checkDatabaseFile(path.string(), files);
    if (check.code)
        return check.where.empty() ? failure(check.code)
                                   : say(check.where) + ": " + failure(check.code);
    std::unique_ptr<recdb::Database> table;
    if (int code
        = recdb::Database::open(files, path.string(), true, recdb::ShareMode::DenyWrite, table))
        return failure(code);
    for (const std::string& name : requiredFields(kind)) {
        const recdb::Field* field = table->findField(name);
        if (!field || field->type != recdb::layout::FieldType::Text)
            return "no text field \"" + say(name) + "\"";
    }
    return {};
}

constexpr unsigned fileMode = 0644;

int makeWritable(platform::FileSystem& files, const fs::path& path)
{
    const int fd = files.open(path.string(), platform::Access::read);
    if (fd < 0)
        return fd;
    const int result = files.setPermissions(fd, fileMode);
    (void)files.close(fd); // only read: nothing to lose
    return result;
}

// Copies a file into the staging folder, writable by its owner whatever the source was:
// the program writes its tables in place.
std::string stage(platform::FileSystem& files, const fs::path& from, const fs::path& to)
{
    const std::string problem = shown(from) + ": cannot copy: ";
    if (const int made = platform::makeFolders(to.parent_path().string(), folderMode, files);
        made < 0)
        return problem + reason(made);
    if (!platform::copyFileReplacing(from.string(), to.string(), files))
        return problem + "it cannot be read, or the copy cannot be written";
    if (const int changed = makeWritable(files, to); changed < 0)
        return problem + reason(changed);
    return {};
}

// Flushes a file or folder to the disk, so that a power cut after the import finds the
// moved files whole.
bool sync(platform::FileSystem& files, const fs::path& path)
{
    const int descriptor = files.open(path.string(), platform::Access::read);
    if (descriptor < 0)
        return false;
    const bool synced = files.sync(descriptor) == 0;
    files.close(descriptor);
    return synced;
}

// Why the hall folder's lock could not be taken; nothing when it is held now.
std::optional<std::string> lockHall(SingleInstance& lock, const std::string& hallFolder)
{
    switch (lock.take(hallFolder)) {
    case SingleInstance::Outcome::taken:
        return std::nullopt;
    case SingleInstance::Outcome::held:
        return hallFolder + ": the program is running on this hall folder; close it first";
    case SingleInstance::Outcome::readOnly:
        return hallFolder + ": the hall folder cannot be written: " + say(lock.failure());
    case SingleInstance::Outcome::failed:
        break;
    }
    return hallFolder + ": cannot lock the hall folder: " + say(lock.failure());
}

ImportResult refuse(std::vector<std::string> problems)
{
    ImportResult result;
    result.report.push_back("Nothing was imported; the hall folder is as it was:");
    for (std::string& problem : problems)
        result.report.push_back("  " + std::move(problem));
    return result;
}

// The import proper, the hall folder's lock held when the folder exists (when it does not,
// it is taken once the folder is made).
ImportResult importLocked(const fs::path& source, const fs::path& hall, SingleInstance& hallLock,
    platform::FileSystem& files)
{
    std::vector<Item> items;
    std::vector<std::string> problems;
    FolderScan scan(files, items, problems);
    std::map<std::string, fs::path> subfolders;
    const std::map<std::string, Kind> topNames
        = { { "dqqf.dat", Kind::SlotTable }, { "dqqfls.dat", Kind::SlotTable },
              { "qfsz.dat", Kind::Catalogue }, { "ss.dat", Kind::Plain } };
    scan.scan(source, "", topNames, &subfolders);
    if (auto shows = subfolders.find("lb"); shows != subfolders.end())
        scan.scan(shows->second, "lb/", {}, nullptr);
    for (const char* table : { "dqqf.dat", "dqqfls.dat", "qfsz.dat" }) {
        bool found = std::any_of(
            items.begin(), items.end(), [&](const Item& item) { return item.target == table; });
        if (!found)
            problems.push_back(
                source.string() + ": no " + table + " here, so this is no installation's folder");
    }
    if (!problems.empty())
        return refuse(std::move(problems));

    platform::FileStatus existing;
    const bool hallIsNew = files.pathStatus(hall.string(), existing) == -ENOENT;
    const int hallMade = platform::makeFolders(hall.string(), folderMode, files);
    // A refused import leaves no trace, not even a hall folder it had to make; what cannot be
    // removed is an empty folder and a lock file, which a later start uses as they are.
    auto refuseAndTidy = [&](std::vector<std::string> reasons) {
        if (hallIsNew) {
            (void)files.unlink((hall / instanceLockName).string());
            (void)files.removeFolder(hall.string());
        }
        return refuse(std::move(reasons));
    };
    // Start-up settles scratch folders it finds, which is safe only while an import in
    // progress holds the lock.
    if (hallIsNew && hallMade == 0) {
        if (auto problem = lockHall(hallLock, hall.string()))
            return refuseAndTidy({ *problem });
    }
    std::optional<ImportStaging> staging;
    if (hallMade == 0)
        staging.emplace(files, hall.string());
    if (!staging || staging->path().empty())
        return refuseAndTidy({ hall.string() + ": cannot make a scratch folder here" });
    const fs::path staged(staging->path());
    auto stageOne = [&](const fs::path& from, const std::string& target) {
        std::string problem = stage(files, from, staged / target);
        if (!problem.empty())
            problems.push_back(problem);
        else if (!sync(files, staged / target))
            problems.push_back(shown(staged / target) + ": cannot write it to the disk");
    };
    for (const Item& item : items) {
        stageOne(item.source, item.target);
        // The database reader looks for the chains under the table's name with ".EDT".
        if (item.auxiliarySource)
            stageOne(*item.auxiliarySource, stem(item.target) + ".EDT");
    }
    for (const Item& item : items) {
        if (item.kind == Kind::Plain || !problems.empty())
            continue;
        std::string problem = checkTable(files, staged / item.target, item.kind);
        if (!problem.empty())
            problems.push_back(shown(item.source) + ": " + problem);
    }
    if (!problems.empty()) {
        staging.reset();
        return refuseAndTidy(std::move(problems));
    }

    if (auto problem = staging->commit()) {
        if (!staging->committed()) {
            staging.reset();
            return refuseAndTidy({ *problem });
        }
        ImportResult incomplete;
        incomplete.report.push_back(*problem
            + "; the import is incomplete, and the next start of the program (or the next "
              "import) finishes it");
        return incomplete;
    }
    ImportResult result;
    result.imported = true;
    result.report.push_back(
        "Imported " + std::to_string(items.size()) + " files into " + hall.string() + ":");
    for (const Item& item : items)
        result.report.push_back("  " + shown(item.source) + " -> " + item.target);
    // Only a folder of that name resists; the tables are the installation's all the same.
    platform::FileStatus loudnessSwitch;
    if (files.linkStatus((hall / loudnessSettingsName).string(), loudnessSwitch) == 0)
        result.report.push_back((hall / loudnessSettingsName).string()
            + ": cannot remove it; even loudness stays as it was set");
    return result;
}

} // namespace

ImportResult importHall(
    const std::string& sourceFolder, const std::string& hallFolder, platform::FileSystem& files)
{
    const fs::path source(sourceFolder), hall(hallFolder);
    platform::FileStatus sourceStatus, hallStatus;
    if (files.pathStatus(source.string(), sourceStatus) < 0 || !sourceStatus.folder)
        return refuse({ sourceFolder + ": not a folder" });
    if (files.pathStatus(hall.string(), hallStatus) == 0 && hallStatus.device == sourceStatus.device
        && hallStatus.inode == sourceStatus.inode)
        return refuse({ sourceFolder + ": this is the hall folder itself" });

    // A running program keeps reading and writing its tables: files brought in under it
    // would mix two halls. A folder that does not exist yet is locked once it is made.
    SingleInstance hallLock(files);
    if (!isFolder(files, hall))
        return importLocked(source, hall, hallLock, files);
    if (auto problem = lockHall(hallLock, hallFolder))
        return refuse({ *problem });
    // An import killed earlier is settled first, or it would be finished over this one later.
    const ImportSettlement earlier = settleInterruptedImport(hall.string(), files);
    if (earlier.outcome == InterruptedImport::unfinished)
        return refuse({ "an import cut short earlier cannot be finished: " + earlier.problem });
    ImportResult result = importLocked(source, hall, hallLock, files);
    if (earlier.outcome == InterruptedImport::finished)
        result.report.insert(result.report.begin(),
            "An import into this hall folder that was cut short earlier has been finished first.");
    else if (earlier.outcome == InterruptedImport::undone)
        result.report.insert(result.report.begin(),
            "An import into this hall folder that was cut short earlier has been undone first.");
    return result;
}

} // namespace app
