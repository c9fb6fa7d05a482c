#pragma once
// The show the operator last had current, remembered in the hall folder so that the next
// start opens it again instead of whichever show file the folder lists first.
//
// It is kept in a file of its own, "lastshow.ini" (section "场次", key "当前场次"), rather than
// in ss.dat: the sections of ss.dat are style names, and a style of any name must never
// meet the program's own entry there.

namespace app {

class Application;

// Remembers the caption of 标签场次: a saved show's name, or "新建场次" for a show never saved.
// A memory that cannot be written costs nothing but the convenience: the next start opens
// the first show of the list, as without one.
void rememberCurrentShow(Application& app);

// Start-up: selects the remembered show in the show list and names it; true when its file is
// to be loaded. A show never saved is named "新建场次" and stays in the table as it was left
// (false). When the remembered show is gone, the first show of the list is chosen, as without
// a memory.
[[nodiscard]] bool chooseLastShow(Application& app);

} // namespace app
