// Lists a table's items, with a progress bar for longer listings when the error stream
// is a terminal.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

// Progress is for a person watching; in a file or a pipe it is only noise.
bool ErrorStreamIsTerminal();

// A record the component cannot read is passed over: its NextItem fails naming it and
// the next one goes on. The walker says so on stderr, once per record however often a
// command lists the table, and goes on; a failure that names no record, or a handset
// that stopped answering, still ends the listing with a ComFailure.
class TableWalker {
public:
    explicit TableWalker(IDataTable* table) : m_table(table) {}

    // How many records the listings of this run passed over.
    static size_t PassedOver() { return PassedOverRecords().size(); }
    // Those records, named as the lines on stderr name them ("contact 2").
    static std::vector<std::string> PassedOverNames();
    // Whether a failure is the link's, not one record's: every later record would fail
    // the same way.
    static bool LinkFailed(HRESULT hr);

    // The items of one kind, in the table's order; for groups only the groups are read.
    std::vector<ComPtr<IItem>> Items(QELDATATYPE kind, bool showProgress);
    // Every item a listing hands out, whatever its kind: the whole table, or what the
    // parent item holds.
    std::vector<ComPtr<IItem>> AllItems(IItem* parent = nullptr);

private:
    // The next item, or none at the listing's end; a passed-over record is said and
    // skipped.
    ComPtr<IItem> Next(std::set<std::string>& passedThisListing);
    void DrawProgress(size_t done, ULONG total) const;
    static std::set<std::string>& PassedOverRecords();

    IDataTable* m_table;
};

}  // namespace kelvra::host
