#pragma once
// Whether the current show holds work that no show file keeps, and the question asked before
// such work is thrown away (loading a show, starting a new one, quitting).

namespace app {

class Application;

// True when the current show table holds what no saved file has: slots of a show that was
// never saved (or whose file is gone), or a saved show whose file differs from the table.
[[nodiscard]] bool showHasUnsavedChanges(Application& app);

// Asks "当前场次有未保存的修改，是否放弃？" when there is such work; true when it may go.
[[nodiscard]] bool mayDiscardCurrentShow(Application& app);

// The same question at the end of the program. The work the operator lets go is dropped from
// the hall too, so the next start does not show it again: a saved show is loaded from its
// file then anyway; a show without one leaves the table empty and is forgotten, and the next
// start opens the first saved show as without a memory. True when the program may end.
[[nodiscard]] bool mayEndDiscardingCurrentShow(Application& app);

} // namespace app
