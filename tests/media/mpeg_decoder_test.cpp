// The decoder gives the same samples whether it decodes into its own buffer or straight into
// the caller's memory, and falls back to its own where the caller's is too small for a frame.

#include "media/mpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace media {
namespace {

std::vector<std::uint8_t> fileBytes(const std::string& name)
{
    std::ifstream file(std::string(MEDIA_TEST_DATA) + "/" + name, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

struct Decoded {
    std::vector<std::uint8_t> samples;
    int frames = 0;
    int inPlace = 0; // frames whose samples start where the caller's memory starts
};

// Every sample of the file, each frame decoded into the memory `into()` gives.
template <typename Into> Decoded decodeAll(const std::string& name, Into into)
{
    auto decoder = MpegDecoder::create({ 44100, 2 });
    EXPECT_TRUE(decoder);
    if (!decoder)
        return {};
    const std::vector<std::uint8_t> bytes = fileBytes(name);
    EXPECT_FALSE(bytes.empty());
    std::vector<std::uint8_t> samples;
    int frames = 0, inPlace = 0;
    std::size_t fed = 0;
    for (;;) {
        std::span<std::uint8_t> space = into();
        MpegDecoder::Frame frame = decoder->decodeFrame(space);
        if (frame.status == MpegDecoder::Status::frame) {
            inPlace += !space.empty() && frame.samples.data() == space.data();
            ++frames;
            samples.insert(samples.end(), frame.samples.begin(), frame.samples.end());
            continue;
        }
        if (frame.status == MpegDecoder::Status::failed || fed == bytes.size())
            break;
        const std::size_t piece = std::min<std::size_t>(4096, bytes.size() - fed);
        EXPECT_TRUE(decoder->feed({ bytes.data() + fed, piece }));
        fed += piece;
    }
    return { samples, frames, inPlace };
}

TEST(MpegDecoder, SamplesAreTheSameInItsOwnBufferTheCallersOrATooSmallOne)
{
    const Decoded own = decodeAll("cbr_stereo_44k.mp3", [] { return std::span<std::uint8_t>(); });
    ASSERT_GT(own.samples.size(), 44100u * 4) << "less than a second decoded";

    std::vector<std::uint8_t> large(1 << 20);
    const Decoded direct
        = decodeAll("cbr_stereo_44k.mp3", [&] { return std::span<std::uint8_t>(large); });
    EXPECT_EQ(direct.samples, own.samples);
    // The first frame too, whose samples start after the encoder's delay.
    EXPECT_EQ(direct.inPlace, direct.frames);

    std::vector<std::uint8_t> small(1000);
    const Decoded fallback
        = decodeAll("cbr_stereo_44k.mp3", [&] { return std::span<std::uint8_t>(small); });
    EXPECT_EQ(fallback.samples, own.samples);
    EXPECT_EQ(fallback.inPlace, 0);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](std::uint8_t b) { return b == 0; }))
        << "a frame was written into memory too small for it";
}

} // namespace
} // namespace media
