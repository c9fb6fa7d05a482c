#pragma once
// Records the test sink's monitor in 10 ms blocks and keeps each block's peak level and
// arrival time, so a test or a benchmark can see when sound was heard and how loud; on
// request it also keeps every sample, to be measured or saved afterwards. Needs PULSE_SERVER
// (scripts/with-test-env). Not a player's input: it only listens.

#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace media::test {

class MonitorRecorder {
public:
    static constexpr int rate = 44100;
    static constexpr int channels = 2;
    static constexpr int blockMillis = 10;
    // Minutes of samples are large; only a recorder asked for them keeps them.
    enum class Keep { peaks, samples };

    explicit MonitorRecorder(Keep keep = Keep::peaks);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // False when the monitor could not be opened (no test sink).
    [[nodiscard]] bool recording() const { return simple_ != nullptr; }
    // The monitor starts late; sound played before it runs would be missed.
    [[nodiscard]] bool waitUntilRecording();
    void stop();

    std::vector<int> peaks() const;
    // When each block of peaks() arrived.
    std::vector<std::chrono::steady_clock::time_point> arrivals() const;
    // Every sample heard, channels interleaved; empty unless constructed with Keep::samples.
    std::vector<std::int16_t> samples() const;
    // Writes samples() as a 16-bit stereo WAV file.
    [[nodiscard]] bool saveWav(const std::string& path) const;

    // Milliseconds of blocks louder than `threshold` between the first and last such block.
    static int heardMillis(const std::vector<int>& peaks, int threshold = 500);
    // The longest run of quiet blocks inside the sound, in milliseconds.
    static int longestSilenceMillis(const std::vector<int>& peaks, int threshold = 500);

private:
    void record();

    const Keep keep_;
    pa_simple* simple_ = nullptr;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
    mutable std::mutex mutex_; // guards the three vectors below
    std::vector<int> peaks_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::vector<std::int16_t> samples_;
};

} // namespace media::test
