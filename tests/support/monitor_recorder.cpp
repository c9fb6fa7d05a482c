#include "monitor_recorder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace media::test {

namespace {

constexpr std::size_t blockSamples = MonitorRecorder::rate / 100 * MonitorRecorder::channels;
static_assert(MonitorRecorder::blockMillis == 10);

} // namespace

MonitorRecorder::MonitorRecorder(Keep keep)
    : keep_(keep)
{
    pa_sample_spec spec { PA_SAMPLE_S16LE, rate, channels };
    // Small fragments, so each block arrives close to when it was heard.
    pa_buffer_attr attr { std::uint32_t(-1), 0, 0, 0, std::uint32_t(blockSamples * 2) };
    simple_ = pa_simple_new(nullptr, "monitor recorder", PA_STREAM_RECORD, "testsink.monitor",
        "monitor", &spec, nullptr, &attr, nullptr);
    if (simple_)
        thread_ = std::thread([this] { record(); });
}

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

bool MonitorRecorder::waitUntilRecording()
{
    for (int i = 0; simple_ && i < 300; ++i) {
        if (peaks().size() >= 20)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void MonitorRecorder::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (simple_)
        pa_simple_free(simple_);
    simple_ = nullptr;
}

std::vector<int> MonitorRecorder::peaks() const
{
    std::lock_guard lock(mutex_);
    return peaks_;
}

std::vector<std::chrono::steady_clock::time_point> MonitorRecorder::arrivals() const
{
    std::lock_guard lock(mutex_);
    return arrivals_;
}

std::vector<std::int16_t> MonitorRecorder::samples() const
{
    std::lock_guard lock(mutex_);
    return samples_;
}

bool MonitorRecorder::saveWav(const std::string& path) const
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
    word(out, channels, 2);
    word(out, rate, 4);
    word(out, rate * channels * 2, 4);
    word(out, channels * 2, 2);
    word(out, 16, 2);
    out.write("data", 4);
    word(out, bytes, 4);
    out.write(reinterpret_cast<const char*>(samples_.data()), bytes);
    return bool(out);
}

int MonitorRecorder::heardMillis(const std::vector<int>& peaks, int threshold)
{
    auto loud = [&](int p) { return p > threshold; };
    auto first = std::find_if(peaks.begin(), peaks.end(), loud);
    auto last = std::find_if(peaks.rbegin(), peaks.rend(), loud);
    if (first == peaks.end())
        return 0;
    return int((peaks.rend() - last) - (first - peaks.begin())) * blockMillis;
}

int MonitorRecorder::longestSilenceMillis(const std::vector<int>& peaks, int threshold)
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

void MonitorRecorder::record()
{
    std::vector<std::int16_t> block(blockSamples);
    while (!stop_) {
        if (pa_simple_read(simple_, block.data(), block.size() * 2, nullptr) < 0)
            return;
        int peak = 0;
        for (auto s : block)
            peak = std::max(peak, std::abs(int(s)));
        std::lock_guard lock(mutex_);
        peaks_.push_back(peak);
        arrivals_.push_back(std::chrono::steady_clock::now());
        if (keep_ == Keep::samples)
            samples_.insert(samples_.end(), block.begin(), block.end());
    }
}

} // namespace media::test
