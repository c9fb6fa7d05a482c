#pragma once
// What start-up checks and mends in the hall folder before the operator works on it: the
// temporary files a crash during a save or an import leaves behind, a saved show that is
// damaged (it must not replace a good current show), and a current show table left
// half-edited (a deleted slot not yet packed away, slot numbers with a gap).

#include "runtime/text.h"

#include <optional>
#include <vector>

namespace app {

class Application;
struct Slot;
using runtime::Text;

// Removes the temporary files of interrupted saves in the hall folder and in lb/, and
// finishes or undoes an interrupted import, telling the operator which. Only with the hall's
// lock held.
void settleCrashLeftovers(Application& app);

// What is wrong with a slot table file (a GBK path) as the operator should read it: a
// damaged file, or one without the four text fields of a slot. Nothing when it is whole.
// The file is only read.
[[nodiscard]] std::optional<Text> slotTableProblem(Application& app, const Text& path);

// What loading a show does when its file is missing: start-up passes over it (the table it
// left stays current), while a show the operator picked from the list is said not to load.
enum class MissingShowFile { passOver, report };

// Copies the show's file over the current show table when it checks whole; true when it was
// copied. A damaged file, or a copy that fails, is named in a message and the current table
// stays; a missing file changes nothing either, with a message only when `missing` says so.
[[nodiscard]] bool loadCheckedShow(Application& app, const Text& showName, MissingShowFile missing);

// Checks the current show table, telling the operator when it is damaged; otherwise packs
// away slots marked deleted and renumbers the slots when their numbers have a gap (unless
// the hall is read-only, app/read_only_hall.h). Gives the
// slots as readCurrentShow gives them afterwards: when nothing needed mending, from the same
// read that looked for it.
[[nodiscard]] std::vector<Slot> repairCurrentShow(Application& app);

} // namespace app
