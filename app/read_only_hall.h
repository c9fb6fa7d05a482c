#pragma once
// A hall folder the program may not write: a read-only mount, or a folder without write
// permission for this user. No copy of the program can damage such a hall, so the program
// runs on it without the single-instance lock and plays as usual, but it writes nothing
// there: the start says so once, and every command that would change the hall's files is
// refused before it begins, with one clear message, rather than failing half-way or in
// silence.

#include "runtime/text.h"

namespace app {

class Application;

// At start-up, once the hall is known to be read-only: tells the operator that changes
// cannot be saved, naming the folder and why.
void tellHallIsReadOnly(Application& app, const runtime::Text& why);

// The first step of every command that writes into the hall folder: true, after telling the
// operator, when the hall is read-only and the command must stop here.
[[nodiscard]] bool refusedInReadOnlyHall(Application& app);

} // namespace app
