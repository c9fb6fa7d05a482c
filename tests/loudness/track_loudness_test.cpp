#include "loudness/track_gain.h"
#include "loudness/track_loudness.h"
#include "reference_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace loudness {
namespace {

class TrackLoudness : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::haveFfmpeg())
            GTEST_SKIP() << "ffmpeg makes the material and is the reference";
    }

    static std::string scratch(const std::string& name) { return testing::TempDir() + name; }

    // Measures `path`, which must be a track.
    static Loudness measured(const std::string& path)
    {
        const std::atomic<bool> never { false };
        auto result = measureTrack(path, never);
        EXPECT_TRUE(std::holds_alternative<Loudness>(result)) << path;
        return std::holds_alternative<Loudness>(result) ? std::get<Loudness>(result) : Loudness {};
    }

    static void expectMatchesReference(const std::string& path, const Loudness& ours)
    {
        auto reference = test::referenceFigures(path);
        ASSERT_TRUE(reference) << "ffmpeg could not measure " << path;
        EXPECT_NEAR(ours.integratedLufs, reference->integratedLufs, 0.1) << path;
        EXPECT_NEAR(ours.rangeLu, reference->rangeLu, 0.5) << path;
        // The two meters oversample the peak differently: close, not identical.
        EXPECT_NEAR(ours.truePeakDbtp, reference->truePeakDbtp, 0.5) << path;
    }
};

TEST_F(TrackLoudness, SineAtMinus20DbfsIsMinus20LufsInStereoAndMinus23InMono)
{
    // A 1 kHz sine is the meter's calibration tone: each channel adds -3 dB to 0 dBFS.
    // Each channel made at the level itself: a mixed-up mono source would be 3 dB down.
    const std::string tone = "0.1*sin(2*PI*1000*t)";
    for (int channels : { 2, 1 }) {
        std::string path = scratch("sine" + std::to_string(channels) + ".mp3");
        std::string source = "aevalsrc=" + tone + (channels == 2 ? "|" + tone : "") + ":s=44100";
        ASSERT_TRUE(test::makeMp3(path, source, 8, channels));
        Loudness ours = measured(path);
        expectMatchesReference(path, ours);
        EXPECT_NEAR(ours.integratedLufs, channels == 2 ? -20.0 : -23.0, 0.3);
        EXPECT_NEAR(ours.truePeakDbtp, -20.0, 0.3);
    }
}

TEST_F(TrackLoudness, PinkNoiseTenDecibelsApartMeasuresTenLuApart)
{
    const std::string noise = "anoisesrc=color=pink:sample_rate=44100:amplitude=0.5:seed=7";
    std::string loud = scratch("pink_loud.mp3");
    std::string soft = scratch("pink_soft.mp3");
    ASSERT_TRUE(test::makeMp3(loud, noise, 8));
    ASSERT_TRUE(test::makeMp3(soft, noise, 8, 2, "volume=-10dB"));
    Loudness loudFigures = measured(loud);
    Loudness softFigures = measured(soft);
    expectMatchesReference(loud, loudFigures);
    expectMatchesReference(soft, softFigures);
    EXPECT_NEAR(loudFigures.integratedLufs - softFigures.integratedLufs, 10.0, 0.2);
}

TEST_F(TrackLoudness, DigitalSilenceHasNoLoudnessAndNoGain)
{
    std::string path = scratch("silence.mp3");
    ASSERT_TRUE(test::makeMp3(path, "anullsrc=r=44100:cl=stereo", 4));
    Loudness ours = measured(path);
    EXPECT_FALSE(std::isfinite(ours.integratedLufs));
    EXPECT_FALSE(gainDb(ours, defaultTargetLufs));
}

TEST_F(TrackLoudness, FilesThatAreNotTracksAreUnreadable)
{
    const std::atomic<bool> never { false };
    std::string text = scratch("not_a_track.mp3");
    std::ofstream(text) << "no audio in here\n";
    for (const std::string& path : { text, scratch("missing.mp3"), testing::TempDir() }) {
        auto result = measureTrack(path, never);
        ASSERT_TRUE(std::holds_alternative<Failure>(result)) << path;
        EXPECT_EQ(std::get<Failure>(result), Failure::unreadable) << path;
    }
}

TEST_F(TrackLoudness, AStopAlreadyAskedEndsTheMeasurementAsCancelled)
{
    std::string path = scratch("cancel.mp3");
    ASSERT_TRUE(test::makeMp3(path, "sine=frequency=440:sample_rate=44100", 30));
    const std::atomic<bool> stop { true };
    auto result = measureTrack(path, stop);
    ASSERT_TRUE(std::holds_alternative<Failure>(result));
    EXPECT_EQ(std::get<Failure>(result), Failure::cancelled);
}

TEST(TrackGain, ReachesTheTargetUnlessThePeakWouldPassTheCeiling)
{
    // Quiet with headroom: raised all the way.
    EXPECT_NEAR(*gainDb({ -26, 5, -12 }, -16), 10, 1e-9);
    // Loud: lowered, the ceiling plays no part.
    EXPECT_NEAR(*gainDb({ -8, 5, 0.5 }, -16), -8, 1e-9);
    // Quiet but peaky: raised only until the true peak sits at -1 dBTP.
    EXPECT_NEAR(*gainDb({ -30, 12, -4 }, -16), 3, 1e-9);
    // Already over the ceiling at the target: lowered further than the target asks.
    EXPECT_NEAR(*gainDb({ -16, 5, 2 }, -16), -3, 1e-9);
}

TEST(TrackGain, TheTargetIsHeldWithinItsRange)
{
    EXPECT_NEAR(*gainDb({ -30, 5, -30 }, -40), 7, 1e-9);
    EXPECT_NEAR(*gainDb({ -30, 5, -30 }, 0), 20, 1e-9);
}

TEST(TrackGain, LinearFactorIsOneWithoutAGain)
{
    EXPECT_EQ(linearGain(std::nullopt), 1.0f);
    EXPECT_NEAR(linearGain(-6.0206), 0.5f, 1e-5);
    EXPECT_NEAR(linearGain(20), 10.0f, 1e-4);
}

} // namespace
} // namespace loudness
