#include "app/show_tables.h"

#include "app/application.h"
#include "app/show_names.h"

#include "platform/path.h"
#include "runtime/files.h"
#include "runtime/text_edit.h"

#include <cerrno>
#include <string>

namespace app {
namespace {

constexpr int typeMismatchCode = 5;
constexpr char typeMismatch[] = "数据或数组类型不匹配";

} // namespace

OpenTable::OpenTable(Application& app, const TableName& table)
    : app_(app)
    , alias_(table.alias)
    // In a hall that may not be written, nothing writes: the tables open for reading only.
    , open_(app.databases.openDatabase(
          dataFilePath(app, table.file), Text(table.alias), app.hallReadOnly))
{
}

OpenTable::~OpenTable()
{
    if (open_)
        app_.databases.closeDatabase(Text(alias_));
}

Text OpenTable::readText(const char* field)
{
    runtime::Value value = app_.databases.readField(Text(field), Text(alias_));
    const Text* text = value.as<Text>();
    if (!text)
        app_.runtime.raiseError(typeMismatchCode, typeMismatch);
    return *text;
}

std::vector<std::vector<Text>> OpenTable::readAllTexts(const std::vector<const char*>& fields)
{
    const std::vector<runtime::Value> names(fields.begin(), fields.end());
    std::vector<std::vector<Text>> rows;
    for (recdb::StoredRecord& record : app_.databases.readAllRecords(names, Text(alias_))) {
        std::vector<Text>& row = rows.emplace_back();
        for (recdb::StoredRecord::FieldValue& read : record.fields) {
            Text* text = read.value.as<Text>();
            if (!text)
                app_.runtime.raiseError(typeMismatchCode, typeMismatch);
            row.push_back(std::move(*text));
        }
    }
    return rows;
}

Text dataFilePath(const Application& app, std::string_view name)
{
    return runtime::concatText(app.programDirectory, "/", name);
}

std::vector<Slot> readCurrentShow(Application& app)
{
    std::vector<Slot> slots;
    OpenTable table(app, tables::currentShow);
    if (!table.isOpen())
        return slots;
    for (std::vector<Text>& row : table.readAllTexts(fields::ofSlot))
        slots.push_back(
            { std::move(row[0]), std::move(row[1]), std::move(row[2]), std::move(row[3]) });
    return slots;
}

bool renumberRecords(recdb::Registry& databases)
{
    databases.goFirst();
    const int count = databases.recordCount();
    for (int k = 1; k <= count; ++k) {
        if (!databases.writeField(Text(fields::number), {}, Text(std::to_string(k))))
            return false;
        databases.skip();
    }
    return true;
}

bool editThroughScratch(Application& app, const std::function<bool(recdb::Registry&)>& edit)
{
    const Text current = dataFilePath(app, tables::currentShow.file);
    const Text scratch = dataFilePath(app, tables::scratchShow.file);
    if (!runtime::copyFile(current, scratch, app.files))
        return false;
    {
        OpenTable table(app, tables::scratchShow);
        if (!table.isOpen() || !edit(app.databases))
            return false;
    }
    return runtime::copyFile(scratch, current, app.files);
}

Text showFileName(const Application& app, std::string_view showName)
{
    return dataFilePath(
        app, runtime::concatText("lb/", runtime::removeAllSpaces(showName), ".dat"));
}

bool saveShowFile(const Application& app, std::string_view showName)
{
    // Whoever saves, a name that is no plain file in "lb" (empty, "..", a "/") writes nothing.
    if (showNameProblem(showName, longestFileName(dataFilePath(app, "lb"), app.files)))
        return false;
    // An installation may come without the folder; its first save makes it. One that cannot
    // be made fails the save here, before anything is written.
    if (const int made = app.files.makeFolder(platform::nativePath(dataFilePath(app, "lb")), 0755);
        made < 0 && made != -EEXIST)
        return false;
    return runtime::copyFile(
        dataFilePath(app, tables::currentShow.file), showFileName(app, showName), app.files);
}

bool loadShowFile(const Application& app, std::string_view showName)
{
    return runtime::copyFile(
        showFileName(app, showName), dataFilePath(app, tables::currentShow.file), app.files);
}

bool deleteShowFile(const Application& app, std::string_view fileTitle)
{
    return runtime::deleteFile(
        dataFilePath(app, runtime::concatText("lb/", fileTitle, ".dat")), app.files);
}

} // namespace app
