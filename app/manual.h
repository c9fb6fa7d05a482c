#pragma once
// Where the operator's manual is: beside the program's folder, as an installation lays it out
// (<prefix>/bin/dancehall and <prefix>/share/doc/dancehall/manual) and as the build assembles
// it (build/dist/dancehall and build/share/doc/dancehall/manual).

#include "runtime/text.h"

#include <string_view>

namespace app {

// The manual's first page as a file address, for the desktop's browser to open.
// programDirectory: the folder of the program file, GBK, without a trailing "/".
[[nodiscard]] runtime::Text manualAddress(std::string_view programDirectory);

} // namespace app
