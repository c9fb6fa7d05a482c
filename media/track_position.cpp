#include "media/track_position.h"

#include <algorithm>

namespace media {

SeekTarget seekTarget(const TrackInfo& info, int percent)
{
    std::int64_t p = std::clamp(percent, 0, 100);
    if (info.xing && info.xing->seekTable) {
        const auto& table = *info.xing->seekTable;
        std::int64_t i = std::min<std::int64_t>(p, 99);
        double a = table[i];
        double b = i == 99 ? 256.0 : table[i + 1];
        double offset = (a + (b - a) * double(p - i)) / 256.0 * double(info.audioLength);
        return { std::int64_t(offset), p * info.totalFrames / 100 };
    }
    if (info.header.frameLength <= 0)
        return { 0, 0 };
    std::int64_t frame = p * info.audioLength / info.header.frameLength / 100;
    // A tag's frame count may be less than the bytes hold: the track ends where it says.
    if (info.totalFrames > 0 && frame > info.totalFrames) {
        frame = info.totalFrames;
        return { std::min(frame * info.header.frameLength, info.audioLength), frame };
    }
    return { frame * info.header.frameLength, frame };
}

SeekTarget seekTarget(const TrackInfo& info, TrackStart start)
{
    if (start.unit == TrackStart::Unit::percent)
        return seekTarget(info, static_cast<int>(std::clamp<std::int64_t>(start.amount, -1, 101)));
    const FrameHeader& header = info.header;
    if (start.amount <= 0 || header.sampleRate <= 0 || header.samplesPerFrame <= 0
        || header.frameLength <= 0)
        return { 0, 0 };
    std::int64_t frame = start.amount * header.sampleRate / 1000 / header.samplesPerFrame;
    if (info.totalFrames > 0)
        frame = std::min(frame, info.totalFrames);
    if (info.xing && info.xing->seekTable && info.totalFrames > 0) {
        const auto& table = *info.xing->seekTable;
        const double percent = double(frame) * 100.0 / double(info.totalFrames);
        const auto i = std::min<std::int64_t>(std::int64_t(percent), 99);
        const double a = table[i];
        const double b = i == 99 ? 256.0 : table[i + 1];
        const double offset
            = (a + (b - a) * (percent - double(i))) / 256.0 * double(info.audioLength);
        return { std::int64_t(offset), frame };
    }
    return { std::min(frame * header.frameLength, info.audioLength), frame };
}

int progressPercent(std::int64_t framesPlayed, std::int64_t totalFrames)
{
    if (totalFrames == 0)
        return 0;
    double x = double(framesPlayed) * 100.0 / double(totalFrames);
    return int(std::clamp(x, 0.0, 99.0));
}

} // namespace media
