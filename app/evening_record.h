#pragma once
// One snapshot of the evening as the evening log keeps it: which show, which slot, where in
// its track, the style status and the pending opening, and how the program stood. Each
// record is whole on its own, so reading the log needs only its last good record.
//
// Payload layout, little-endian; a text is a u32 byte count then its GBK bytes:
//   offset  width  meaning
//   0       1      format version, 1
//   1       1      state (EveningState)
//   2       4      show fingerprint (showFingerprint of its slots)
//   6       4      record of the playing slot in the show, i32
//   10      8      play position in the track, ms, i64 ≥ 0
//   18      8      time left until the style's fade-out, ms, i64; -1 without a limit
//   26      8      opening time (date-time as a double's bits)
//   34      1      1 while the opening is pending
//   35      text   show name, then the track path, the style, the opening's hour and minute
// Not for anything the operator reads: the log is rewritten freely and never shown.

#include "runtime/text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class EveningState : std::uint8_t {
    playing = 1,
    paused = 2,
    stopped = 3, // the operator stopped, or the show came to its end
    endedNormally = 4, // the program closed the way it should
};

struct EveningRecord {
    EveningState state = EveningState::stopped;
    runtime::Text showName;
    std::uint32_t showFingerprint = 0;
    std::int32_t slotRecord = 0;
    runtime::Text trackPath;
    runtime::Text style;
    std::int64_t positionMillis = 0;
    std::int64_t timeLimitLeftMillis = -1;
    bool openingPending = false;
    double openingTime = 0;
    runtime::Text openingHour, openingMinute;

    bool operator==(const EveningRecord&) const = default;
};

// A record's payload bytes; decodeEveningRecord gives back an equal record.
[[nodiscard]] std::string encodeEveningRecord(const EveningRecord& record);
// Nothing when the bytes are not a whole payload of the known version.
[[nodiscard]] std::optional<EveningRecord> decodeEveningRecord(std::string_view payload);

// What tells a show's tracks apart from those of a changed show: each track's path and the
// record of its slot, in order (a play queue and its records).
[[nodiscard]] std::uint32_t showFingerprint(
    const std::vector<runtime::Text>& paths, const std::vector<std::int32_t>& records);

} // namespace app
