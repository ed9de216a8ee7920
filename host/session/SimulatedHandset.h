// The simulator's handset, kept in a folder and fitted out as the demo phone: two cards
// of 250 entries and SMS per card. The folder stays locked while this object lives and
// holds what every change saved, so a killed program loses nothing it was told was done.
#pragma once

#include <string>

#include "ComTypes.h"
#include "KelvraSim.h"

namespace kelvra::host {

class SimulatedHandset {
public:
    // The model a new handset folder is made as when no model is given.
    static constexpr int kDefaultModel = 202;

    // Opens the folder as model (0: the folder's own, or the default for a new folder);
    // a model the folder was not made as is refused.
    SimulatedHandset(const std::wstring& folder, int model);
    // Saves the changes into the handset's state file and lets the folder go.
    ~SimulatedHandset();
    SimulatedHandset(const SimulatedHandset&) = delete;
    SimulatedHandset& operator=(const SimulatedHandset&) = delete;

    int Model() const { return m_model; }
    // The connection the component is given, and the simulator's control of the handset.
    ISimHandset* Control() const { return m_handset.Get(); }
    // Ties the folder to its model; done once the model is known to work.
    void RecordModel();
    // "timeout" spoils every reply from now on, "timeout@3" the one after 3 others.
    void InjectFault(const std::wstring& fault);

private:
    int AgreedModel(const std::wstring& folder, int model);

    ComPtr<ISimHandset> m_handset;
    int m_model = kDefaultModel;
};

}  // namespace kelvra::host
