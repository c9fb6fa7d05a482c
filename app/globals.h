#pragma once
// The application's global state: what the handlers of every window share between events,
// each feature's state in a type of its own. Only currentStyle and lightLock are touched by
// threads other than the interface thread.

#include "app/fades.h"
#include "app/opening_schedule.h"
#include "app/playing_slot.h"
#include "app/style_status.h"

#include "runtime/text.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace app {

using runtime::Text;

// A text written on the interface thread at each track start and read by the light threads
// of the previous and the new track; the lock keeps a reader from seeing a half-made copy.
class SharedText {
public:
    SharedText() = default;
    SharedText(const SharedText& other)
        : text_(other.get())
    {
    }
    SharedText& operator=(const SharedText& other)
    {
        set(other.get());
        return *this;
    }

    [[nodiscard]] Text get() const
    {
        std::lock_guard lock(mutex_);
        return text_;
    }
    void set(Text text)
    {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }

private:
    mutable std::mutex mutex_;
    Text text_;
};

// What the show-name dialog (SaveShowDialog) is open for.
enum class ShowNamePurpose { saveAs, rename, duplicate };

struct Globals {
    PlayingSlot playing; // the track being played and the slot it came from
    Fades fades;
    std::int32_t trackLightThread = 0; // handle of the running light program thread
    std::int32_t styleLightThread = 0; // handle of the latest style light application
    SharedText currentStyle; // style of the current track, read by the light threads
    std::int32_t lightLock = 0; // critical section serialising style light applications
    std::vector<Text> playQueue; // track paths of the current show, in record order
    // The record of each playQueue entry: slots without a track make the two numberings
    // differ, and the tree and the current style follow records, not queue positions.
    std::vector<std::int32_t> playQueueRecords;
    OpeningSchedule opening;
    StyleStatus styleStatus;
    float volumeFactor = 0; // style volume percent / 100
    Text chosenStyle; // style picked in the style chooser
    std::array<Text, 16> channelState; // "0" dark, "1" lit, per channel of the settings window
    ShowNamePurpose showNamePurpose = ShowNamePurpose::saveAs;
    Text showNameSource; // the saved show being renamed or duplicated, as the show list names it
};

// Puts every global at its initial value, the play queue empty.
void initGlobals(Globals& globals);
// The clean-up routine run at the program's end: frees the texts and the play queue. The
// light lock is left to the shutdown sequence, which deletes it. Nothing is destroyed, so a
// light thread still running reads an empty style rather than freed memory.
void releaseGlobals(Globals& globals);

} // namespace app
