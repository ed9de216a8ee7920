// A simulator connection: the device agent's connection object, and the control of the
// emulated handset behind it.
#pragma once

#include <memory>

#include "AgentSlots.h"
#include "ComObject.h"
#include "ConnectionPoint.h"
#include "KelvraSim.h"
#include "ComTypes.h"
#include "SimState.h"

namespace kelvra::sim {

class SimConnection : public ComObject<SimConnection, DispatchImpl<ISimHandset, 2>, ConnectionSlots,
                                       IConnectionPointContainer> {
public:
    SimConnection();
    ~SimConnection() override;

    // The handset, for tests that drive it directly.
    SimState& State() { return *m_state; }

    // ITAMConnection
    STDMETHODIMP GetConnectionText(BSTR* text) override;
    STDMETHODIMP GetService(GUID serviceId, IUnknown** service) override;

    // ISimHandset
    STDMETHODIMP SetChunkSizes(long smallest, long largest) override;
    STDMETHODIMP InjectFault(SIMFAULT fault, long afterRequests) override;
    STDMETHODIMP PutRecord(long store, long index, BSTR hexBytes) override;
    STDMETHODIMP AddSms(long box, BSTR number, BSTR text, long time) override;
    STDMETHODIMP AddMms(long folder, BSTR subject, BSTR sender, BSTR receiver, long time, BSTR contentHex,
                        long* messageId) override;
    STDMETHODIMP GetRecord(long store, long index, BSTR* hexBytes) override;
    STDMETHODIMP RemoveRecord(long store, long index) override;
    STDMETHODIMP RecordCount(long store, long* count) override;
    STDMETHODIMP get_FileRoot(BSTR* folder) override;
    STDMETHODIMP put_FileRoot(BSTR folder) override;
    STDMETHODIMP get_RequestCount(long* count) override;
    STDMETHODIMP get_LastRequest(BSTR* hexBytes) override;
    STDMETHODIMP get_Mode(long* mode) override;
    STDMETHODIMP get_CodePage(long* codePage) override;
    STDMETHODIMP put_AgentAvailable(VARIANT_BOOL available) override;
    STDMETHODIMP FailMethod(BSTR method, long hr) override;
    STDMETHODIMP FailMethodCall(BSTR method, long call, long hr) override;
    STDMETHODIMP MethodCalls(BSTR method, long* count) override;
    STDMETHODIMP get_BytesExchanged(double* bytes) override;
    STDMETHODIMP SetRecordSize(long store, long size) override;
    STDMETHODIMP SetCardInfo(long cardKind, long nameLimit, long slotCount, long numberLimit) override;
    STDMETHODIMP SetPrivacyLock(BSTR flagsHex, BSTR password) override;
    STDMETHODIMP KeepStateIn(BSTR folder) override;
    STDMETHODIMP get_Model(long* model) override;
    STDMETHODIMP put_Model(long model) override;
    STDMETHODIMP put_DualCard(VARIANT_BOOL dualCard) override;
    STDMETHODIMP get_StateBytesWritten(double* bytes) override;
    STDMETHODIMP ReleaseState() override;
    STDMETHODIMP FailCopyAfter(long blocks, long hr) override;
    STDMETHODIMP put_LinkVersion(long version) override;
    STDMETHODIMP put_FreeSpaceError(long code) override;
    STDMETHODIMP SetMemory(BSTR root, double capacityBytes) override;
    STDMETHODIMP MakeModelFolders() override;

    // IConnectionPointContainer: the agent's file copy events (ITAMAgentEvents).
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    // Makes the folders a new handset of the recorded model comes with, those missing;
    // S_FALSE for a model without a file system.
    HRESULT MakeFoldersOfModel();
    bool HasPhoneRoot() const;

    std::shared_ptr<SimState> m_state;
    ComPtr<ITAMAgent> m_agent;
    ConnectionPoint m_transferEvents;
};

}  // namespace kelvra::sim
