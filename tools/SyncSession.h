// The host's side of a session: the component created by its ProgID, connected to a
// device agent and a model database, and its tables by name.
#pragma once

#include <string>

#include "ComTypes.h"
#include "KelvraSim.h"
#include "QELKELVRA.h"

namespace kelvra::tools {

struct SessionOptions {
    std::wstring handsetFolder;  // where the simulated handset keeps its state
    int model = 202;             // the built-in profile of the simulated model
    std::wstring fault;          // a fault for the simulator to inject, for trying failures
};

// A table of the component with the kind of item a name stands for.
struct NamedTable {
    DATATABLE_SUID id;
    QELDATATYPE itemType;
};

class SyncSession {
public:
    explicit SyncSession(const SessionOptions& options);

    ComPtr<IDataTable> Table(const std::wstring& name, QELDATATYPE& itemType);
    ComPtr<IDataTable> Table(DATATABLE_SUID id);
    ISimHandset* Handset() const { return m_handset.Get(); }

    // The names a person may use, with what they stand for.
    static bool Lookup(const std::wstring& name, NamedTable& table);
    static const wchar_t* const* Names();

private:
    ComPtr<IDeviceData> m_device;
    ComPtr<ISimHandset> m_handset;
    ComPtr<ISimModelDatabase> m_models;
};

}  // namespace kelvra::tools
