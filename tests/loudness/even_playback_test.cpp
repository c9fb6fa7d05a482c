// Two tracks mastered 10 dB apart, played through the real player at the gains their
// measurements give, are heard at one level on the test sink's monitor.

#include "../media/recording_target.h"
#include "../media/test_sink.h"
#include "loudness/track_gain.h"
#include "loudness/track_loudness.h"
#include "media/track_commands.h"
#include "reference_meter.h"

#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

namespace loudness {
namespace {

// Keeps every sample the monitor of the test sink hears, to be measured afterwards.
class RawMonitor {
public:
    RawMonitor()
    {
        pa_sample_spec spec { PA_SAMPLE_S16LE, 44100, 2 };
        simple_ = pa_simple_new(nullptr, "loudness test", PA_STREAM_RECORD, "testsink.monitor",
            "monitor", &spec, nullptr, nullptr, nullptr);
        if (simple_)
            thread_ = std::thread([this] { record(); });
    }
    ~RawMonitor() { stop(); }
    [[nodiscard]] bool recording() const { return simple_ != nullptr; }

    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (simple_)
            pa_simple_free(simple_);
        simple_ = nullptr;
    }

    // Writes what was heard as a 16-bit stereo WAV file.
    [[nodiscard]] bool save(const std::string& path) const
    {
        std::lock_guard lock(mutex_);
        auto bytes = std::uint32_t(samples_.size() * 2);
        auto word = [](std::ofstream& out, std::uint32_t value, int size) {
            out.write(reinterpret_cast<const char*>(&value), size);
        };
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write("RIFF", 4);
        word(out, 36 + bytes, 4);
        out.write("WAVEfmt ", 8);
        word(out, 16, 4);
        word(out, 1, 2); // PCM
        word(out, 2, 2);
        word(out, 44100, 4);
        word(out, 44100 * 4, 4);
        word(out, 4, 2);
        word(out, 16, 2);
        out.write("data", 4);
        word(out, bytes, 4);
        out.write(reinterpret_cast<const char*>(samples_.data()), bytes);
        return bool(out);
    }

private:
    void record()
    {
        std::vector<std::int16_t> block(441 * 2);
        while (!stop_) {
            if (pa_simple_read(simple_, block.data(), block.size() * 2, nullptr) < 0)
                return;
            std::lock_guard lock(mutex_);
            samples_.insert(samples_.end(), block.begin(), block.end());
        }
    }

    pa_simple* simple_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    mutable std::mutex mutex_;
    std::vector<std::int16_t> samples_;
};

class EvenPlayback : public media::test::TestSinkTest {
protected:
    void SetUp() override
    {
        media::test::TestSinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (!test::haveFfmpeg())
            GTEST_SKIP() << "ffmpeg makes the material and is the reference";
    }

    // The loudness the monitor heard while `track` played at the gain its measurement gives.
    double heardLufs(const std::string& track)
    {
        const std::atomic<bool> never { false };
        auto measured = measureTrack(track, never);
        EXPECT_TRUE(std::holds_alternative<Loudness>(measured));
        if (!std::holds_alternative<Loudness>(measured))
            return 0;
        const float gain = linearGain(gainDb(std::get<Loudness>(measured), defaultTargetLufs));

        RawMonitor monitor;
        EXPECT_TRUE(monitor.recording());
        media::TrackCommands commands(
            { clock, makeOutput, platform::systemFileSystem(), [gain](auto&) { return gain; } });
        auto target = std::make_shared<media::test::RecordingTarget>();
        commands.playMusicFile(track, 0, target);
        for (int i = 0; i < 1000 && !target->ended(); ++i)
            clock.sleep(10);
        EXPECT_TRUE(target->ended());
        clock.sleep(300); // the monitor lags the sink
        monitor.stop();
        std::string recording = track + ".heard.wav";
        EXPECT_TRUE(monitor.save(recording));
        auto heard = test::referenceFigures(recording);
        EXPECT_TRUE(heard);
        return heard ? heard->integratedLufs : 0;
    }
};

TEST_F(EvenPlayback, TracksTenDecibelsApartAreHeardWithinOneLu)
{
    const std::string noise = "anoisesrc=color=pink:sample_rate=44100:amplitude=0.5:seed=3";
    std::string loud = testing::TempDir() + "even_loud.mp3";
    std::string soft = testing::TempDir() + "even_soft.mp3";
    ASSERT_TRUE(test::makeMp3(loud, noise, 2.5));
    ASSERT_TRUE(test::makeMp3(soft, noise, 2.5, 2, "volume=-10dB"));
    double loudHeard = heardLufs(loud);
    double softHeard = heardLufs(soft);
    EXPECT_NEAR(loudHeard, softHeard, 1.0);
}

} // namespace
} // namespace loudness
