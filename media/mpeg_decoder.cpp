#include "media/mpeg_decoder.h"

#include <mpg123.h>

#include <cstring>

namespace media {

std::unique_ptr<MpegDecoder> MpegDecoder::create(const AudioFormat& format)
{
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return nullptr;
    std::unique_ptr<MpegDecoder> decoder(new MpegDecoder(handle));
    int channels = format.channels == 1 ? MPG123_MONO : MPG123_STEREO;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0) != MPG123_OK
        || mpg123_format_none(handle) != MPG123_OK
        || mpg123_format(handle, format.sampleRate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK
        || mpg123_open_feed(handle) != MPG123_OK)
        return nullptr;
    return decoder;
}

MpegDecoder::MpegDecoder(mpg123_handle* handle)
    : handle_(handle)
    , own_(mpg123_safe_buffer())
{
}

MpegDecoder::~MpegDecoder()
{
    mpg123_delete(handle_);
}

bool MpegDecoder::feed(std::span<const std::uint8_t> bytes)
{
    return mpg123_feed(handle_, bytes.data(), bytes.size()) == MPG123_OK;
}

MpegDecoder::Frame MpegDecoder::decodeFrame(std::span<std::uint8_t> into)
{
    // libmpg123 decodes each frame to the start of the buffer it was last given.
    const bool direct = into.size() >= own_.size();
    std::span<std::uint8_t> target = direct ? into : std::span(own_);
    if (mpg123_replace_buffer(handle_, target.data(), target.size()) != MPG123_OK)
        return { Status::failed, {} };
    for (;;) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = mpg123_decode_frame(handle_, &frameNumber, &audio, &bytes);
        switch (result) {
        case MPG123_OK:
            // The first frame's samples start after the encoder's delay; the caller finds
            // them at the start of its memory.
            if (direct && audio != into.data()) {
                std::memmove(into.data(), audio, bytes);
                audio = into.data();
            }
            return { Status::frame, { audio, bytes } };
        case MPG123_NEW_FORMAT:
            // The format is forced at creation, so a new one only needs acknowledging.
            continue;
        case MPG123_NEED_MORE:
            return { Status::needMore, {} };
        default:
            return { Status::failed, {} };
        }
    }
}

} // namespace media
