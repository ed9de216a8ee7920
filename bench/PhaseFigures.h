// What one phase of the benchmark cost: the component's time, and the packets and bytes
// that crossed the link.
#pragma once

#include <cstdint>
#include <functional>

#include "SimHandset.h"

namespace kelvra::bench {

struct PhaseFigures {
    double seconds = 0;
    long packets = 0;
    uint64_t bytes = 0;

    // Runs the work and takes what the handset counted meanwhile: the requests and the
    // bytes of the packet stream, both ways.
    static PhaseFigures Measure(const sim::SimHandset& handset, const std::function<void()>& work);
};

// The simulated handset answers in-process and every pause is off, so a phase keeps its
// one thread busy: its elapsed time is its CPU time, measured far more finely than the
// process CPU clock allows.
double CpuSeconds();

// Committed private memory of the process.
double PrivateMegabytes();

}  // namespace kelvra::bench
