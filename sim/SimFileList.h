// The entries of one handset folder as the agent's listing gives them: folders and files
// sorted by name, counted from 0.
#pragma once

#include <vector>

#include "ComObject.h"
#include "SimFileEntry.h"
#include "TAMAgent.h"

namespace kelvra::sim {

class SimFileList : public ComObject<SimFileList, DispatchImpl<ITAMFileList, 2>, ISupportErrorInfo> {
public:
    explicit SimFileList(std::vector<FolderEntry> entries) : m_entries(std::move(entries)) {}

    STDMETHODIMP get_Count(long* count) override;
    STDMETHODIMP Item(long index, ITAMFileEntry** entry) override;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    std::vector<FolderEntry> m_entries;
};

}  // namespace kelvra::sim
