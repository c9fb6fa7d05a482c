#pragma once
// Which show names can be saved. A name becomes the file "lb/<name without spaces>.dat", and
// is written under a temporary name eight bytes longer first, so a name must stay one plain
// file name inside "lb" with room for that.

#include "runtime/text.h"

#include <optional>

namespace app {

using runtime::Text;

// What is wrong with a show name, as the message for the operator; nothing when it can be
// saved. folderNameMax: the longest file name the folder "lb" takes, in bytes on disk.
[[nodiscard]] std::optional<Text> showNameProblem(std::string_view name, long folderNameMax);

// The longest file name of the folder (a GBK path), 255 when the system does not say.
[[nodiscard]] long longestFileName(std::string_view gbkFolder);

} // namespace app
