// The phases every record table goes through on a fresh handset: n records created,
// listed, updated and deleted, each phase measured and reported.
#pragma once

#include <string>
#include <vector>

#include "BenchReport.h"
#include "ContactProbe.h"
#include "QuietPlatform.h"
#include "TableSpec.h"

namespace kelvra::bench {

class TableBench {
public:
    TableBench(QuietPlatform& platform, BenchReport& report, bool memoryRepeats)
        : m_platform(platform), m_report(report), m_probe(report, memoryRepeats)
    {
    }

    // Every phase at each size wanted that the model's store holds, and at the store's
    // limit instead of the sizes it does not.
    void RunAll(const TableSpec& spec, const std::vector<int>& wanted);
    void Run(const TableSpec& spec, int n, const std::string& note);

private:
    void Add(const TableSpec& spec, BenchSession& session, const char* operation, int n, const PhaseFigures& figures,
             const std::string& note);

    QuietPlatform& m_platform;
    BenchReport& m_report;
    ContactProbe m_probe;
};

// Every item of the type that a whole listing of the table gives.
std::vector<ComPtr<IItem>> ListedItems(IDataTable* table, QELDATATYPE type);
// Throws std::runtime_error saying what was counted when the count is not n: a phase
// whose work was refused would measure nothing.
void ExpectCount(size_t count, int n, const std::string& what);

}  // namespace kelvra::bench
