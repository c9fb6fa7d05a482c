#pragma once
// The views of the current show table: the slot tree of the main window with the play queue,
// and the slot list of the style editor. Each rebuilds its view from the table as it is now.

#include "runtime/text.h"

#include <cstdint>
#include <vector>

namespace app {

class Application;
struct Slot;

// Rebuilds 树型框1: per record a heading "序号  曲风" (item 2k−2) with the track title, or
// "选择更换舞曲" for a slot without one, as its child (item 2k−1); every item expanded and the
// top shown. Then the play queue from the same records, and the tracks' lengths beside them.
// Lengths and loudness are measured from now, or, at the start, from a moment after the
// window has come up.
enum class Measuring { now, afterStart };
void refreshShowView(Application& app, Measuring measuring = Measuring::now);
// The same from slots just read as readCurrentShow reads them.
void refreshShowView(Application& app, const std::vector<Slot>& slots, Measuring measuring);

// Replaces playQueue with the paths of the slots that have a track, in record order, and
// playQueueRecords with their record numbers.
void buildPlayQueue(Application& app, const std::vector<Slot>& slots);

// Rebuilds the style editor's slot list, one row "序号  曲风" per record, none selected.
void refreshStyleList(Application& app);

// The tree item of the track at a 1-based queue position; -1 outside the queue.
[[nodiscard]] std::int32_t trackItemOfQueuePosition(const Application& app, std::int32_t position);
// The 1-based queue position of a record's track; 0 when that slot has no track.
[[nodiscard]] std::int32_t queuePositionOfRecord(const Application& app, std::int32_t record);

// The style of the selected item of 树型框1 when it is a track item, else "".
[[nodiscard]] runtime::Text styleOfSelectedTrack(Application& app);

} // namespace app
