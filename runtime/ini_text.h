#pragma once
// The content of an INI file: lookup and edits on its bytes. Edits touch only the lines they
// must; comments, blank lines, order, spacing and the other sections stay byte for byte.
//
// Layout: "[section]" lines open sections, "key=value" lines inside them hold entries.
// Names are compared without surrounding blanks and without regard to ASCII letter case
// (the bytes of double-byte characters compare exactly; a trail byte 0x5D is no "]").
// A value loses its surrounding blanks and one pair of enclosing quotes. Lines end in
// CR LF or LF. Any other line is kept but means nothing.

#include "runtime/text.h"

#include <optional>

namespace runtime {

// The value of the first key of that name in the first section of that name.
[[nodiscard]] std::optional<Text> findIniValue(
    std::string_view content, std::string_view section, std::string_view key);

// The content after setting section/key to value. No value removes the key, no key removes
// the section. Nothing when an edit would break the layout: an empty name, a line break
// in any argument, "]" in the section name, "=" in the key, or a key and value whose line
// would read as a section header ("[a" and "b]").
[[nodiscard]] std::optional<Text> editIni(std::string_view content, std::string_view section,
    const std::optional<Text>& key, const std::optional<Text>& value);

} // namespace runtime
