#include "media/media_length.h"

#include "media/file_source.h"
#include "media/track_file.h"

#include <cstring>

namespace media {
namespace {

std::uint32_t littleEndian32(const std::uint8_t* b)
{
    return b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
}

// A RIFF/WAVE file's length from its format and data chunks, read chunk header by chunk
// header; nothing when the file is not one.
std::optional<std::int64_t> waveLengthMillis(Source fd, std::int64_t fileLength)
{
    std::uint8_t riff[12];
    if (!readAt(fd, 0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0
        || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::uint32_t bytesPerSecond = 0;
    for (std::int64_t at = 12; at + 8 <= fileLength;) {
        std::uint8_t chunk[16];
        if (!readAt(fd, at, chunk, 8))
            return std::nullopt;
        std::int64_t size = littleEndian32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= fileLength) {
            if (!readAt(fd, at + 8, chunk, 16))
                return std::nullopt;
            bytesPerSecond = littleEndian32(chunk + 8);
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (bytesPerSecond == 0)
                return std::nullopt;
            std::int64_t present = std::min(size, fileLength - at - 8);
            return present * 1000 / bytesPerSecond;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<std::int64_t> waveLengthMillis(
    const std::string& nativePath, platform::FileSystem& files)
{
    const int fd = files.open(nativePath, platform::Access::read);
    if (fd < 0)
        return std::nullopt;
    platform::FileStatus status;
    std::optional<std::int64_t> length;
    if (files.status(fd, status) == 0 && status.regular)
        length = waveLengthMillis(Source { files, fd }, status.size);
    files.close(fd);
    return length;
}

} // namespace

std::optional<std::int64_t> mediaLengthMillis(
    const std::string& nativePath, platform::FileSystem& files)
{
    if (auto length = waveLengthMillis(nativePath, files))
        return length;
    auto track = TrackFile::open(nativePath, files);
    if (!track)
        return std::nullopt;
    TrackInfo info = track->info();
    if (!info.exactTotals) {
        auto counted = track->countFrames();
        if (!counted)
            return std::nullopt;
        info = *counted;
    }
    return info.totalSamples * 1000 / info.header.sampleRate;
}

} // namespace media
