#pragma once

// Small helpers shared by the benchmark programs: clocks, percentiles, /proc figures.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <time.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// CPU time of the calling thread: unlike wall time, untouched by other processes on the machine.
inline double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

inline double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Nearest-rank percentile (p in 0..100) of the samples; 0 when there are none.
inline double percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * samples.size()));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

inline double median(const std::vector<double> &samples)
{
    return percentile(samples, 50);
}

// A field of /proc/<pid>/status in KiB ("RssAnon", "VmRSS"...); -1 when it cannot be read.
inline long statusKiB(const std::string &pid, const char *field)
{
    const std::string path = "/proc/" + pid + "/status";
    std::FILE *file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::strtol(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

inline long rssAnonKiB(const std::string &pid = "self")
{
    return statusKiB(pid, "RssAnon");
}

} // namespace bench
