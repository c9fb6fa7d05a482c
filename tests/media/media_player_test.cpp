#include "media/media_length.h"
#include "media/media_player.h"
#include "media/mpeg_frame.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace media {
namespace {

using test::track;

TEST(MediaPlayerNames, ExtensionAndDeviceType)
{
    EXPECT_EQ(extensionOf("/music/Track.MP3"), "mp3");
    EXPECT_EQ(extensionOf("/music/film.rmvb"), "rmv");
    EXPECT_EQ(extensionOf("noextension"), "noe");
    EXPECT_EQ(extensionOf("a.b/track"), "b/t");
    EXPECT_EQ(extensionOf("x."), "");
    EXPECT_STREQ(deviceTypeFor("mp3"), "MPEGvideo");
    EXPECT_STREQ(deviceTypeFor("wma"), "MPEGvideo2");
    EXPECT_STREQ(deviceTypeFor("wmv"), "MPEGvideo");
    EXPECT_STREQ(deviceTypeFor("rmv"), "MPEGvideo");
    EXPECT_STREQ(deviceTypeFor("wav"), "waveaudio");
    EXPECT_STREQ(deviceTypeFor("mid"), "Sequencer");
    EXPECT_STREQ(deviceTypeFor("avi"), "avivideo");
}

TEST(MediaPlayerNames, AliasIsARandomGuidWithoutHyphens)
{
    std::string a = newDeviceAlias();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_NE(a, newDeviceAlias());
}

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

class MediaPlayerTest : public testing::Test {
protected:
    MediaControl control;
    MediaPlayer player { control };
};

TEST_F(MediaPlayerTest, OpensMeasuresAndCloses)
{
    ASSERT_TRUE(player.openMedia(track("cbr_stereo_44k.mp3")));
    EXPECT_FALSE(player.hasVideo());
    EXPECT_EQ(player.mediaLength(), 3);
    EXPECT_TRUE(player.closeMedia());
    EXPECT_FALSE(player.closeMedia());
    EXPECT_EQ(player.mediaLength(), 0);
}

TEST_F(MediaPlayerTest, SecondOpenReplacesTheFirst)
{
    ASSERT_TRUE(player.openMedia(track("wave_1500ms.wav")));
    ASSERT_TRUE(player.openMedia(track("truncated.mp3")));
    EXPECT_EQ(player.mediaLength(), 1);
    EXPECT_TRUE(player.closeMedia());
    EXPECT_FALSE(control.isOpen(player.alias()));
}

TEST_F(MediaPlayerTest, FailedOpenKeepsPathAndExtension)
{
    EXPECT_FALSE(player.openMedia(track("random.mp3")));
    EXPECT_EQ(player.path(), track("random.mp3"));
    EXPECT_EQ(player.extension(), "mp3");
    EXPECT_EQ(player.mediaLength(), 0);
    EXPECT_FALSE(player.closeMedia());
    EXPECT_FALSE(player.openMedia(track("layer2.wma")));
    EXPECT_TRUE(player.hasVideo());
}

TEST_F(MediaPlayerTest, ComponentsWithOwnAliasesDoNotCollide)
{
    MediaPlayer other(control);
    ASSERT_TRUE(player.openMedia(track("cbr_stereo_44k.mp3")));
    ASSERT_TRUE(other.openMedia(track("truncated.mp3")));
    EXPECT_EQ(player.mediaLength(), 3);
    EXPECT_EQ(other.mediaLength(), 1);
    {
        MediaPlayer leftOpen(control, "left");
        ASSERT_TRUE(leftOpen.openMedia(track("short.mp3")));
    }
    EXPECT_FALSE(control.isOpen("left"));
}

TEST(MediaControlCommands, SyntaxAndAliases)
{
    MediaControl control;
    std::string path = track("cbr_stereo_44k.mp3");
    EXPECT_EQ(
        control.send("open \"" + path + "\" type MPEGvideo alias a"), MediaControlError::none);
    EXPECT_EQ(control.send("open \"" + path + "\" type MPEGvideo alias a"),
        MediaControlError::aliasInUse);
    std::string reply;
    EXPECT_EQ(control.send("status a length", &reply), MediaControlError::none);
    EXPECT_EQ(reply, "3000");
    EXPECT_EQ(control.send("status b length", &reply), MediaControlError::unknownAlias);
    EXPECT_EQ(control.send("set a time format frames"), MediaControlError::badSyntax);
    EXPECT_EQ(control.send("play a"), MediaControlError::unknownCommand);
    EXPECT_EQ(control.send(""), MediaControlError::unknownCommand);
    EXPECT_EQ(control.send("close "), MediaControlError::badSyntax);
    EXPECT_EQ(control.send("close a"), MediaControlError::none);
    EXPECT_EQ(control.send("close a"), MediaControlError::unknownAlias);
}

} // namespace
} // namespace media

namespace media {
namespace {

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
        mediaLengthMillis(test::scratchFile("damaged.mp3", damaged));
        parseXingHeader(std::span(damaged).subspan(at));
    }
}

} // namespace
} // namespace media
