#pragma once
// The slot whose track the sequencer plays, followed through edits of the show: what names it
// is its record and its path, never a bare queue position, because filling, inserting or
// deleting slots before it moves every position behind. Also the serials that tell the
// reports of the current player from those of a replaced one. Interface thread only.

#include "app/play_position.h"

#include "runtime/text.h"

#include <cstdint>
#include <vector>

namespace app {

using runtime::Text;

struct PlayingSlot {
    std::int32_t record = 0; // record of the slot in the current show; 0 before the first start
    Text path; // the track being played (currentTrackPath)
    Text style; // the slot's style when its track was chosen; a resume keeps it
    std::int32_t heldPercent = 0; // the last progress reported, where a resume starts
    PlayPosition position; // of the track, for the evening log
    // Serial of the player started last, 0 while none plays: reports carry it, and a report
    // with any other serial comes from a player that was replaced or stopped.
    std::int32_t playerSerial = 0;
    // Serial of the player that started the track from its beginning; a resume keeps it, so
    // the style status is applied once per track and not again at every resume.
    std::int32_t trackSerial = 0;
    std::int32_t lastSerial = 0; // the last serial given out
};

// Where the playing slot stands in a play queue of paths and their record numbers.
class QueueView {
public:
    QueueView(const std::vector<Text>& paths, const std::vector<std::int32_t>& records)
        : paths_(paths)
        , records_(records)
    {
    }

    [[nodiscard]] std::int32_t length() const { return static_cast<std::int32_t>(paths_.size()); }
    // The 1-based position holding the playing track: of the entries with its path, the one
    // whose record lies nearest to the slot's (an edit shifts records by a few); 0 when the
    // track is no longer in the queue (its slot was deleted or given another track).
    [[nodiscard]] std::int32_t positionOf(const PlayingSlot& slot) const;
    // The position after the playing slot, 0 past the end: after its position when it is
    // still there, else the slot that took its place (the first record at or after it).
    [[nodiscard]] std::int32_t positionAfter(const PlayingSlot& slot) const;
    // The position before the playing slot, 0 when there is none.
    [[nodiscard]] std::int32_t positionBefore(const PlayingSlot& slot) const;
    [[nodiscard]] std::int32_t recordAt(std::int32_t position) const;
    const Text& pathAt(std::int32_t position) const;

private:
    const std::vector<Text>& paths_;
    const std::vector<std::int32_t>& records_;
};

} // namespace app
