#pragma once

// One change timed with the pass of the event loop that follows it (the repaint, and with
// accessibility on, the bridge's messages): for the benchmarks that change a list.

#include "BenchSupport.h"

#include <QCoreApplication>

#include <functional>
#include <vector>

namespace bench {

inline void timeChange(const std::function<void()> &change, std::vector<double> &wall,
                       std::vector<double> &cpu)
{
    const double cpuStart = threadCpuMilliseconds();
    const auto start = Clock::now();
    change();
    QCoreApplication::processEvents();
    wall.push_back(millisecondsBetween(start, Clock::now()));
    cpu.push_back(threadCpuMilliseconds() - cpuStart);
}

} // namespace bench
