// Fuzz harness for the MPEG audio track reader: opening a track (tag skip, frame search,
// first-frame and Xing analysis, totals), reading all its audio, the seek-by-percent and
// progress arithmetic, and the length measurement. Every input must give consistent
// figures; a crash, a hang or a sanitizer report (a read outside the input) fails too.
//
// Usage: media_mp3_fuzz CORPUS_DIR [MUTATIONS [SEED]] | FILE (tests/support/fuzz_driver.h).

#include "fuzz_driver.h"
#include "media/media_length.h"
#include "media/mpeg_frame.h"
#include "media/track_file.h"
#include "media/track_position.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace {

using namespace media;
using fuzz::Bytes;

// How many inputs got past each stage, printed so that a corpus gone stale shows.
long opened = 0, measured = 0;

bool failed(const char* what)
{
    std::fprintf(stderr, "media_mp3_fuzz: %s\n", what);
    return false;
}

bool sameHeader(const FrameHeader& a, const FrameHeader& b)
{
    return a.version == b.version && a.layer == b.layer && a.bitrateKbps == b.bitrateKbps
        && a.sampleRate == b.sampleRate && a.mono == b.mono && a.padded == b.padded
        && a.frameLength == b.frameLength && a.samplesPerFrame == b.samplesPerFrame;
}

bool sameXing(const std::optional<XingHeader>& a, const std::optional<XingHeader>& b)
{
    if (!a || !b)
        return !a && !b;
    return a->flags == b->flags && a->frameCount == b->frameCount && a->byteCount == b->byteCount
        && a->seekTable == b->seekTable && a->quality == b->quality;
}

// The figures of an opened track, checked against the bytes of the file.
bool checkTrack(const TrackFile& track, std::span<const std::uint8_t> file)
{
    const TrackInfo& info = track.info();
    const auto size = std::int64_t(file.size());
    if (info.fileLength != size)
        return failed("file length differs from the input");
    if (info.readStart < 0 || info.audioLength <= 0 || info.readStart + info.audioLength > size)
        return failed("audio range outside the file");
    const std::int64_t audioEnd = info.readStart + info.audioLength;
    if (info.firstFrame < info.readStart || info.firstFrame + 4 > audioEnd)
        return failed("first frame outside the audio");

    const auto frame
        = file.subspan(std::size_t(info.firstFrame), std::size_t(audioEnd - info.firstFrame));
    const auto header = parseFrameHeader(frame);
    if (!header || !sameHeader(*header, info.header))
        return failed("first frame header differs from the bytes at its offset");
    // An implausible frame count drops the tag; otherwise it is what the bytes say.
    if (info.xing && !sameXing(parseXingHeader(frame), info.xing))
        return failed("Xing header differs from the bytes of the first frame");
    if (parseXingHeader(frame).has_value() != info.firstFrameIsTag)
        return failed("tag frame not noticed");
    if (info.totalFrames < 0 || info.durationMs < 0)
        return failed("negative totals for a track with audio");
    if (info.xing && (info.xing->flags & 1) && info.totalFrames != info.xing->frameCount)
        return failed("Xing frame count not used");
    if (info.xing && (info.xing->flags & 1) && info.xing->frameCount == 0)
        return failed("a Xing frame count of 0 trusted");

    // The reader delivers exactly the audio bytes, and nothing of the trailer.
    std::uint8_t buffer[4096];
    std::int64_t offset = 0;
    for (long n; (n = track.read(offset, buffer, sizeof buffer)) > 0; offset += n) {
        if (offset + n > info.audioLength
            || std::memcmp(buffer, file.data() + info.readStart + offset, std::size_t(n)) != 0)
            return failed("read delivers bytes outside the audio or other bytes");
    }
    if (offset != info.audioLength)
        return failed("read stops before the end of the audio");
    if (track.read(-1, buffer, sizeof buffer) != 0 || track.read(audioEnd, buffer, 1) != 0)
        return failed("read outside the audio range gives bytes");

    std::int64_t lastOffset = 0;
    for (int percent : { -20, 0, 1, 10, 33, 50, 77, 98, 99, 100, 101, 1000 }) {
        const SeekTarget target = seekTarget(info, percent);
        if (target.byteOffset < 0 || target.byteOffset > info.audioLength)
            return failed("seek target outside the audio");
        if (target.framesPlayed < 0 || target.framesPlayed > info.totalFrames)
            return failed("seek target frame outside the track");
        // Without a table, the offset grows with the percent; a table may go backwards.
        if (!(info.xing && info.xing->seekTable) && target.byteOffset < lastOffset)
            return failed("seek target moves backwards");
        lastOffset = target.byteOffset;
        const int progress = progressPercent(target.framesPlayed, info.totalFrames);
        if (progress < 0 || progress > 99)
            return failed("progress outside 0..99");
    }
    return true;
}

// The track reader and the length measurement take a path: each input goes into a file that
// lives in memory only, opened by its /proc path. Nothing is written to a disk.
class MemoryFile {
public:
    MemoryFile()
        : fd_(::memfd_create("media_mp3_fuzz", MFD_CLOEXEC))
    {
        if (fd_ < 0)
            throw std::runtime_error("memfd_create failed");
    }
    ~MemoryFile() { ::close(fd_); }

    // The input as the file's whole content.
    bool hold(const Bytes& input) const
    {
        return ::ftruncate(fd_, 0) == 0
            && ::pwrite(fd_, input.data(), input.size(), 0) == ssize_t(input.size());
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

bool check(const Bytes& input)
{
    static const MemoryFile memory;
    const std::string path = memory.path();
    if (!memory.hold(input))
        return failed("the input does not fit in memory");
    // An exact-size copy: the sanitizer then reports any read past the last byte.
    const std::size_t size = input.size();
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[std::max<std::size_t>(size, 1)]);
    if (size > 0)
        std::memcpy(exact.get(), input.data(), size);
    const std::span<const std::uint8_t> file(exact.get(), size);

    const auto length = mediaLengthMillis(path);
    if (length && *length < 0)
        return failed("negative length");
    measured += length.has_value();
    if (auto track = TrackFile::open(path)) {
        ++opened;
        if (!length)
            return failed("a track that opens has no length");
        return checkTrack(*track, file);
    }
    return true;
}

constexpr std::string_view tokens[] = { "\xFF\xFB\x90\x64", "\xFF\xF3\x40\xC4", "\xFF\xFD", "Xing",
    "Info", "ID3\x03", "ID3\x04", "TAG", "RIFF", "WAVE", "fmt ", "data" };

} // namespace

fuzz::Harness fuzz::makeHarness()
{
    fuzz::MutationOptions options;
    options.tokens = tokens;
    return { "media_mp3_fuzz", options, check, [] {
                std::printf("media_mp3_fuzz: %ld inputs opened as tracks, %ld measured\n", opened,
                    measured);
            } };
}
