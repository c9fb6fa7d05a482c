#pragma once
// What the program does on the private sound server the test command started (PULSE_SERVER),
// read with pactl as an operator's mixer shows it. Everything is nothing without that server.

#include <optional>

namespace gui::desktop {

// Playback streams on the server.
std::optional<int> playingStreams();
// Volume of the default sink's first channel, 0 … 65536.
std::optional<int> sinkVolume();

} // namespace gui::desktop
