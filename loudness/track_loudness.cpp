#include "loudness/track_loudness.h"

#include "media/mpeg_decoder.h"
#include "media/track_file.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace loudness {
namespace {

// The reader stage's chunk: a few hundred frames, so a stop is seen a few times a second
// even on a slow machine.
constexpr std::size_t chunkSize = 64 * 1024;

struct MeterDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

double decibels(double linear)
{
    return linear > 0 ? 20 * std::log10(linear) : -HUGE_VAL;
}

// The figures of everything added so far; nothing when the meter reports an error.
std::optional<Loudness> readMeter(ebur128_state* meter, unsigned channels)
{
    Loudness result;
    if (ebur128_loudness_global(meter, &result.integratedLufs) != EBUR128_SUCCESS
        || ebur128_loudness_range(meter, &result.rangeLu) != EBUR128_SUCCESS)
        return std::nullopt;
    double peak = 0;
    for (unsigned channel = 0; channel < channels; ++channel) {
        double channelPeak = 0;
        if (ebur128_true_peak(meter, channel, &channelPeak) != EBUR128_SUCCESS)
            return std::nullopt;
        peak = std::max(peak, channelPeak);
    }
    result.truePeakDbtp = decibels(peak);
    return result;
}

} // namespace

Measurement measureTrack(
    const std::string& nativePath, const std::atomic<bool>& stop, platform::FileSystem& files)
{
    auto file = media::TrackFile::open(nativePath, files);
    if (!file)
        return Failure::unreadable;
    const media::FrameHeader& header = file->info().header;
    const media::AudioFormat format { header.sampleRate, header.mono ? 1 : 2 };
    auto decoder = media::MpegDecoder::create(format);
    const auto channels = unsigned(format.channels);
    Meter meter(ebur128_init(channels, static_cast<unsigned long>(format.sampleRate),
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK));
    if (!decoder || !meter)
        return Failure::unreadable;

    std::vector<std::uint8_t> chunk(chunkSize);
    std::vector<short> samples;
    std::int64_t offset = file->info().firstFrame - file->info().readStart;
    for (bool more = true; more;) {
        if (stop.load(std::memory_order_relaxed))
            return Failure::cancelled;
        long n = file->read(offset, chunk.data(), chunk.size());
        // A read error ends the audio there, as it ends playback.
        if (n <= 0 || !decoder->feed({ chunk.data(), std::size_t(n) }))
            break;
        offset += n;
        for (;;) {
            media::MpegDecoder::Frame frame = decoder->decodeFrame();
            if (frame.status == media::MpegDecoder::Status::needMore)
                break;
            if (frame.status == media::MpegDecoder::Status::failed) {
                more = false;
                break;
            }
            // Decoded bytes are 16-bit native samples; copied so their alignment is right.
            samples.resize(frame.samples.size() / sizeof(short));
            std::copy_n(frame.samples.data(), samples.size() * sizeof(short),
                reinterpret_cast<std::uint8_t*>(samples.data()));
            if (ebur128_add_frames_short(meter.get(), samples.data(), samples.size() / channels)
                != EBUR128_SUCCESS)
                return Failure::unreadable;
        }
    }
    auto figures = readMeter(meter.get(), channels);
    if (!figures)
        return Failure::unreadable;
    return *figures;
}

} // namespace loudness
