#pragma once
// Texts made from and read back out of slot records: the heading that stands for a slot in
// the tree and the style list, its style, and a track's title from its path.

#include "runtime/text.h"

#include <string_view>

namespace app {

using runtime::Text;

// "序号" + two spaces + "曲风": the text of a slot's heading.
[[nodiscard]] Text slotHeading(std::string_view number, std::string_view style);

// The style of a heading: everything after its first two-space separator, so a style that
// itself holds two spaces stays whole. "" when there is no separator.
[[nodiscard]] Text styleFromHeading(std::string_view heading);
// The number of a heading: everything before its first two-space separator; the whole
// heading when there is none.
[[nodiscard]] Text numberFromHeading(std::string_view heading);

// The file name after the last "\" or "/" without its last four bytes (the ".mp3"). A "\"
// that is the second byte of a double-byte character does not split.
[[nodiscard]] Text trackTitleFromPath(std::string_view path);

} // namespace app
