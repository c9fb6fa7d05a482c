#pragma once
// An MPEG audio track opened for playing: where its audio lies between the tags, what its
// first frame says, and its totals. Owns its file descriptor; used by one thread at a time.
//
// Layout rules, offsets from the start of the file:
//   0     3   "ID3"          a tag header; only major version 3 is skipped as a tag
//   3     1   major version
//   5     1   flags          0x40: extended header (its size is counted in the tag size)
//   6     4   tag size       7 bits per byte, most significant first, after the 10 bytes
//   end-128   "TAG" ...      a 128-byte trailer, not audio
// The first frame must lie within the first MiB after a leading tag of any version; a file
// with no MPEG audio there is not a track.

#include "media/mpeg_frame.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace media {

struct TrackInfo {
    std::int64_t fileLength = 0;
    std::int64_t readStart = 0; // first byte the reader delivers (after a skipped tag)
    std::int64_t audioLength = 0; // bytes from readStart to the trailer
    std::int64_t firstFrame = 0; // file offset of the first confirmed frame
    FrameHeader header {};
    bool firstFrameIsTag = false; // carries a Xing or Info tag, no audio
    std::optional<XingHeader> xing; // only with a frame count the file can hold, if any
    std::int64_t totalFrames = -1; // -1 when there is no audio
    std::int64_t totalSamples = -1; // per channel, without the encoder's delay and padding
    bool exactTotals = false; // counted by the tag or by a walk, not estimated from the size
    double durationMs = -1;
};

class TrackFile {
public:
    // Opens a native path; nothing when it is not a regular file (a FIFO or device would
    // block or never end), cannot be read, or holds no MPEG audio frame.
    [[nodiscard]] static std::optional<TrackFile> open(
        const std::string& nativePath, platform::FileSystem& files = platform::systemFileSystem());

    TrackFile(TrackFile&& other) noexcept;
    TrackFile& operator=(TrackFile&&) = delete;
    ~TrackFile();

    const TrackInfo& info() const { return info_; }
    // The file at `nativePath` is this one: not removed, renamed away or replaced since open.
    bool stillAt(const std::string& nativePath) const;

    // Reads audio bytes from `offset` (counted from readStart) on; never returns trailer
    // bytes. Returns the count read, 0 at the end of the audio, -1 on a read error.
    [[nodiscard]] long read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) const;

    // Totals by counting every frame (see frame_walk.h); nothing when the walk did not
    // reach the end. `keepGoing` as for walkFrames.
    [[nodiscard]] std::optional<TrackInfo> countFrames(
        const std::function<bool()>& keepGoing = nullptr) const;
    // The offset from readStart of frame `index` (the tag frame not counted), by walking.
    [[nodiscard]] std::optional<std::int64_t> frameOffset(
        std::int64_t index, const std::function<bool()>& keepGoing = nullptr) const;

private:
    TrackFile(platform::FileSystem& files, int fd, TrackInfo info);

    platform::FileSystem* files_;
    int fd_;
    TrackInfo info_;
};

// Frames and duration from the first frame and the audio length (the Xing frame count wins),
// without the encoder's delay and padding when the tag gives them.
void computeTotals(TrackInfo& info);

} // namespace media
