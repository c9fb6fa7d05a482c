#pragma once
// Checks that need the whole window or all windows: ids complete and unique, every
// component inside its container.

#include "tools/tmplc/window_source.h"

#include <vector>

namespace tmplc {

// Throws SourceError at the first fault.
void checkWindows(const std::vector<WindowSource>& windows);

} // namespace tmplc
