#include "app/hall_repair.h"

#include "app/application.h"
#include "app/import_commit.h"
#include "app/show_tables.h"

#include "platform/encoding.h"
#include "platform/path.h"
#include "platform/whole_files.h"
#include "recdb/error_codes.h"
#include "recdb/file_check.h"
#include "runtime/file_names.h"
#include "runtime/text_edit.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace app {
namespace {

constexpr char checkAlias[] = "slotcheck";

// What cannot be listed or removed now stays for the next start; nothing here is the
// operator's to know about.
std::vector<platform::FolderEntry> entriesOf(platform::FileSystem& files, const std::string& folder)
{
    std::vector<platform::FolderEntry> entries;
    (void)files.listFolder(folder, entries);
    return entries;
}

// What the hall's files replaced whole end in: the tables, the shows and ss.dat in ".dat",
// the settings and the memory of the last show in ".ini", the evening log in ".log".
constexpr std::string_view replacedSuffixes[] = { ".dat", ".ini", ".log" };

void removeLeftoversIn(platform::FileSystem& files, const std::string& folder)
{
    for (const platform::FolderEntry& entry : entriesOf(files, folder)) {
        const bool leftover = std::any_of(
            std::begin(replacedSuffixes), std::end(replacedSuffixes), [&](std::string_view suffix) {
                return platform::isReplacementLeftover(entry.name, suffix);
            });
        if (leftover && entry.regular && !entry.link)
            (void)files.unlink(folder + "/" + entry.name);
    }
}

// An import holds the hall's lock while its scratch folder exists, so with the lock ours any
// such folder belongs to an import that was killed: the operator learns whether the hall is
// now as before it or as after it.
void settleImport(Application& app, const std::string& hall)
{
    const ImportSettlement settled = settleInterruptedImport(hall, app.files);
    switch (settled.outcome) {
    case InterruptedImport::none:
        return;
    case InterruptedImport::undone:
        app.runtime.messageBox(
            "上次导入数据（--import）在完成前中断了，已撤销：数据文件夹保持导入前的样子。", 0);
        return;
    case InterruptedImport::finished:
        app.runtime.messageBox(
            "上次导入数据（--import）在完成前中断了，现已完成：数据文件夹中是导入的数据。", 0);
        return;
    case InterruptedImport::unfinished:
        app.runtime.messageBox(
            runtime::concatText("上次导入数据（--import）在完成前中断了，现在仍未能完成（",
                platform::utf8ToGbk(settled.problem),
                "）：数据文件夹中只有部分导入的数据。请检查数据文件夹的磁盘和权限，然后重新启动程序"
                "，"
                "程序会再次完成导入。"),
            0);
        return;
    }
}

// The file's name as the operator knows it: its path inside the hall folder.
Text nameInHall(const Application& app, const Text& path)
{
    const Text prefix = app.programDirectory + "/";
    return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}

std::optional<Text> missingSlotField(Application& app, const Text& path)
{
    recdb::Registry& db = app.databases;
    if (!db.openDatabase(path, Text(checkAlias), true))
        return recdb::errorMessage(recdb::lastError());
    std::optional<Text> missing;
    for (const char* field : fields::ofSlot)
        if (!missing && !db.textFieldWidth(Text(field)))
            missing = runtime::concatText("缺少文本字段“", field, "”");
    db.closeDatabase(Text(checkAlias));
    return missing;
}

// Every slot with its record's id, in one read of the current show table, or nothing when
// it cannot be opened.
std::optional<std::vector<recdb::StoredRecord>> readSlotRecords(Application& app)
{
    OpenTable table(app, tables::currentShow);
    if (!table.isOpen())
        return std::nullopt;
    const std::vector<runtime::Value> names(fields::ofSlot.begin(), fields::ofSlot.end());
    return app.databases.readAllRecords(names, Text(tables::currentShow.alias));
}

// The slots of records read as one: nothing when a field is not text, which the reading of
// the show reports.
std::optional<std::vector<Slot>> slotsOf(std::vector<recdb::StoredRecord>& records)
{
    std::vector<Slot> slots;
    for (recdb::StoredRecord& record : records) {
        Text* texts[4] = {};
        for (std::size_t f = 0; f < 4; ++f)
            if (!(texts[f] = record.fields[f].value.as<Text>()))
                return std::nullopt;
        slots.push_back({ std::move(*texts[0]), std::move(*texts[1]), std::move(*texts[2]),
            std::move(*texts[3]) });
    }
    return slots;
}

// A crash between marking a slot deleted and packing leaves it behind; the slots after it
// are then numbered anew. A pack or renumbering that fails leaves the table readable as it
// was; the next start tries again. The slots when nothing needed mending; nothing when
// something was mended or the table could not be read, to be read again.
std::optional<std::vector<Slot>> slotsNeedingNoMending(Application& app)
{
    std::optional<std::vector<recdb::StoredRecord>> records = readSlotRecords(app);
    if (!records)
        return std::nullopt;
    const bool deleted = std::any_of(records->begin(), records->end(),
        [](const recdb::StoredRecord& record) { return record.id < 0; });
    bool numbered = !deleted;
    for (std::size_t k = 0; k < records->size() && numbered; ++k) {
        const Text* number = (*records)[k].fields[0].value.as<Text>();
        numbered = number && *number == std::to_string(k + 1);
    }
    if (numbered)
        return slotsOf(*records);
    OpenTable table(app, tables::currentShow);
    if (table.isOpen() && (!deleted || app.databases.pack()))
        (void)renumberRecords(app.databases);
    return std::nullopt;
}

} // namespace

void settleCrashLeftovers(Application& app)
{
    const std::string hall = platform::nativePath(app.programDirectory);
    removeLeftoversIn(app.files, hall);
    removeLeftoversIn(app.files, hall + "/lb");
    settleImport(app, hall);
}

std::optional<Text> slotTableProblem(Application& app, const Text& path)
{
    const recdb::CheckResult result
        = recdb::checkDatabaseFile(runtime::resolvedPath(path, app.files), app.files);
    if (result.code != recdb::Ok)
        return result.where.empty()
            ? recdb::errorMessage(result.code)
            : runtime::concatText(result.where, "：", recdb::errorMessage(result.code));
    return missingSlotField(app, path);
}

bool loadCheckedShow(Application& app, const Text& showName, MissingShowFile missing)
{
    const Text file = showFileName(app, showName);
    const auto notLoaded = [&] {
        app.runtime.messageBox(runtime::concatText("场次文件 ", nameInHall(app, file),
                                   " 未能载入，当前播放列表保持不变。"),
            0);
        return false;
    };
    platform::FileStatus status;
    if (app.files.pathStatus(runtime::resolvedPath(file, app.files), status) < 0 || !status.regular)
        return missing == MissingShowFile::report ? notLoaded() : false;
    if (auto problem = slotTableProblem(app, file)) {
        app.runtime.messageBox(runtime::concatText("场次文件 ", nameInHall(app, file), " 已损坏（",
                                   *problem, "），未载入，当前播放列表保持不变。"),
            0);
        return false;
    }
    if (!loadShowFile(app, showName))
        return notLoaded();
    return true;
}

std::vector<Slot> repairCurrentShow(Application& app)
{
    const Text file = dataFilePath(app, tables::currentShow.file);
    if (auto problem = slotTableProblem(app, file)) {
        app.runtime.messageBox(runtime::concatText("播放列表文件 ", nameInHall(app, file),
                                   " 已损坏（", *problem, "），请重新载入一个已保存的场次。"),
            0);
        return readCurrentShow(app);
    }
    if (app.hallReadOnly)
        return readCurrentShow(app);
    if (auto slots = slotsNeedingNoMending(app))
        return std::move(*slots);
    return readCurrentShow(app);
}

} // namespace app
