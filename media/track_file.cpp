#include "media/track_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

namespace media {
namespace {

constexpr std::size_t trailerSize = 128;
// Frames are at most 2881 bytes, so a window this much larger than its step sees every
// candidate's successor.
constexpr std::size_t searchStep = 64 * 1024;
constexpr std::size_t searchOverlap = 4096;

bool readAt(int fd, std::int64_t offset, std::uint8_t* buffer, std::size_t size)
{
    return pread(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

std::int64_t synchsafe(const std::uint8_t* b)
{
    return std::int64_t(b[0] & 0x7F) << 21 | (b[1] & 0x7F) << 14 | (b[2] & 0x7F) << 7
        | (b[3] & 0x7F);
}

// Where reading starts: after a version-3 tag, after the 10 bytes of any other "ID3"
// header (the frame search then resynchronises), else at the first byte.
std::int64_t readStartOf(int fd, std::int64_t fileLength)
{
    std::uint8_t header[10];
    if (fileLength < 10 || !readAt(fd, 0, header, sizeof header)
        || std::memcmp(header, "ID3", 3) != 0)
        return 0;
    if (header[3] != 3)
        return 10;
    return 10 + synchsafe(header + 6);
}

bool hasTrailer(int fd, std::int64_t fileLength)
{
    std::uint8_t tag[3];
    return fileLength >= std::int64_t(trailerSize)
        && readAt(fd, fileLength - trailerSize, tag, sizeof tag) && std::memcmp(tag, "TAG", 3) == 0;
}

std::optional<std::int64_t> findFirstFrameIn(int fd, std::int64_t from, std::int64_t end)
{
    std::vector<std::uint8_t> window(searchStep + searchOverlap);
    for (std::int64_t at = from; at < end; at += searchStep) {
        std::size_t size = std::min<std::int64_t>(window.size(), end - at);
        if (!readAt(fd, at, window.data(), size))
            return std::nullopt;
        bool last = at + std::int64_t(size) == end;
        auto found = findFirstFrame({ window.data(), size }, last);
        if (found && (last || *found < searchStep))
            return at + std::int64_t(*found);
    }
    return std::nullopt;
}

} // namespace

void computeTotals(TrackInfo& info)
{
    if (info.audioLength <= 0 || info.header.frameLength <= 0) {
        info.totalFrames = -1;
        info.durationMs = -1;
        return;
    }
    if (info.xing && (info.xing->flags & 1))
        info.totalFrames = info.xing->frameCount;
    else
        info.totalFrames = info.audioLength / info.header.frameLength;
    // The frame's own sample count: 384 for layer I, where a version-wide 1152 would
    // triple the duration.
    double frameDuration = info.header.samplesPerFrame * 1000.0 / info.header.sampleRate;
    info.durationMs = info.totalFrames * frameDuration;
}

std::optional<TrackFile> TrackFile::open(const std::string& nativePath)
{
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    TrackInfo info;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        info.fileLength = st.st_size;
        info.readStart = readStartOf(fd, info.fileLength);
        std::int64_t end = info.fileLength - (hasTrailer(fd, info.fileLength) ? trailerSize : 0);
        info.audioLength = std::max<std::int64_t>(0, end - info.readStart);
        if (auto first = findFirstFrameIn(fd, info.readStart, end)) {
            std::uint8_t frame[512] = {};
            std::size_t size = std::min<std::int64_t>(sizeof frame, end - *first);
            if (readAt(fd, *first, frame, size)) {
                info.firstFrame = *first;
                info.header = *parseFrameHeader({ frame, size });
                info.xing = parseXingHeader({ frame, size });
                computeTotals(info);
                return TrackFile(fd, info);
            }
        }
    }
    ::close(fd);
    return std::nullopt;
}

TrackFile::TrackFile(int fd, TrackInfo info)
    : fd_(fd)
    , info_(std::move(info))
{
}

TrackFile::TrackFile(TrackFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , info_(other.info_)
{
}

TrackFile::~TrackFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

long TrackFile::read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) const
{
    if (offset < 0 || offset >= info_.audioLength)
        return 0;
    size = std::min<std::int64_t>(size, info_.audioLength - offset);
    ssize_t n = pread(fd_, buffer, size, info_.readStart + offset);
    return n < 0 ? -1 : long(n);
}

} // namespace media
