#pragma once
// Records the test sink's monitor in 10 ms blocks and keeps each block's peak level, so a
// test can see when sound was heard and how loud. Needs PULSE_SERVER (scripts/with-test-env).

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace media::test {

class MonitorRecorder {
public:
    static constexpr int blockMillis = 10;

    MonitorRecorder()
    {
        pa_sample_spec spec { PA_SAMPLE_S16LE, 44100, 2 };
        pa_buffer_attr attr { std::uint32_t(-1), 0, 0, 0, 441 * 4 };
        simple_ = pa_simple_new(nullptr, "monitor test", PA_STREAM_RECORD, "testsink.monitor",
            "monitor", &spec, nullptr, &attr, nullptr);
        if (simple_)
            thread_ = std::thread([this] { record(); });
    }
    ~MonitorRecorder() { stop(); }

    // The monitor starts late; sound played before it runs would be missed.
    bool waitUntilRecording()
    {
        for (int i = 0; simple_ && i < 300; ++i) {
            if (peaks().size() >= 20)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (simple_)
            pa_simple_free(simple_);
        simple_ = nullptr;
    }

    std::vector<int> peaks() const
    {
        std::lock_guard lock(mutex_);
        return peaks_;
    }

    // When each block of peaks() arrived.
    std::vector<std::chrono::steady_clock::time_point> arrivals() const
    {
        std::lock_guard lock(mutex_);
        return arrivals_;
    }

    // Milliseconds of blocks louder than `threshold` between the first and last such block.
    static int heardMillis(const std::vector<int>& peaks, int threshold = 500)
    {
        auto loud = [&](int p) { return p > threshold; };
        auto first = std::find_if(peaks.begin(), peaks.end(), loud);
        auto last = std::find_if(peaks.rbegin(), peaks.rend(), loud);
        if (first == peaks.end())
            return 0;
        return int((peaks.rend() - last) - (first - peaks.begin())) * blockMillis;
    }

    // The longest run of quiet blocks inside the sound, in milliseconds.
    static int longestSilenceMillis(const std::vector<int>& peaks, int threshold = 500)
    {
        int longest = 0;
        int run = 0;
        bool started = false;
        for (int p : peaks) {
            if (p > threshold) {
                longest = started ? std::max(longest, run) : 0;
                started = true;
                run = 0;
            } else {
                ++run;
            }
        }
        return longest * blockMillis;
    }

private:
    void record()
    {
        std::vector<std::int16_t> block(441 * 2);
        while (!stop_) {
            if (pa_simple_read(simple_, block.data(), block.size() * 2, nullptr) < 0)
                return;
            int peak = 0;
            for (auto s : block)
                peak = std::max(peak, std::abs(int(s)));
            std::lock_guard lock(mutex_);
            peaks_.push_back(peak);
            arrivals_.push_back(std::chrono::steady_clock::now());
        }
    }

    pa_simple* simple_ = nullptr;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<int> peaks_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
};

} // namespace media::test
