#pragma once
// Busy loops on every core (two at least) until destroyed: the load under which playback must
// keep its time. Made off, it starts nothing, so that a caller can choose at run time.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace test_support {

class CpuHog {
public:
    explicit CpuHog(bool on = true)
    {
        for (unsigned i = 0; on && i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            threads_.emplace_back([this] {
                while (!stop_)
                    spins_.fetch_add(1, std::memory_order_relaxed);
            });
    }
    ~CpuHog()
    {
        stop_ = true;
        for (auto& t : threads_)
            t.join();
    }
    CpuHog(const CpuHog&) = delete;
    CpuHog& operator=(const CpuHog&) = delete;

private:
    std::atomic<bool> stop_ = false;
    std::atomic<std::uint64_t> spins_ = 0;
    std::vector<std::thread> threads_;
};

} // namespace test_support
