// One entry of a handset folder listing: a file or a folder, by its PC name.
#pragma once

#include <string>

#include "ComObject.h"
#include "TAMAgent.h"

namespace kelvra::sim {

struct FolderEntry {
    std::wstring name;
    bool isFile = false;
    long size = 0;  // 0 for a folder
};

class SimFileEntry : public ComObject<SimFileEntry, DispatchImpl<ITAMFileEntry, 2>> {
public:
    explicit SimFileEntry(FolderEntry entry) : m_entry(std::move(entry)) {}

    STDMETHODIMP get_Name(BSTR* name) override;
    STDMETHODIMP get_IsFile(VARIANT_BOOL* isFile) override;
    STDMETHODIMP get_Size(long* size) override;

private:
    FolderEntry m_entry;
};

}  // namespace kelvra::sim
