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
    return { frame * info.header.frameLength, frame };
}

int progressPercent(std::int64_t framesPlayed, std::int64_t totalFrames)
{
    if (totalFrames == 0)
        return 0;
    double x = double(framesPlayed) * 100.0 / double(totalFrames);
    return int(std::clamp(x, 0.0, 99.0));
}

} // namespace media
