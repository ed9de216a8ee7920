// Lists a table's items, with a progress bar for longer listings when the error stream
// is a terminal.
#pragma once

#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

class TableWalker {
public:
    explicit TableWalker(IDataTable* table) : m_table(table) {}

    // The items of one kind, in the table's order; for groups only the groups are read.
    std::vector<ComPtr<IItem>> Items(QELDATATYPE kind, bool showProgress);
    // Every item a listing hands out, whatever its kind: the whole table, or what the
    // parent item holds.
    std::vector<ComPtr<IItem>> AllItems(IItem* parent = nullptr);

private:
    void DrawProgress(size_t done, ULONG total) const;

    IDataTable* m_table;
};

}  // namespace kelvra::host
