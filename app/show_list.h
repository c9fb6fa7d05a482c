#pragma once
// The list of saved shows on the main window (超级列表框1): one row "*  <name>" per show file
// in the folder "lb" (".dat" in any case, GBK names too), sorted by name so the show that
// becomes current at start-up is always the same one.

#include "runtime/text.h"

#include <cstdint>
#include <vector>

namespace app {

class Application;

// Rebuilds the list from the show files; after a show is saved or deleted too.
void fillShowList(Application& app);

// The show name of a row: its text without the three-byte "*  " prefix, "" when the row
// is no longer than that or does not exist.
[[nodiscard]] runtime::Text showNameOfRow(Application& app, std::int32_t row);
// The show name of every row, in row order.
[[nodiscard]] std::vector<runtime::Text> savedShowNames(Application& app);

} // namespace app
