#pragma once
// The track files an operator hands over at once: folders opened up into their tracks, the
// lot put in name order, and whether a file can be played at all. Reads the disk; touches no
// table and no window.

#include "runtime/text.h"

#include <optional>
#include <vector>

namespace app {

using runtime::Text;

// Every chosen file, and the ".mp3" files directly inside every chosen folder, sorted by
// file name as an operator reads it (see comesBeforeByName). Each path once.
[[nodiscard]] std::vector<Text> tracksOfChoice(const std::vector<Text>& chosen);

// File-name order in which "2 …" comes before "10 …": runs of digits compare by value,
// everything else byte by byte, ASCII letters without case. Equal names fall back to the path.
[[nodiscard]] bool comesBeforeByName(const Text& leftPath, const Text& rightPath);

// Why the track cannot be played, or nothing when it can: the operator's reason text.
[[nodiscard]] std::optional<Text> whyUnplayable(const Text& path);

} // namespace app
