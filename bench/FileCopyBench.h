// File copies both ways between the PC and the handset's phone memory, on a fresh
// handset. A copy goes through the device agent's file calls rather than packets, so
// its bytes are the file's bytes with whatever packets it also exchanged.
#pragma once

#include <vector>

#include "BenchReport.h"
#include "QuietPlatform.h"

namespace kelvra::bench {

class BenchSession;

class FileCopyBench {
public:
    // A photo of a small phone's camera.
    static constexpr size_t kFileBytes = 16 * 1024;
    // The simulated phone memory holds 64 MiB until told otherwise.
    static constexpr LONG kPhoneMemory = 64 * 1024 * 1024;

    FileCopyBench(QuietPlatform& platform, BenchReport& report) : m_platform(platform), m_report(report) {}

    void Run(const std::vector<int>& wanted);
    // n files copied to the handset, then each copied back to the PC.
    void Run(int n, const std::string& note);

private:
    QuietPlatform& m_platform;
    BenchReport& m_report;
};

}  // namespace kelvra::bench
