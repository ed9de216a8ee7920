// The indexes a store uses, kept by a table between its creates so that a create does
// not read the whole list again: it asks the store's record count, one small request,
// and trusts the kept list while the count agrees with it. The list is read again the
// first time, on another agent, when the count disagrees, and after any exchange that
// failed since it was read. While connected, a handset's stores change only through
// the component; the count is the guard against anything else.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ComTypes.h"
#include "KelvraBase.h"

namespace kelvra {

class StoreIndexes {
public:
    // Reads the store's whole index list; called only when the store holds records.
    using ReadList = std::function<std::vector<uint32_t>(CKelvraBase& link)>;

    explicit StoreIndexes(uint32_t store) : m_store(store) {}

    // The indexes the store uses, in the order the handset listed them.
    const std::vector<uint32_t>& Used(CKelvraBase& link, ITAMAgent* agent, const ReadList& read);
    // A write at index was answered: the store holds a record there now.
    void Added(uint32_t index);
    // A delete at index was answered: the store no longer holds a record there.
    void Removed(uint32_t index);

private:
    bool StillHolds(ITAMAgent* agent, uint32_t count) const;

    uint32_t m_store;
    bool m_known = false;
    ComPtr<ITAMAgent> m_agent;
    uint64_t m_failuresSeen = 0;
    uint32_t m_count = 0;
    std::vector<uint32_t> m_indexes;
};

// The kept index lists of the stores one table writes, each made when first asked for.
class KeptIndexes {
public:
    StoreIndexes& Of(uint32_t store) { return m_stores.try_emplace(store, store).first->second; }

private:
    std::map<uint32_t, StoreIndexes> m_stores;
};

}  // namespace kelvra
