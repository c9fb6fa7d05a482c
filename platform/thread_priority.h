#pragma once
// Background work that must never hold up playback or the interface: the calling thread
// gives way to every ordinary thread of the system.

namespace platform {

// Moves the calling thread (not the process) to the idle class where the kernel has one,
// else to the lowest nice value. False when neither was allowed; the thread then runs on at
// its priority, which is slower to yield but not wrong.
[[nodiscard]] bool lowerThreadPriority();

} // namespace platform
