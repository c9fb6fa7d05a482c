#pragma once
// libmpg123 in feed mode: the reader stage hands it bytes, it hands back one frame of
// samples at a time in the format the output was opened with. One thread at a time.

#include "media/audio_output.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct mpg123_handle_struct;

namespace media {

class MpegDecoder {
public:
    // Nothing when libmpg123 refuses the handle or the format.
    [[nodiscard]] static std::unique_ptr<MpegDecoder> create(const AudioFormat& format);
    ~MpegDecoder();
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;

    [[nodiscard]] bool feed(std::span<const std::uint8_t> bytes);

    enum class Status { frame, needMore, failed };
    struct Frame {
        Status status;
        std::span<std::uint8_t> samples; // valid until the next call
    };
    // The next frame, decoded into the start of `into` when any frame fits there (the
    // samples then need no copy), else into the decoder's own buffer.
    Frame decodeFrame(std::span<std::uint8_t> into = {});

private:
    explicit MpegDecoder(mpg123_handle_struct* handle);
    mpg123_handle_struct* handle_;
    std::vector<std::uint8_t> own_; // as large as any frame can decode to
};

} // namespace media
