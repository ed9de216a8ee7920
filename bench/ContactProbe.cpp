#include "ContactProbe.h"

#include <cstdio>

#include "ByteCursor.h"
#include "KelvraBase.h"
#include "KelvraPB.h"
#include "TableBench.h"

namespace kelvra::bench {

namespace {

constexpr uint16_t kRecordRead = 0x4120;
constexpr DWORD kReadTimeoutMs = 2000;
// Beside the record written and read back, a create moves the count request and its
// answer (10 bytes each), the write's header with store and place (14 bytes) and its
// 8-byte answer behind a 6-byte header, and the read-back request (14) and its header (6).
constexpr double kCreateOverhead = 20 + 14 + 14 + 14 + 6;

std::string Megabytes(double value)
{
    char text[32];
    snprintf(text, sizeof(text), "%.1f MB", value);
    return text;
}

}  // namespace

void ContactProbe::Run(BenchSession& session, IDataTable* table, std::vector<ComPtr<IItem>>& items,
                       const Phases& phases)
{
    CreateBudget(session, phases);
    Memory(table, items, phases);
    BareExchange(session, phases.n);
    items = ListedItems(table, QELDT_PHONEBOOK);
}

void ContactProbe::CreateBudget(BenchSession& session, const Phases& phases)
{
    const std::string* record = session.Sim().FindRecord(CKelvraPB::kContactStore, 1);
    double recordBytes = record ? static_cast<double>(record->size()) : 0;
    double budget = 2 * recordBytes + kCreateOverhead;
    double moved = static_cast<double>(phases.created.bytes) / phases.n;
    m_report.Say("  a create moved " + WithThousands(moved) + " B a contact; the record twice plus 68 B is " +
                 WithThousands(budget) + " B (" + WithThousands(recordBytes) + "-byte records): " +
                 (moved <= budget ? "within it" : "over it by " + WithThousands(moved - budget) + " B"));
}

void ContactProbe::Memory(IDataTable* table, std::vector<ComPtr<IItem>>& items, const Phases& phases)
{
    items.clear();
    std::string line = "  memory: " + Megabytes(phases.before) + " before listing, " + Megabytes(phases.holding) +
                       " holding every listed item, " + Megabytes(PrivateMegabytes()) + " after releasing them";
    if (m_memoryRepeats) {
        for (int again = 0; again < 3; ++again)
            ListedItems(table, QELDT_PHONEBOOK);
        line += ", " + Megabytes(PrivateMegabytes()) + " after three more listings";
    }
    m_report.Say(line);
}

// The same record reads as a listing makes.
void ContactProbe::BareExchange(BenchSession& session, int n)
{
    CKelvraBase link(session.Device().Agent());
    PhaseFigures bare = session.Measure([&] {
        for (int i = 1; i <= n; ++i) {
            uint32_t received = 0;
            link.ExchangeAlloc(ByteWriter()
                                   .U16LE(kRecordRead)
                                   .U32LE(8)
                                   .U32LE(CKelvraPB::kContactStore)
                                   .U32LE(static_cast<uint32_t>(i))
                                   .Take(),
                               received, kReadTimeoutMs);
        }
    });
    m_report.Add({"bare exchange", "read", session.ModelName(), n, bare, "(a contact record read, nothing around it)"});
}

}  // namespace kelvra::bench
