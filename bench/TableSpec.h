// A table the benchmark creates, lists, updates and deletes records of, on a model that
// keeps them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "BenchSession.h"

namespace kelvra::bench {

struct TableSpec {
    const char* name;  // as printed: "contacts", "holidays"
    int model;         // the built-in profile's resource number
    DATATABLE_SUID table;
    QELDATATYPE type;
    // How many records the model's store holds.
    std::function<LONG(BenchSession& session)> storeLimit;
    // The columns of the i-th new record, and what an update of it changes.
    std::function<void(IItem* item, int i)> fill;
    std::function<void(IItem* item, int i)> change;
    // Whether the phases are followed further (see ContactProbe).
    bool probed = false;
};

// Every table whose records the component creates, lists, updates and deletes.
const std::vector<TableSpec>& RecordTables();

struct PhaseSize {
    int n;
    std::string note;  // empty, or what held the phase below a size wanted
};

// The sizes wanted that the store holds, and the store's limit in place of those it
// does not, with a note that says "(the store holds 200)" for limitText "the store holds".
std::vector<PhaseSize> SizesWithin(const std::vector<int>& wanted, LONG limit, const char* limitText);

}  // namespace kelvra::bench
