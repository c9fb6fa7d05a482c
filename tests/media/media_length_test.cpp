#include "media/media_length.h"
#include "media/mpeg_frame.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace media {
namespace {

using test::track;

struct Length {
    const char* file;
    int millis; // exact, from the decoded sample count
};

class MeasuredLength : public testing::TestWithParam<Length> { };

TEST_P(MeasuredLength, IsExactToTheFrame)
{
    auto millis = mediaLengthMillis(track(GetParam().file));
    ASSERT_TRUE(millis);
    EXPECT_NEAR(*millis, GetParam().millis, 1);
}

// The length of the sound the encoder was given where its tag says (3 s for most files,
// 50 ms for short.mp3), else every decoded sample: the files without a tag, and the cut
// one whose tag claims more frames than it holds.
constexpr int ms(int samples, int rate)
{
    return int(std::int64_t(samples) * 1000 / rate);
}
INSTANTIATE_TEST_SUITE_P(Files, MeasuredLength,
    testing::Values(Length { "cbr_stereo_44k.mp3", 3000 }, Length { "cbr_mono_44k.mp3", 3000 },
        Length { "mpeg2_22k.mp3", 3000 }, Length { "mpeg25_8k.mp3", ms(25344, 8000) },
        Length { "vbr_xing.mp3", 3000 }, Length { "vbr_no_xing.mp3", ms(133632, 44100) },
        Length { "layer2.mp3", ms(132480, 44100) }, Length { "id3v1.mp3", 3000 },
        Length { "id3v23_extended.mp3", 3000 }, Length { "id3v24.mp3", 3000 },
        Length { "truncated.mp3", ms(65664, 44100) }, Length { "short.mp3", 50 },
        Length { "wave_1500ms.wav", 1500 }),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(MeasuredLength, OtherFilesHaveNone)
{
    EXPECT_FALSE(mediaLengthMillis(track("random.mp3")));
    EXPECT_FALSE(mediaLengthMillis(track("empty.mp3")));
    EXPECT_FALSE(mediaLengthMillis(track("missing.mp3")));
    EXPECT_FALSE(mediaLengthMillis(MEDIA_TEST_DATA));
    EXPECT_FALSE(mediaLengthMillis(track("make-test-files.sh")));
}

TEST(MeasuredLength, WaveHeaderIsBoundsChecked)
{
    std::vector<std::uint8_t> wave = { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a',
        't', 'a', 0xFF, 0xFF, 0xFF, 0xFF };
    EXPECT_FALSE(mediaLengthMillis(test::scratchFile("nofmt.wav", wave))); // no format chunk
    std::vector<std::uint8_t> huge = { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm',
        't', ' ', 0xF0, 0xFF, 0xFF, 0xFF };
    EXPECT_FALSE(mediaLengthMillis(test::scratchFile("huge.wav", huge)));
}

// The content decides, never the name: a path the application stores may hold spaces,
// quotes or percent signs, and its extension may say anything.
TEST(MeasuredLength, ComesFromTheContentWhateverTheName)
{
    auto mpeg = test::readFile(track("cbr_stereo_44k.mp3"));
    auto wave = test::readFile(track("wave_1500ms.wav"));
    auto measure = [](const char* name, const std::vector<std::uint8_t>& bytes) {
        return mediaLengthMillis(test::scratchFile(name, bytes)).value_or(-1);
    };
    EXPECT_NEAR(measure("a \"quoted\" %s name.mp3", mpeg), 3000, 1);
    EXPECT_NEAR(measure("mpeg audio.wav", mpeg), 3000, 1);
    EXPECT_NEAR(measure("wave.MP3", wave), 1500, 1);
    EXPECT_NEAR(measure("noextension", mpeg), 3000, 1);
}

// Prefixes and a spread of single-byte changes of a real track: nothing may read past the
// bytes there are (the sanitizer build checks), and a prefix never grows longer.
TEST(DamagedInput, IsMeasuredWithinItsBytes)
{
    auto file = test::readFile(test::track("vbr_xing.mp3"));
    ASSERT_GT(file.size(), 4096u);
    std::int64_t whole = *mediaLengthMillis(test::track("vbr_xing.mp3"));
    for (std::size_t n = 0; n < 4096; n += 13) {
        std::vector<std::uint8_t> prefix(file.begin(), file.begin() + n);
        auto length = mediaLengthMillis(test::scratchFile("prefix.mp3", prefix));
        if (length && !parseXingHeader(prefix)) {
            EXPECT_LE(*length, whole);
        }
    }
    for (std::size_t at = 0; at < 2048; at += 5) {
        auto damaged = file;
        damaged[at] ^= 0x5A;
        // Any length or none: what counts is that the reading stays within the bytes.
        (void)mediaLengthMillis(test::scratchFile("damaged.mp3", damaged));
        (void)parseXingHeader(std::span(damaged).subspan(at));
    }
}

} // namespace
} // namespace media
