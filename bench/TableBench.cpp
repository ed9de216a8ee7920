#include "TableBench.h"

#include <stdexcept>

#include "ItemColumns.h"

namespace kelvra::bench {

namespace {

void Create(IDataTable* table, const TableSpec& spec, int i)
{
    ComPtr<IItem> item = NewItemOf(table, spec.type);
    spec.fill(item.Get(), i);
    SUID suid = 0;
    Check(table->CreateItem(item.Get(), &suid), "Creating a record");
}

}  // namespace

void ExpectCount(size_t count, int n, const std::string& what)
{
    if (count != static_cast<size_t>(n))
        throw std::runtime_error(what + ": " + std::to_string(count) + " of " + std::to_string(n));
}

std::vector<ComPtr<IItem>> ListedItems(IDataTable* table, QELDATATYPE type)
{
    std::vector<ComPtr<IItem>> items;
    Check(table->ListItemsAllBegin(), "Starting a listing");
    for (;;) {
        ComPtr<IItem> item;
        Check(table->NextItem(item.GetAddressOf()), "Listing");
        if (!item)
            break;
        if (TypeOf(item.Get()) == type)
            items.push_back(item);
    }
    return items;
}

void TableBench::RunAll(const TableSpec& spec, const std::vector<int>& wanted)
{
    LONG limit = 0;
    {
        BenchSession session(spec.model, m_platform);
        limit = spec.storeLimit(session);
    }
    for (const PhaseSize& size : SizesWithin(wanted, limit, "the store holds"))
        Run(spec, size.n, size.note);
}

void TableBench::Run(const TableSpec& spec, int n, const std::string& note)
{
    BenchSession session(spec.model, m_platform);
    IDataTable* table = session.Table(spec.table);
    PhaseFigures created = session.Measure([&] {
        for (int i = 0; i < n; ++i)
            Create(table, spec, i);
    });
    Add(spec, session, "create", n, created, note);

    double before = PrivateMegabytes();  // the handset's records are in memory by now
    std::vector<ComPtr<IItem>> items;
    Add(spec, session, "list", n, session.Measure([&] { items = ListedItems(table, spec.type); }), note);
    ExpectCount(items.size(), n, std::string(spec.name) + " listed");
    double holding = PrivateMegabytes();

    Add(spec, session, "update", n, session.Measure([&] {
        for (size_t i = 0; i < items.size(); ++i) {
            spec.change(items[i].Get(), static_cast<int>(i));
            Check(table->UpdateItem(items[i].Get()), "Updating a record");
        }
    }), note);
    if (spec.probed)
        m_probe.Run(session, table, items, {n, created, before, holding});

    Add(spec, session, "delete", n, session.Measure([&] {
        for (const auto& item : items)
            Check(table->DeleteItem(item.Get()), "Deleting a record");
    }), note);
    ExpectCount(ListedItems(table, spec.type).size(), 0, std::string(spec.name) + " left after deleting every one");
}

void TableBench::Add(const TableSpec& spec, BenchSession& session, const char* operation, int n,
                     const PhaseFigures& figures, const std::string& note)
{
    m_report.Add({spec.name, operation, session.ModelName(), n, figures, note});
}

}  // namespace kelvra::bench
