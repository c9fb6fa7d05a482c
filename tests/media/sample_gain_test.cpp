#include "media/sample_gain.h"
#include "media/track_commands.h"
#include "platform/system_clock.h"
#include "recording_target.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

namespace media {
namespace {

std::vector<std::uint8_t> bytesOf(std::vector<std::int16_t> samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::int16_t> samplesOf(std::span<const std::uint8_t> bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST(SampleGain, ScalesRoundsAndHoldsTheSixteenBitRange)
{
    auto bytes = bytesOf({ 1000, -1000, 3, -3, 30000, -30000, 32767, -32768 });
    applyGain(bytes, 0.5f);
    EXPECT_EQ(samplesOf(bytes),
        (std::vector<std::int16_t> { 500, -500, 2, -2, 15000, -15000, 16384, -16384 }));
    bytes = bytesOf({ 1000, 20000, -20000 });
    applyGain(bytes, 2.0f);
    EXPECT_EQ(samplesOf(bytes), (std::vector<std::int16_t> { 2000, 32767, -32768 }));
    // No gain: not even a rounding touches the samples.
    bytes = bytesOf({ 1, -1, 12345 });
    auto before = bytes;
    applyGain(bytes, 1.0f);
    EXPECT_EQ(bytes, before);
}

// A device that takes every sample at once and keeps them.
class CapturingOutput : public AudioOutput {
public:
    explicit CapturingOutput(std::shared_ptr<std::vector<std::uint8_t>> heard)
        : heard_(std::move(heard))
    {
    }
    bool open(const AudioFormat&) override { return true; }
    std::size_t write(std::span<const std::uint8_t> bytes) override
    {
        heard_->insert(heard_->end(), bytes.begin(), bytes.end());
        return bytes.size();
    }
    void pause() override { }
    void resume() override { }
    void reset() override { }
    void drain() override { }
    OutputState state() override { return { 1 << 20, 0, 0, true, heard_->size(), false }; }

private:
    std::shared_ptr<std::vector<std::uint8_t>> heard_;
};

class TrackGainInPlayback : public testing::Test {
protected:
    // The samples of `track` as the device receives them with `gain` asked for every track,
    // after `prepareWith` (when given) was the gain as the track was prepared ahead.
    std::vector<std::int16_t> played(float gain, std::optional<float> prepareWith = std::nullopt)
    {
        auto heard = std::make_shared<std::vector<std::uint8_t>>();
        float current = prepareWith.value_or(gain);
        TrackCommands commands({ clock,
            [heard]() -> std::unique_ptr<AudioOutput> {
                heard->clear();
                return std::make_unique<CapturingOutput>(heard);
            },
            platform::systemFileSystem(), [&current](const std::string&) { return current; } });
        const std::string file = test::track("cbr_stereo_44k.mp3");
        if (prepareWith)
            commands.prepareNext(file);
        current = gain;
        auto target = std::make_shared<test::RecordingTarget>();
        commands.playMusicFile(file, 0, target);
        for (int i = 0; i < 500 && !target->ended(); ++i)
            clock.sleep(10);
        EXPECT_TRUE(target->ended());
        commands.stopPlaying();
        return samplesOf(*heard);
    }

    static void expectScaled(
        const std::vector<std::int16_t>& plain, const std::vector<std::int16_t>& scaled, float gain)
    {
        ASSERT_EQ(plain.size(), scaled.size());
        ASSERT_GT(plain.size(), 100'000u);
        int loudest = 0;
        for (std::size_t i = 0; i < plain.size(); ++i) {
            ASSERT_NEAR(scaled[i], plain[i] * gain, 1.0) << "sample " << i;
            loudest = std::max(loudest, std::abs(int(plain[i])));
        }
        EXPECT_GT(loudest, 1000); // the track is not silence, so the comparison means something
    }

    platform::SystemClock clock;
};

TEST_F(TrackGainInPlayback, EverySampleOfATrackIsScaledByItsGain)
{
    auto plain = played(1.0f);
    expectScaled(plain, played(0.5f), 0.5f);
}

TEST_F(TrackGainInPlayback, ATrackPreparedAtAnotherGainIsOpenedAgainAtTheNewOne)
{
    auto plain = played(1.0f);
    // Measured while the previous track played: the samples decoded ahead were unscaled.
    expectScaled(plain, played(0.25f, 1.0f), 0.25f);
    expectScaled(plain, played(0.25f, 0.25f), 0.25f);
}

} // namespace
} // namespace media
