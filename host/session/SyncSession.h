// The host's side of a session: the component created by its ProgID, connected to a
// device agent and a model database, and its tables by name.
#pragma once

#include <optional>
#include <string>

#include "ComTypes.h"
#include "KelvraSim.h"
#include "QELKELVRA.h"
#include "SimulatedHandset.h"

namespace kelvra::host {

struct SessionOptions {
    std::wstring handsetFolder;  // where the simulated handset keeps its state
    int model = 0;               // the built-in profile of the handset's model; 0 when not given
    std::wstring fault;          // a fault for the simulator to inject, for trying failures
    std::wstring port;           // a serial port with a handset on it, instead of the simulator
    long baudRate = 0;           // the port's; 0 for the serial link's default
};

// A table of the component with the kind of item a name stands for.
struct NamedTable {
    DATATABLE_SUID id;
    QELDATATYPE itemType;
};

class SyncSession {
public:
    // Opens the handset folder, which stays locked until the session ends, and
    // connects the component to it as the folder's model; or, given a port, opens the
    // port and connects the component to the handset on it as the given model.
    explicit SyncSession(const SessionOptions& options);
    // Saves what the session changed into the handset's state file and unlocks it.
    ~SyncSession();
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;

    static constexpr int kDefaultModel = SimulatedHandset::kDefaultModel;

    ComPtr<IDataTable> Table(const std::wstring& name, QELDATATYPE& itemType);
    ComPtr<IDataTable> Table(DATATABLE_SUID id);
    // The simulator's control of the handset; null for a handset on a serial port.
    ISimHandset* Handset() const { return m_simulated ? m_simulated->Control() : nullptr; }
    // The built-in model the session runs as.
    int Model() const { return m_model; }
    IDeviceData* Device() const { return m_device.Get(); }

    // The names a person may use, with what they stand for.
    static bool Lookup(const std::wstring& name, NamedTable& table);
    static const wchar_t* const* Names();

private:
    // The device agent's connection: the simulated handset's, or the serial port's.
    ComPtr<IUnknown> Connect(const SessionOptions& options);

    std::optional<SimulatedHandset> m_simulated;
    ComPtr<ISerialLink> m_serial;
    ComPtr<IDeviceData> m_device;
    ComPtr<ISimModelDatabase> m_models;
    int m_model = kDefaultModel;
};

}  // namespace kelvra::host
