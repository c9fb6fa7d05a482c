#pragma once
// Wall and CPU time as the media benches print them.

#include <sys/resource.h>

#include <chrono>

namespace bench {

using Steady = std::chrono::steady_clock;

inline double millisSince(Steady::time_point start)
{
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

// User and system time of the whole process so far, every thread included.
inline double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace bench
