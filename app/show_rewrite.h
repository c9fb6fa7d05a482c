#pragma once
// Writing a whole new order of slots into the current show: reordering and adding many tracks
// at once. The new show is built in the scratch table, which replaces the show table only
// when every step worked, so a failed write never leaves the show short of a slot or with a
// slot twice.

#include "app/show_tables.h"

#include <vector>

namespace app {

class Application;

// The current show becomes `slots`, in this order, numbered 1, 2, … (their "序号" is not
// read). False, with the show table unchanged, when any step failed.
[[nodiscard]] bool replaceCurrentShow(Application& app, const std::vector<Slot>& slots);

} // namespace app
