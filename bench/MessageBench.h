// SMS listing and sending, MMS content fetched and sent, on a model that keeps them,
// each on a fresh handset.
#pragma once

#include <string>
#include <vector>

#include "BenchReport.h"
#include "QuietPlatform.h"

namespace kelvra::bench {

class BenchSession;

class MessageBench {
public:
    // Each MMS holds this many bytes of content, a picture message's worth.
    static constexpr size_t kMmsBytes = 30000;
    // No profile gives the MMS folders a limit; each fetch writes a file of its own, so
    // MMS are measured at no more than this many.
    static constexpr int kMostMms = 1000;

    MessageBench(QuietPlatform& platform, BenchReport& report) : m_platform(platform), m_report(report) {}

    void Run(const std::vector<int>& wanted);

private:
    void ListSms(int n, const std::string& note);
    void SendSms(int n, const std::string& note);
    void FetchMms(int n, const std::string& note);
    void SendMms(int n, const std::string& note);
    void Add(BenchSession& session, const char* table, const char* operation, int n, const PhaseFigures& figures,
             const std::string& note);

    QuietPlatform& m_platform;
    BenchReport& m_report;
};

}  // namespace kelvra::bench
