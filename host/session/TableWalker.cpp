#include "TableWalker.h"

#include <cctype>
#include <cstdio>

#include "ComFailure.h"
#include "ItemColumns.h"

namespace kelvra::host {

namespace {

constexpr ULONG kProgressFrom = 5;  // shorter listings show no bar
constexpr int kBarWidth = 30;
// The handset not answering: the agent's time-out.
constexpr HRESULT kAgentTimedOut = static_cast<HRESULT>(0x8004000F);
// How the component's error information says that it passed a record over.
const char kPassedOverMark[] = " could not be read; the listing goes on with the next one";

}  // namespace

bool ErrorStreamIsTerminal()
{
    return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
}

std::vector<ComPtr<IItem>> TableWalker::Items(QELDATATYPE kind, bool showProgress)
{
    std::vector<ComPtr<IItem>> items;
    CheckCall(m_table->ListItemsAllBegin(), "Starting the listing");
    ULONG total = 0;
    // Groups are few, and the count covers the whole table. Counted once the listing
    // has begun: some tables count what their listing found.
    showProgress = showProgress && kind != QELDT_GROUP && ErrorStreamIsTerminal();
    if (showProgress && FAILED(m_table->GetItemCount(nullptr, 0, kind, &total)))
        total = 0;
    bool drawing = showProgress && total >= kProgressFrom;

    size_t seen = 0;
    std::set<std::string> passed;
    for (;;) {
        ComPtr<IItem> item = Next(passed);
        if (!item)
            break;
        ++seen;
        if (drawing)
            DrawProgress(seen, total);
        QELDATATYPE type = ItemType(item.Get());
        if (type == kind)
            items.push_back(item);
        else if (kind == QELDT_GROUP)
            break;  // the phonebook hands out its groups first

    }
    m_table->ListItemsEnd();
    if (drawing)
        fputs("\n", stderr);
    return items;
}

std::vector<ComPtr<IItem>> TableWalker::AllItems(IItem* parent)
{
    CheckCall(parent ? m_table->ListChildItemsBegin(parent) : m_table->ListItemsAllBegin(), "Starting the listing");
    std::vector<ComPtr<IItem>> items;
    std::set<std::string> passed;
    while (ComPtr<IItem> item = Next(passed))
        items.push_back(item);
    m_table->ListItemsEnd();
    return items;
}

ComPtr<IItem> TableWalker::Next(std::set<std::string>& passedThisListing)
{
    for (;;) {
        ComPtr<IItem> item;
        try {
            CheckCall(m_table->NextItem(item.GetAddressOf()), "Reading the next item");
            return item;
        } catch (const ComFailure& failure) {
            size_t mark = failure.Reason().find(kPassedOverMark);
            // A failing link is not a damaged record; a record named twice in one listing
            // means the listing does not move on.
            if (mark == std::string::npos || LinkFailed(failure.Result()))
                throw;
            std::string record = failure.Reason().substr(0, mark);
            if (!record.empty())
                record[0] = static_cast<char>(tolower(static_cast<unsigned char>(record[0])));
            if (!passedThisListing.insert(record).second)
                throw;
            if (PassedOverRecords().insert(record).second) {
                std::string why = failure.Reason().substr(mark + sizeof(kPassedOverMark) - 1);
                fflush(stdout);
                fprintf(stderr, "kelvra-sync: passed over %s, which could not be read%s\n", record.c_str(),
                        why.c_str());
            }
        }
    }
}

// The agent's time-out, and whatever the system says of the line (its own time-out, a
// port gone, a device not ready) or of an agent that is not usable.
bool TableWalker::LinkFailed(HRESULT hr)
{
    return hr == kAgentTimedOut || HRESULT_FACILITY(hr) == FACILITY_WIN32 || hr == E_UNEXPECTED;
}

std::vector<std::string> TableWalker::PassedOverNames()
{
    return {PassedOverRecords().begin(), PassedOverRecords().end()};
}

std::set<std::string>& TableWalker::PassedOverRecords()
{
    static std::set<std::string> records;
    return records;
}

void TableWalker::DrawProgress(size_t done, ULONG total) const
{
    size_t filled = total ? done * kBarWidth / total : 0;
    if (filled > static_cast<size_t>(kBarWidth))
        filled = kBarWidth;
    fprintf(stderr, "\r[%s%s] %zu/%lu", std::string(filled, '#').c_str(),
            std::string(kBarWidth - filled, ' ').c_str(), done, static_cast<unsigned long>(total));
    fflush(stderr);
}

}  // namespace kelvra::host
