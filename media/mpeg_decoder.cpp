#include "media/mpeg_decoder.h"

#include <mpg123.h>

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

MpegDecoder::Frame MpegDecoder::decodeFrame()
{
    for (;;) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = mpg123_decode_frame(handle_, &frameNumber, &audio, &bytes);
        switch (result) {
        case MPG123_OK:
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
