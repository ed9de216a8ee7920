// Lists a table's items, with a progress bar on the error stream for longer listings.
#pragma once

#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::tools {

class TableWalker {
public:
    explicit TableWalker(IDataTable* table) : m_table(table) {}

    // The items of one kind, in the table's order.
    std::vector<ComPtr<IItem>> Items(QELDATATYPE kind, bool showProgress);

private:
    void DrawProgress(size_t done, ULONG total) const;

    IDataTable* m_table;
};

}  // namespace kelvra::tools
