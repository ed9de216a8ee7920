// What the benchmark follows beside the contact phases: a create's bytes against what a
// create needs, the process's memory through the phases, and the bare exchange of the
// same record reads with no table, item or codec around them.
#pragma once

#include <vector>

#include "BenchReport.h"
#include "BenchSession.h"

namespace kelvra::bench {

class ContactProbe {
public:
    // The figures of the phases so far: the creates, and the memory before the listing
    // and while every listed item was held.
    struct Phases {
        int n = 0;
        PhaseFigures created;
        double before = 0;
        double holding = 0;
    };

    ContactProbe(BenchReport& report, bool memoryRepeats) : m_report(report), m_memoryRepeats(memoryRepeats) {}

    // Releases the listed items, reports, and lists them again for the phases after it.
    void Run(BenchSession& session, IDataTable* table, std::vector<ComPtr<IItem>>& items, const Phases& phases);

private:
    void CreateBudget(BenchSession& session, const Phases& phases);
    void Memory(IDataTable* table, std::vector<ComPtr<IItem>>& items, const Phases& phases);
    void BareExchange(BenchSession& session, int n);

    BenchReport& m_report;
    bool m_memoryRepeats;
};

}  // namespace kelvra::bench
