#include "media/track_file.h"

#include "media/file_source.h"
#include "media/frame_walk.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace media {
namespace {

constexpr std::size_t trailerSize = 128;
constexpr std::int64_t searchLimit = 1 << 20;
// Frames are at most 2881 bytes, so a window this much larger than its step sees every
// candidate's successor.
constexpr std::size_t searchStep = 64 * 1024;
constexpr std::size_t searchOverlap = 4096;

std::int64_t synchsafe(const std::uint8_t* b)
{
    return std::int64_t(b[0] & 0x7F) << 21 | (b[1] & 0x7F) << 14 | (b[2] & 0x7F) << 7
        | (b[3] & 0x7F);
}

struct LeadingTag {
    std::int64_t readStart = 0; // after a version-3 tag, after the 10 bytes of another
    std::int64_t end = 0; // after a tag of any version (and its footer)
};

// Reading starts after a version-3 tag, after the 10 bytes of any other "ID3" header (the
// frame search then resynchronises), else at the first byte.
LeadingTag leadingTagOf(Source fd, std::int64_t fileLength)
{
    std::uint8_t header[10];
    if (fileLength < 10 || !readAt(fd, 0, header, sizeof header)
        || std::memcmp(header, "ID3", 3) != 0)
        return {};
    std::int64_t end = 10 + synchsafe(header + 6) + ((header[5] & 0x10) ? 10 : 0);
    if (header[3] != 3)
        return { 10, end };
    return { 10 + synchsafe(header + 6), end };
}

bool hasTrailer(Source fd, std::int64_t fileLength)
{
    std::uint8_t tag[3];
    return fileLength >= std::int64_t(trailerSize)
        && readAt(fd, fileLength - trailerSize, tag, sizeof tag) && std::memcmp(tag, "TAG", 3) == 0;
}

std::optional<std::int64_t> findFirstFrameIn(Source fd, std::int64_t from, std::int64_t end)
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

namespace {

void setTotals(TrackInfo& info, std::int64_t frames, std::int64_t samples, bool exact)
{
    if (info.xing && info.xing->gap)
        samples -= info.xing->gap->delay + info.xing->gap->padding;
    info.totalFrames = frames;
    info.totalSamples = std::max<std::int64_t>(0, samples);
    info.exactTotals = exact;
    info.durationMs = double(info.totalSamples) * 1000.0 / info.header.sampleRate;
}

// A frame count of 0, or more frames than the audio bytes could hold, is not to be trusted.
// A constant-rate tag can be held to the bytes both ways: a file cut short claims more frames
// than it holds, and files joined after the tag was written claim far fewer.
bool plausibleCount(const TrackInfo& info)
{
    const XingHeader& xing = *info.xing;
    if (!(xing.flags & 1) || xing.frameCount == 0)
        return false;
    const std::int64_t claimed = xing.frameCount;
    if (!xing.constantRate)
        return claimed * smallestFrameLength(info.header) <= info.audioLength;
    const std::int64_t frameBytes = info.header.frameLength - int(info.header.padded);
    const std::int64_t bytes
        = info.readStart + info.audioLength - info.firstFrame - info.header.frameLength;
    return claimed * frameBytes <= bytes && claimed * frameBytes * 10 >= bytes * 9;
}

} // namespace

void computeTotals(TrackInfo& info)
{
    if (info.audioLength <= 0 || info.header.frameLength <= 0) {
        info.totalFrames = -1;
        info.totalSamples = -1;
        info.durationMs = -1;
        return;
    }
    if (info.xing && !plausibleCount(info) && (info.xing->flags & 1))
        info.xing.reset();
    // The frame's own sample count: 384 for layer I, where a version-wide 1152 would
    // triple the duration.
    const std::int64_t perFrame = info.header.samplesPerFrame;
    if (info.xing && (info.xing->flags & 1)) {
        setTotals(info, info.xing->frameCount, info.xing->frameCount * perFrame, true);
    } else {
        std::int64_t frames = info.audioLength / info.header.frameLength;
        setTotals(info, frames, frames * perFrame, false);
    }
}

std::optional<TrackFile> TrackFile::open(const std::string& nativePath, platform::FileSystem& files)
{
    const int descriptor = files.open(nativePath, platform::Access::read);
    if (descriptor < 0)
        return std::nullopt;
    const Source fd { files, descriptor };
    platform::FileStatus status;
    TrackInfo info;
    if (files.status(descriptor, status) == 0 && status.regular) {
        info.fileLength = status.size;
        LeadingTag tag = leadingTagOf(fd, info.fileLength);
        info.readStart = tag.readStart;
        std::int64_t end = info.fileLength - (hasTrailer(fd, info.fileLength) ? trailerSize : 0);
        info.audioLength = std::max<std::int64_t>(0, end - info.readStart);
        std::int64_t searchEnd = std::min(end, std::max(tag.end, info.readStart) + searchLimit);
        if (auto first = findFirstFrameIn(fd, info.readStart, searchEnd)) {
            std::uint8_t frame[512] = {};
            std::size_t size = std::min<std::int64_t>(sizeof frame, end - *first);
            if (readAt(fd, *first, frame, size)) {
                info.firstFrame = *first;
                info.header = *parseFrameHeader({ frame, size });
                info.xing = parseXingHeader({ frame, size });
                info.firstFrameIsTag = info.xing.has_value();
                computeTotals(info);
                return TrackFile(files, descriptor, info);
            }
        }
    }
    files.close(descriptor);
    return std::nullopt;
}

std::optional<TrackInfo> TrackFile::countFrames(const std::function<bool()>& keepGoing) const
{
    if (info_.totalFrames < 0)
        return std::nullopt;
    std::int64_t from = info_.firstFrame + (info_.firstFrameIsTag ? info_.header.frameLength : 0);
    FrameWalk walk = walkFrames(*files_, fd_, from, info_.readStart + info_.audioLength,
        info_.header, std::numeric_limits<std::int64_t>::max(), keepGoing);
    if (!walk.complete)
        return std::nullopt;
    TrackInfo counted = info_;
    setTotals(counted, walk.frames, walk.samples, true);
    return counted;
}

std::optional<std::int64_t> TrackFile::frameOffset(
    std::int64_t index, const std::function<bool()>& keepGoing) const
{
    std::int64_t from = info_.firstFrame + (info_.firstFrameIsTag ? info_.header.frameLength : 0);
    FrameWalk walk = walkFrames(
        *files_, fd_, from, info_.readStart + info_.audioLength, info_.header, index, keepGoing);
    if (walk.frames < index && !walk.complete)
        return std::nullopt;
    return walk.offset - info_.readStart;
}

TrackFile::TrackFile(platform::FileSystem& files, int fd, TrackInfo info)
    : files_(&files)
    , fd_(fd)
    , info_(std::move(info))
{
}

TrackFile::TrackFile(TrackFile&& other) noexcept
    : files_(other.files_)
    , fd_(std::exchange(other.fd_, -1))
    , info_(other.info_)
{
}

TrackFile::~TrackFile()
{
    if (fd_ >= 0)
        files_->close(fd_);
}

bool TrackFile::stillAt(const std::string& nativePath) const
{
    platform::FileStatus opened;
    platform::FileStatus named;
    const int descriptor = files_->open(nativePath, platform::Access::read);
    if (descriptor < 0)
        return false;
    const bool same = files_->status(fd_, opened) == 0 && files_->status(descriptor, named) == 0
        && opened.device == named.device && opened.inode == named.inode;
    (void)files_->close(descriptor); // read-only: nothing to lose
    return same;
}

long TrackFile::read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) const
{
    if (offset < 0 || offset >= info_.audioLength)
        return 0;
    size = std::min<std::int64_t>(size, info_.audioLength - offset);
    std::int64_t n = files_->readAt(fd_, buffer, std::int64_t(size), info_.readStart + offset);
    return n < 0 ? -1 : long(n);
}

} // namespace media
