#pragma once
// The record-database tables of shows and styles in the program directory: their files,
// aliases and fields, reading the current show, renumbering its slots, and the show files
// under "lb" that saving and loading copy whole. Not the views built from them
// (show_views.h).
//
// Every table is opened and closed within one call: no table stays open between events.

#include "runtime/text.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace recdb {
class Registry;
}

namespace app {

class Application;
using runtime::Text;

struct TableName {
    const char* file; // in the program directory
    const char* alias;
};

namespace tables {
inline constexpr TableName currentShow { "dqqf.dat", "dqqf" };
inline constexpr TableName scratchShow { "dqqfls.dat", "dqqfls" };
inline constexpr TableName styleCatalogue { "qfsz.dat", "qfsz" };
} // namespace tables

namespace fields {
inline constexpr char number[] = "序号";
inline constexpr char style[] = "曲风";
inline constexpr char title[] = "曲目";
inline constexpr char path[] = "文件路径";
// The four text fields of a slot record, in the order of Slot's members.
inline const std::vector<const char*> ofSlot { number, style, title, path };
} // namespace fields

// One slot record of a show table, every field as its text.
struct Slot {
    Text number;
    Text style;
    Text title; // empty while the slot has no track
    Text path; // empty while the slot has no track
};

// Opens a table under its alias as the current database and closes it again when it goes
// out of scope. A table that cannot be opened is left alone: nothing is read from whichever
// database would otherwise be current.
class OpenTable {
public:
    OpenTable(Application& app, const TableName& table);
    ~OpenTable();
    OpenTable(const OpenTable&) = delete;
    OpenTable& operator=(const OpenTable&) = delete;

    [[nodiscard]] bool isOpen() const { return open_; }
    // The field of the current record; one that is not text raises the runtime error
    // "数据或数组类型不匹配".
    [[nodiscard]] Text readText(const char* field);
    // The given fields of every record, read at one moment: row k holds what readText gives
    // for record k + 1, and raises what it raises.
    [[nodiscard]] std::vector<std::vector<Text>> readAllTexts(
        const std::vector<const char*>& fields);

private:
    Application& app_;
    const char* alias_;
    bool open_;
};

// Program directory + "/" + name.
[[nodiscard]] Text dataFilePath(const Application& app, std::string_view name);

// Every slot of the current show table, in record order; none when it cannot be opened.
[[nodiscard]] std::vector<Slot> readCurrentShow(Application& app);

// Writes 1, 2, … into "序号" of the records of the current database, in file order. False at
// the first write that fails.
[[nodiscard]] bool renumberRecords(recdb::Registry& databases);

// Edits the current show through the scratch table: copies it there, runs edit on the scratch
// table (open as the current database), and copies the result back over the current show
// only when every step succeeded. The show table is replaced whole, so a crash or a failure
// part way through a pack or a renumbering leaves the show as it was.
[[nodiscard]] bool editThroughScratch(
    Application& app, const std::function<bool(recdb::Registry&)>& edit);

// The saved show file of a show name: "lb/" + the name without ASCII or GBK (A1 A1) spaces +
// ".dat" in the program directory.
[[nodiscard]] Text showFileName(const Application& app, std::string_view showName);
// Copies the current show table over the show's file (creating or replacing it, and "lb"
// when missing). False, and nothing written, for a name showNameProblem refuses.
[[nodiscard]] bool saveShowFile(const Application& app, std::string_view showName);
// Copies the show's file over the current show table; a missing file leaves it unchanged.
[[nodiscard]] bool loadShowFile(const Application& app, std::string_view showName);
// Deletes "lb/" + fileTitle + ".dat": the title as the show list shows it, taken literally.
[[nodiscard]] bool deleteShowFile(const Application& app, std::string_view fileTitle);

} // namespace app
