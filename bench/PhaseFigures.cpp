#include "PhaseFigures.h"

#include <windows.h>
#include <psapi.h>

namespace kelvra::bench {

namespace {

uint64_t BytesBothWays(const sim::SimHandset& handset)
{
    return handset.BytesIn() + handset.BytesOut();
}

}  // namespace

PhaseFigures PhaseFigures::Measure(const sim::SimHandset& handset, const std::function<void()>& work)
{
    double start = CpuSeconds();
    long packets = handset.RequestCount();
    uint64_t bytes = BytesBothWays(handset);
    work();
    return {CpuSeconds() - start, handset.RequestCount() - packets, BytesBothWays(handset) - bytes};
}

double CpuSeconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PrivateMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage / (1024.0 * 1024.0);
}

}  // namespace kelvra::bench
