// The host's side of a session: the component created by its ProgID, connected to a
// device agent and a model database, and its tables by name.
#pragma once

#include <string>

#include "ComTypes.h"
#include "KelvraSim.h"
#include "QELKELVRA.h"

namespace kelvra::host {

struct SessionOptions {
    std::wstring handsetFolder;  // where the simulated handset keeps its state
    int model = 0;               // the built-in profile of the simulated model; 0 when not given
    std::wstring fault;          // a fault for the simulator to inject, for trying failures
};

// A table of the component with the kind of item a name stands for.
struct NamedTable {
    DATATABLE_SUID id;
    QELDATATYPE itemType;
};

class SyncSession {
public:
    // Opens the handset folder, which stays locked until the session ends, and
    // connects the component to it as the folder's model.
    explicit SyncSession(const SessionOptions& options);
    // Saves what the session changed into the handset's state file and unlocks it.
    ~SyncSession();
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    // The model a new handset folder is made as when no model is given.
    static constexpr int kDefaultModel = 202;

    ComPtr<IDataTable> Table(const std::wstring& name, QELDATATYPE& itemType);
    ComPtr<IDataTable> Table(DATATABLE_SUID id);
    ISimHandset* Handset() const { return m_handset.Get(); }
    // The built-in model the session runs as.
    int Model() const { return m_model; }
    IDeviceData* Device() const { return m_device.Get(); }

    // The names a person may use, with what they stand for.
    static bool Lookup(const std::wstring& name, NamedTable& table);
    static const wchar_t* const* Names();

private:
    // The model the session runs as: the folder's, which a given model must match, or
    // for a new folder the given one (or the default).
    int AgreedModel(const SessionOptions& options);

    ComPtr<IDeviceData> m_device;
    ComPtr<ISimHandset> m_handset;
    ComPtr<ISimModelDatabase> m_models;
    int m_model = kDefaultModel;
};

}  // namespace kelvra::host
