#include "TableWalker.h"

#include <cstdio>

#include "ComFailure.h"
#include "ItemColumns.h"

namespace kelvra::host {

namespace {

constexpr ULONG kProgressFrom = 5;  // shorter listings show no bar
constexpr int kBarWidth = 30;

// A bar is for a person watching; in a file or a pipe it is only noise.
bool ErrorStreamIsTerminal()
{
    return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
}

}  // namespace

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
    for (;;) {
        ComPtr<IItem> item;
        CheckCall(m_table->NextItem(item.GetAddressOf()), "Reading the next item");
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
    for (;;) {
        ComPtr<IItem> item;
        CheckCall(m_table->NextItem(item.GetAddressOf()), "Reading the next item");
        if (!item)
            break;
        items.push_back(item);
    }
    m_table->ListItemsEnd();
    return items;
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
