#pragma once
// The application's global state: what the handlers of every window share between events.
// Only currentStyle and lightLock are touched by threads other than the interface thread.

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

    Text get() const
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
    Text currentTrackPath; // full path of the track being played
    std::int32_t currentTrackNumber = 0; // 1-based position in playQueue
    std::int32_t fadeInStep = 0;
    std::int32_t trackLightThread = 0; // handle of the running light program thread
    SharedText currentStyle; // style of the current track
    std::int32_t lightLock = 0; // critical section serialising style light applications
    std::vector<Text> playQueue; // track paths of the current show, in record order
    // The record of each playQueue entry: slots without a track make the two numberings
    // differ, and the tree and the current style follow records, not queue positions.
    std::vector<std::int32_t> playQueueRecords;
    double scheduledOpening = 0; // date-time of day of a scheduled opening
    std::int32_t openingPending = 0; // 1 while a scheduled opening is more than 30 s away
    std::int32_t appliedTrackNumber = 0; // track whose style settings were last applied
    float volumeFactor = 0; // style volume percent / 100
    Text appliedStyle; // style whose settings were last applied
    Text chosenStyle; // style picked in the style chooser
    std::array<Text, 16> channelState; // "0" dark, "1" lit, per channel of the settings window
    Text scheduledHourText, scheduledMinuteText;
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
