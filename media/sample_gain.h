#pragma once
// A fixed gain on decoded samples (signed 16-bit, native order): how a track is brought to
// the hall's common loudness before the device. Not the master volume, which the fades own.
// Pure arithmetic on the caller's thread.

#include <cstdint>
#include <span>

namespace media {

// Multiplies every sample of `samples` by `gain`, rounding and holding the result within
// the 16-bit range; a gain of 1 leaves the bytes untouched.
void applyGain(std::span<std::uint8_t> samples, float gain);

} // namespace media
