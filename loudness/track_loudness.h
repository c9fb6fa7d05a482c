#pragma once
// How loud a track is: its integrated loudness, loudness range and true peak, measured by
// decoding it through the same reader and decoder as playback and metering the samples.
// Runs on whichever thread calls it (a below-normal worker in the program, the caller in
// the tool); it is not for the interface thread, a track takes a good second to measure.

#include "platform/file_system.h"

#include <atomic>
#include <string>
#include <variant>

namespace loudness {

struct Loudness {
    double integratedLufs = 0; // -inf for a track that is silent throughout
    double rangeLu = 0;
    double truePeakDbtp = 0; // -inf for digital silence
};

enum class Failure {
    unreadable, // not a track: cannot be opened, holds no MPEG audio, or the meter refused it
    cancelled, // `stop` was set before the end
};

using Measurement = std::variant<Loudness, Failure>;

// Decodes the whole of `nativePath`; `stop` is checked once per block of decoded audio so
// a measurement in progress ends within milliseconds of being asked. A stream damaged part
// way is measured as far as it decodes, as playback plays that far.
[[nodiscard]] Measurement measureTrack(const std::string& nativePath, const std::atomic<bool>& stop,
    platform::FileSystem& files = platform::systemFileSystem());

} // namespace loudness
