#include "media/media_length.h"

#include "media/mpeg_frame.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace media {
namespace {

std::uint32_t littleEndian32(const std::uint8_t* b)
{
    return b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
}

// The audio between a leading tag of any version and a trailing "TAG" block.
std::span<const std::uint8_t> untagged(std::span<const std::uint8_t> file)
{
    if (file.size() >= 128 && std::memcmp(file.data() + file.size() - 128, "TAG", 3) == 0)
        file = file.first(file.size() - 128);
    if (file.size() >= 10 && std::memcmp(file.data(), "ID3", 3) == 0) {
        const std::uint8_t* h = file.data();
        std::size_t size = 10
            + (std::size_t(h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7
                | (h[9] & 0x7F));
        if (h[5] & 0x10) // a footer follows the tag
            size += 10;
        file = file.subspan(std::min(size, file.size()));
    }
    return file;
}

bool carriesEncoderInfo(std::span<const std::uint8_t> frame, const FrameHeader& header)
{
    std::size_t at = xingOffset(header);
    return frame.size() >= at + 4
        && (std::memcmp(frame.data() + at, "Xing", 4) == 0
            || std::memcmp(frame.data() + at, "Info", 4) == 0);
}

} // namespace

std::optional<std::int64_t> mpegLengthMillis(std::span<const std::uint8_t> file)
{
    auto audio = untagged(file);
    auto start = findFirstFrame(audio, true);
    if (!start)
        return std::nullopt;
    auto firstFrame = audio.subspan(*start);
    const FrameHeader first = *parseFrameHeader(firstFrame);
    if (auto xing = parseXingHeader(firstFrame); xing && (xing->flags & 1))
        return std::int64_t(xing->frameCount) * first.samplesPerFrame * 1000 / first.sampleRate;

    std::int64_t samples = 0;
    std::size_t at = *start;
    if (carriesEncoderInfo(firstFrame, first))
        at += first.frameLength;
    while (at + 4 <= audio.size()) {
        auto header = parseFrameHeader(audio.subspan(at));
        if (header && sameStream(*header, first) && at + header->frameLength <= audio.size()) {
            samples += header->samplesPerFrame;
            at += header->frameLength;
            continue;
        }
        // Damage in the stream: carry on at the next confirmed frame.
        auto next = findFirstFrame(audio.subspan(at + 1), true);
        if (!next)
            break;
        at += 1 + *next;
    }
    return samples * 1000 / first.sampleRate;
}

std::optional<std::int64_t> waveLengthMillis(std::span<const std::uint8_t> file)
{
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0
        || std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::uint32_t bytesPerSecond = 0;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::uint8_t* chunk = file.data() + at;
        std::uint64_t size = littleEndian32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= file.size())
            bytesPerSecond = littleEndian32(chunk + 8 + 8);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (bytesPerSecond == 0)
                return std::nullopt;
            std::uint64_t present = std::min<std::uint64_t>(size, file.size() - at - 8);
            return std::int64_t(present * 1000 / bytesPerSecond);
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<std::int64_t> mediaLengthMillis(const std::string& nativePath)
{
    // Read, not mapped: a file cut short while we measure must not crash the program.
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(nativePath, error);
    std::ifstream in(nativePath, std::ios::binary);
    if (error || size == 0 || !in)
        return std::nullopt;
    std::vector<std::uint8_t> file(size);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(file.data()), size);
    file.resize(in.gcount());
    if (auto length = waveLengthMillis(file))
        return length;
    return mpegLengthMillis(file);
}

} // namespace media
