// One simulated handset of a model with the component connected to it as the host
// connects them, a fresh one for every phase, so that no phase finds what an earlier
// one left on the handset.
#pragma once

#include <string>

#include "DeviceDataKELVRA.h"
#include "PhaseFigures.h"
#include "SimConnection.h"
#include "SimModelDatabase.h"

namespace kelvra::bench {

class QuietPlatform;

class BenchSession {
public:
    // The built-in profile's resource number: 202 KTM-A280, 211 KTM-A290, 218 KTM-A110.
    // Throws std::runtime_error when the component does not take the model.
    BenchSession(int model, QuietPlatform& platform);
    ~BenchSession();
    BenchSession(const BenchSession&) = delete;
    BenchSession& operator=(const BenchSession&) = delete;

    // Each simulated card has this many slots, as the host's demo handset's cards.
    static constexpr long kCardSlots = 250;

    IDataTable* Table(DATATABLE_SUID id);
    sim::SimHandset& Sim() { return m_handset->State().handset; }
    sim::SimConnection& Connection() { return *m_handset.Get(); }
    CDeviceDataKELVRA& Device() { return *m_device.Get(); }
    std::string ModelName() const;
    LONG ProfileNumber(const wchar_t* key) const;
    // A PC folder of the session's own, removed with the session.
    const std::wstring& Folder() const { return m_folder; }
    // Gives the handset its file system, kept in FileRoot().
    void UseFileSystem();
    std::wstring FileRoot() const { return m_folder + L"\\files"; }

    PhaseFigures Measure(const std::function<void()>& work) { return PhaseFigures::Measure(Sim(), work); }

private:
    ComPtr<CDeviceDataKELVRA> m_device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> m_handset = sim::SimConnection::Make();
    ComPtr<sim::SimModelDatabase> m_models = sim::SimModelDatabase::Make();
    std::wstring m_folder;
};

// Throws std::runtime_error naming what failed, with the error information the call left.
void Check(HRESULT hr, const char* what);

}  // namespace kelvra::bench
