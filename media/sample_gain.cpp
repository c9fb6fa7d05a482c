#include "media/sample_gain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace media {

void applyGain(std::span<std::uint8_t> samples, float gain)
{
    if (gain == 1.0f)
        return;
    // Copied in and out: the decoder's bytes need not be aligned for a 16-bit access.
    for (std::size_t at = 0; at + 2 <= samples.size(); at += 2) {
        std::int16_t sample;
        std::memcpy(&sample, samples.data() + at, 2);
        float scaled = std::nearbyint(float(sample) * gain);
        sample = std::int16_t(std::clamp(scaled, -32768.0f, 32767.0f));
        std::memcpy(samples.data() + at, &sample, 2);
    }
}

} // namespace media
