#pragma once
// MPEG audio frame headers (layers I-III, MPEG-1, 2 and 2.5) and the Xing header that
// variable-bit-rate encoders put in the first frame. Pure parsing, no I/O.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace media {

enum class MpegVersion { mpeg1, mpeg2, mpeg25 };

struct FrameHeader {
    MpegVersion version;
    int layer; // 1, 2 or 3
    int bitrateKbps;
    int sampleRate;
    bool mono; // channel mode 3
    bool padded;
    int frameLength; // bytes, header included
    int samplesPerFrame; // samples decoded from this frame, per channel
};

// The 4 bytes at the start of `bytes` as a frame header, or nothing when they are not a
// valid one (no sync, reserved fields, free format).
[[nodiscard]] std::optional<FrameHeader> parseFrameHeader(std::span<const std::uint8_t> bytes);

// True when two headers can belong to the same stream; used to confirm a sync candidate.
[[nodiscard]] bool sameStream(const FrameHeader& a, const FrameHeader& b);

// Offset of the first frame in `bytes` followed by a matching header. When `bytes` ends the
// stream, a frame that ends exactly at its end needs no successor.
[[nodiscard]] std::optional<std::size_t> findFirstFrame(
    std::span<const std::uint8_t> bytes, bool endsStream);

// What the encoder added around the audio: silence before the first sample (encoder delay)
// and after the last (padding), in samples, from the LAME extension of the tag.
struct EncoderGap {
    int delay = 0;
    int padding = 0;
};

// The "Xing" tag of a variable-rate file, or the "Info" tag of the same layout that encoders
// put in a constant-rate one. Either frame carries no audio.
struct XingHeader {
    bool constantRate = false; // "Info": every frame has the first one's bit rate
    std::uint32_t flags = 0;
    std::uint32_t frameCount = 0; // flag 1
    std::uint32_t byteCount = 0; // flag 2
    std::optional<std::array<std::uint8_t, 100>> seekTable; // flag 4
    std::uint32_t quality = 0; // flag 8
    std::optional<EncoderGap> gap;
};

// Offset of the Xing header from the frame start: side-information size plus the header.
[[nodiscard]] int xingOffset(const FrameHeader& header);

// The Xing or Info header in the frame at the start of `frame`, when there is one.
[[nodiscard]] std::optional<XingHeader> parseXingHeader(std::span<const std::uint8_t> frame);

// The shortest frame the stream of `header` can have (lowest bit rate, no padding), so a
// claimed frame count can be checked against the bytes there are.
[[nodiscard]] int smallestFrameLength(const FrameHeader& header);

// The longest frame of any stream (layer II, 160 kbit/s at 8 kHz, padded).
constexpr std::size_t longestFrameLength = 2881;

} // namespace media
