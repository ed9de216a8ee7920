#include "StoreIndexes.h"

#include <algorithm>

namespace kelvra {

const std::vector<uint32_t>& StoreIndexes::Used(CKelvraBase& link, ITAMAgent* agent, const ReadList& read)
{
    uint32_t count = link.GetRecordCount(m_store);
    if (StillHolds(agent, count))
        return m_indexes;
    m_known = false;
    m_indexes = count > 0 ? read(link) : std::vector<uint32_t>();
    m_count = count;
    m_agent = agent;
    m_failuresSeen = CKelvraBase::FailedExchanges();
    m_known = true;
    return m_indexes;
}

bool StoreIndexes::StillHolds(ITAMAgent* agent, uint32_t count) const
{
    return m_known && m_agent.Get() == agent && m_failuresSeen == CKelvraBase::FailedExchanges() &&
           count == m_count;
}

void StoreIndexes::Added(uint32_t index)
{
    if (m_known && std::find(m_indexes.begin(), m_indexes.end(), index) == m_indexes.end()) {
        m_indexes.push_back(index);
        ++m_count;
    }
}

void StoreIndexes::Removed(uint32_t index)
{
    auto found = std::find(m_indexes.begin(), m_indexes.end(), index);
    if (m_known && found != m_indexes.end()) {
        m_indexes.erase(found);
        --m_count;
    }
}

}  // namespace kelvra
