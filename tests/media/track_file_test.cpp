#include "media/media_length.h"
#include "media/track_file.h"
#include "media/track_position.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace media {
namespace {

using test::track;

std::int64_t sizeOf(const std::string& name)
{
    return std::int64_t(std::filesystem::file_size(track(name)));
}

struct Expected {
    const char* file;
    MpegVersion version;
    int layer;
    int sampleRate;
    bool mono;
    double seconds; // the length of the encoded sound
};

class FirstFrame : public testing::TestWithParam<Expected> { };

TEST_P(FirstFrame, GivesFormatAndDuration)
{
    const Expected& e = GetParam();
    auto file = TrackFile::open(track(e.file));
    ASSERT_TRUE(file);
    const TrackInfo& info = file->info();
    EXPECT_EQ(info.header.version, e.version);
    EXPECT_EQ(info.header.layer, e.layer);
    EXPECT_EQ(info.header.sampleRate, e.sampleRate);
    EXPECT_EQ(info.header.mono, e.mono);
    EXPECT_EQ(
        info.header.samplesPerFrame, e.layer == 3 && e.version != MpegVersion::mpeg1 ? 576 : 1152);
    // Encoders add a few frames of delay, padding and the Info frame.
    EXPECT_NEAR(info.durationMs, e.seconds * 1000,
        4.0 * info.header.samplesPerFrame * 1000.0 / e.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(Tracks, FirstFrame,
    testing::Values(Expected { "cbr_stereo_44k.mp3", MpegVersion::mpeg1, 3, 44100, false, 3 },
        Expected { "cbr_mono_44k.mp3", MpegVersion::mpeg1, 3, 44100, true, 3 },
        Expected { "mpeg2_22k.mp3", MpegVersion::mpeg2, 3, 22050, false, 3 },
        Expected { "mpeg25_8k.mp3", MpegVersion::mpeg25, 3, 8000, true, 3 },
        Expected { "vbr_xing.mp3", MpegVersion::mpeg1, 3, 44100, false, 3 },
        Expected { "layer2.mp3", MpegVersion::mpeg1, 2, 44100, false, 3 },
        Expected { "id3v1.mp3", MpegVersion::mpeg1, 3, 44100, false, 3 },
        Expected { "id3v23_extended.mp3", MpegVersion::mpeg1, 3, 44100, false, 3 },
        Expected { "id3v24.mp3", MpegVersion::mpeg1, 3, 44100, false, 3 }),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(TrackLayout, Id3v23TagWithExtendedHeaderIsSkippedExactly)
{
    auto plain = TrackFile::open(track("cbr_stereo_44k.mp3"));
    auto tagged = TrackFile::open(track("id3v23_extended.mp3"));
    ASSERT_TRUE(plain && tagged);
    std::int64_t tagSize = sizeOf("id3v23_extended.mp3") - sizeOf("cbr_stereo_44k.mp3");
    // The padding lies inside the tag size; skipping it again would eat audio.
    EXPECT_EQ(tagged->info().readStart, tagSize);
    EXPECT_EQ(tagged->info().firstFrame, tagSize);
    EXPECT_EQ(tagged->info().audioLength, plain->info().audioLength);
    EXPECT_EQ(tagged->info().totalFrames, plain->info().totalFrames);
}

TEST(TrackLayout, OtherTagVersionsAreReadPastTheirHeaderAndResynchronised)
{
    auto tagged = TrackFile::open(track("id3v24.mp3"));
    ASSERT_TRUE(tagged);
    std::int64_t tagSize = sizeOf("id3v24.mp3") - sizeOf("cbr_stereo_44k.mp3");
    EXPECT_EQ(tagged->info().readStart, 10);
    EXPECT_EQ(tagged->info().audioLength, sizeOf("id3v24.mp3") - 10);
    // The tag's text holds a frame sync with no frame after it.
    EXPECT_EQ(tagged->info().firstFrame, tagSize);
}

TEST(TrackLayout, TrailerIsNotAudio)
{
    auto file = TrackFile::open(track("id3v1.mp3"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->info().audioLength, sizeOf("id3v1.mp3") - 128);
    std::uint8_t buffer[256];
    EXPECT_EQ(file->read(file->info().audioLength - 10, buffer, sizeof buffer), 10);
    EXPECT_EQ(file->read(file->info().audioLength, buffer, sizeof buffer), 0);
}

TEST(TrackLayout, FilesWithoutMpegAudioDoNotOpen)
{
    EXPECT_FALSE(TrackFile::open(track("random.mp3")));
    EXPECT_FALSE(TrackFile::open(track("empty.mp3")));
    EXPECT_FALSE(TrackFile::open(track("wave_1500ms.wav")));
    EXPECT_FALSE(TrackFile::open(track("missing.mp3")));
    EXPECT_FALSE(TrackFile::open(MEDIA_TEST_DATA));
    EXPECT_TRUE(TrackFile::open(track("truncated.mp3")));
}

// Opening must never block or read without end: the program's interface thread measures.
TEST(TrackLayout, OnlyRegularFilesOpen)
{
    std::string fifo = testing::TempDir() + "fifo.mp3";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(TrackFile::open(fifo));
    EXPECT_FALSE(mediaLengthMillis(fifo));
    std::filesystem::remove(fifo);
    EXPECT_FALSE(TrackFile::open("/dev/zero"));
    EXPECT_FALSE(mediaLengthMillis("/dev/zero"));
}

TEST(TrackLayout, AudioMustStartWithinTheFirstMebibyte)
{
    auto audio = test::readFile(track("cbr_stereo_44k.mp3"));
    std::vector<std::uint8_t> late((1 << 20) + 100, 0);
    late.insert(late.end(), audio.begin(), audio.end());
    EXPECT_FALSE(TrackFile::open(test::scratchFile("late.mp3", late)));
    std::vector<std::uint8_t> early(1000, 0);
    early.insert(early.end(), audio.begin(), audio.end());
    EXPECT_TRUE(TrackFile::open(test::scratchFile("early.mp3", early)));
}

// The constant-rate tag of cbr_stereo_44k.mp3: 116 frames, 576 samples of encoder delay and
// 756 of padding around the 3 s the encoder was given.
TEST(TrackLayout, InfoTagCountsFramesAndEncoderGap)
{
    auto file = TrackFile::open(track("cbr_stereo_44k.mp3"));
    ASSERT_TRUE(file);
    const TrackInfo& info = file->info();
    ASSERT_TRUE(info.xing);
    EXPECT_TRUE(info.xing->constantRate);
    EXPECT_TRUE(info.firstFrameIsTag);
    ASSERT_TRUE(info.xing->gap);
    EXPECT_EQ(info.xing->gap->delay, 576);
    EXPECT_EQ(info.xing->gap->padding, 756);
    EXPECT_EQ(info.totalFrames, 116);
    EXPECT_EQ(info.totalSamples, 132300);
    EXPECT_DOUBLE_EQ(info.durationMs, 3000);
}

// Found by fuzzing: a count of 0 gave a length of 0, so the time limit never armed.
TEST(TrackLayout, ImpossibleFrameCountIsIgnored)
{
    auto bytes = test::readFile(track("vbr_xing.mp3"));
    auto tag = std::search(bytes.begin(), bytes.end(), "Xing", "Xing" + 4) - bytes.begin();
    auto withCount = [&](std::uint32_t count) {
        auto copy = bytes;
        for (int i = 0; i < 4; ++i)
            copy[tag + 8 + i] = std::uint8_t(count >> (24 - 8 * i));
        return test::scratchFile("count.mp3", copy);
    };
    auto honest = mediaLengthMillis(track("vbr_xing.mp3"));
    for (std::uint32_t count : { 0u, 1u << 30 }) {
        auto file = TrackFile::open(withCount(count));
        ASSERT_TRUE(file);
        EXPECT_FALSE(file->info().xing);
        EXPECT_FALSE(file->info().exactTotals);
        // Counted frame by frame instead; without the tag the encoder gap is not known.
        EXPECT_NEAR(*mediaLengthMillis(withCount(count)), *honest + 30, 1);
    }
}

TEST(TrackLayout, XingHeaderGivesFramesBytesAndSeekTable)
{
    auto file = TrackFile::open(track("vbr_xing.mp3"));
    ASSERT_TRUE(file);
    const TrackInfo& info = file->info();
    ASSERT_TRUE(info.xing);
    EXPECT_EQ(info.xing->flags & 7, 7u);
    EXPECT_EQ(info.totalFrames, info.xing->frameCount);
    EXPECT_EQ(info.xing->byteCount, std::uint32_t(sizeOf("vbr_xing.mp3")));
    ASSERT_TRUE(info.xing->seekTable);
    EXPECT_EQ((*info.xing->seekTable)[0], 0);
    EXPECT_FALSE(TrackFile::open(track("vbr_no_xing.mp3"))->info().xing);
}

TEST(SeekTarget, InterpolatesTheXingTableAndClampsPercent)
{
    auto file = TrackFile::open(track("vbr_xing.mp3"));
    ASSERT_TRUE(file);
    const TrackInfo& info = file->info();
    const auto& table = *info.xing->seekTable;
    SeekTarget half = seekTarget(info, 50);
    EXPECT_EQ(half.byteOffset, std::int64_t(table[50] / 256.0 * info.audioLength));
    EXPECT_EQ(half.framesPlayed, 50 * info.totalFrames / 100);
    SeekTarget end = seekTarget(info, 100);
    EXPECT_EQ(end.byteOffset, info.audioLength);
    EXPECT_EQ(end.framesPlayed, info.totalFrames);
    EXPECT_EQ(seekTarget(info, 150).byteOffset, end.byteOffset);
    EXPECT_EQ(seekTarget(info, -5).byteOffset, 0);
    EXPECT_EQ(seekTarget(info, -5).framesPlayed, 0);
}

TEST(SeekTarget, WithoutTableStepsWholeFrames)
{
    TrackInfo info;
    info.audioLength = 100'000;
    info.header.frameLength = 417;
    SeekTarget t = seekTarget(info, 37);
    // 37 * 100000 / 417 = 8872 frames-percent, 88 whole frames.
    EXPECT_EQ(t.framesPlayed, 88);
    EXPECT_EQ(t.byteOffset, 88 * 417);
    EXPECT_EQ(seekTarget(info, 150).framesPlayed, 239);
    EXPECT_EQ(seekTarget(info, -5).byteOffset, 0);
}

TEST(SeekTarget, ATimeCountsWholeFramesOfTheFirstHeader)
{
    TrackInfo info;
    info.audioLength = 100'000;
    info.totalFrames = 239;
    info.header.frameLength = 417;
    info.header.sampleRate = 44100;
    info.header.samplesPerFrame = 1152;
    // 2000 ms hold 88200 samples: 76 whole frames of 1152 before it.
    const SeekTarget t = seekTarget(info, TrackStart::millis(2000));
    EXPECT_EQ(t.framesPlayed, 76);
    EXPECT_EQ(t.byteOffset, 76 * 417);
    EXPECT_EQ(seekTarget(info, TrackStart::millis(1'000'000)).framesPlayed, 239);
    EXPECT_EQ(seekTarget(info, TrackStart::millis(-5)).byteOffset, 0);
    EXPECT_EQ(seekTarget(info, TrackStart::percent(37)).framesPlayed, 88) << "as by percent";

    auto file = TrackFile::open(track("vbr_xing.mp3"));
    ASSERT_TRUE(file);
    const TrackInfo& xing = file->info();
    const std::int64_t halfFrames = xing.totalFrames / 2;
    const std::int64_t halfMillis
        = (halfFrames * xing.header.samplesPerFrame * 1000 + xing.header.sampleRate - 1)
        / xing.header.sampleRate;
    const SeekTarget half = seekTarget(xing, TrackStart::millis(halfMillis));
    EXPECT_EQ(half.framesPlayed, halfFrames);
    EXPECT_NEAR(double(half.byteOffset), double(seekTarget(xing, 50).byteOffset),
        double(xing.audioLength) / 100);
}

TEST(Progress, StaysWithin0To99)
{
    EXPECT_EQ(progressPercent(0, 200), 0);
    EXPECT_EQ(progressPercent(3, 200), 1);
    EXPECT_EQ(progressPercent(199, 200), 99);
    EXPECT_EQ(progressPercent(200, 200), 99);
    EXPECT_EQ(progressPercent(500, 200), 99);
    EXPECT_EQ(progressPercent(5, -1), 0);
    EXPECT_EQ(progressPercent(5, 0), 0);
}

TEST(Totals, NoAudioGivesMinusOne)
{
    TrackInfo info;
    info.header.frameLength = 417;
    info.header.sampleRate = 44100;
    computeTotals(info);
    EXPECT_EQ(info.totalFrames, -1);
    EXPECT_EQ(info.durationMs, -1);
}

} // namespace
} // namespace media
