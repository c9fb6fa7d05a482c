#include "media/mpeg_frame.h"

#include <algorithm>

namespace media {
namespace {

// Bit rates in kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; index 0 (free format) and 15
// are not playable here.
constexpr int bitrates[2][3][16] = {
    {
        { 0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0 },
        { 0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0 },
        { 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0 },
    },
    {
        { 0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0 },
        { 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0 },
        { 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0 },
    },
};
constexpr int mpeg1SampleRates[3] = { 44100, 48000, 32000 };

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16
        | std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

} // namespace

std::optional<FrameHeader> parseFrameHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0)
        return std::nullopt;
    int versionBits = (bytes[1] >> 3) & 3;
    int layerBits = (bytes[1] >> 1) & 3;
    int bitrateIndex = bytes[2] >> 4;
    int rateIndex = (bytes[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3)
        return std::nullopt;

    FrameHeader h {};
    h.version = versionBits == 3 ? MpegVersion::mpeg1
        : versionBits == 2       ? MpegVersion::mpeg2
                                 : MpegVersion::mpeg25;
    h.layer = 4 - layerBits;
    bool mpeg1 = h.version == MpegVersion::mpeg1;
    h.bitrateKbps = bitrates[mpeg1 ? 0 : 1][h.layer - 1][bitrateIndex];
    if (h.bitrateKbps == 0)
        return std::nullopt;
    int divisor = mpeg1 ? 1 : h.version == MpegVersion::mpeg2 ? 2 : 4;
    h.sampleRate = mpeg1SampleRates[rateIndex] / divisor;
    h.padded = bytes[2] & 2;
    h.mono = (bytes[3] >> 6) == 3;

    int bitsPerSecond = h.bitrateKbps * 1000;
    if (h.layer == 1) {
        h.samplesPerFrame = 384;
        h.frameLength = (12 * bitsPerSecond / h.sampleRate + h.padded) * 4;
    } else if (h.layer == 2 || mpeg1) {
        h.samplesPerFrame = 1152;
        h.frameLength = 144 * bitsPerSecond / h.sampleRate + h.padded;
    } else {
        h.samplesPerFrame = 576;
        h.frameLength = 72 * bitsPerSecond / h.sampleRate + h.padded;
    }
    return h;
}

bool sameStream(const FrameHeader& a, const FrameHeader& b)
{
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

std::optional<std::size_t> findFirstFrame(std::span<const std::uint8_t> bytes, bool endsStream)
{
    for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
        auto header = parseFrameHeader(bytes.subspan(at));
        if (!header)
            continue;
        std::size_t next = at + header->frameLength;
        if (next == bytes.size() && endsStream)
            return at;
        if (next + 4 > bytes.size())
            continue;
        auto following = parseFrameHeader(bytes.subspan(next));
        if (following && sameStream(*header, *following))
            return at;
    }
    return std::nullopt;
}

int smallestFrameLength(const FrameHeader& header)
{
    std::uint8_t lowest[4] = { 0xFF, 0, 0x10, 0 };
    int versionBits = header.version == MpegVersion::mpeg1 ? 3
        : header.version == MpegVersion::mpeg2             ? 2
                                                           : 0;
    lowest[1] = std::uint8_t(0xE0 | versionBits << 3 | (4 - header.layer) << 1);
    for (int rateIndex = 0; rateIndex < 3; ++rateIndex) {
        lowest[2] = std::uint8_t(0x10 | rateIndex << 2);
        auto h = parseFrameHeader(lowest);
        if (h && h->sampleRate == header.sampleRate)
            return h->frameLength;
    }
    return 1;
}

int xingOffset(const FrameHeader& header)
{
    if (header.version == MpegVersion::mpeg1)
        return header.mono ? 21 : 36;
    return header.mono ? 13 : 21;
}

std::optional<XingHeader> parseXingHeader(std::span<const std::uint8_t> frame)
{
    auto header = parseFrameHeader(frame);
    if (!header)
        return std::nullopt;
    std::size_t at = xingOffset(*header);
    auto need = [&](std::size_t n) { return at + n <= frame.size(); };
    auto tagIs = [&](const char* name) {
        return need(4) && std::equal(name, name + 4, frame.begin() + std::ptrdiff_t(at));
    };
    if (!need(8) || !(tagIs("Xing") || tagIs("Info")))
        return std::nullopt;
    XingHeader xing;
    xing.constantRate = tagIs("Info");
    xing.flags = bigEndian32(frame, at + 4);
    at += 8;
    if (xing.flags & 1) {
        if (!need(4))
            return std::nullopt;
        xing.frameCount = bigEndian32(frame, at);
        at += 4;
    }
    if (xing.flags & 2) {
        if (!need(4))
            return std::nullopt;
        xing.byteCount = bigEndian32(frame, at);
        at += 4;
    }
    if (xing.flags & 4) {
        if (!need(100))
            return std::nullopt;
        std::array<std::uint8_t, 100> table;
        for (std::size_t i = 0; i < 100; ++i)
            table[i] = frame[at + i];
        xing.seekTable = table;
        at += 100;
    }
    if (xing.flags & 8) {
        if (!need(4))
            return std::nullopt;
        xing.quality = bigEndian32(frame, at);
        at += 4;
    }
    // The LAME extension (also written by libavcodec): delay and padding, 12 bits each, at
    // byte 21 of it.
    if ((tagIs("LAME") || tagIs("Lavc") || tagIs("Lavf")) && need(24)) {
        const std::uint8_t* g = frame.data() + at + 21;
        xing.gap = EncoderGap { g[0] << 4 | g[1] >> 4, (g[1] & 0x0F) << 8 | g[2] };
    }
    return xing;
}

} // namespace media
