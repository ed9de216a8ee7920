// Connection points: one outgoing interface's sinks, kept in a growable array whose
// cookies are slot numbers; the point lives inside its container and shares its life.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <vector>

namespace kelvra {

class ConnectionPoint : public IConnectionPoint {
public:
    // A dispinterface point also takes sinks that answer only IDispatch.
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid, bool dispinterface);

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    REFIID Iid() const { return m_iid; }
    // The sink array as it stands, empty slots included.
    const std::vector<Microsoft::WRL::ComPtr<IUnknown>>& Sinks() const { return m_sinks; }

private:
    IConnectionPointContainer* m_container;  // owns this point
    IID m_iid;
    bool m_dispinterface;
    std::vector<Microsoft::WRL::ComPtr<IUnknown>> m_sinks;
};

// Serves IConnectionPointContainer over a fixed set of points.
HRESULT FindConnectionPoint(ConnectionPoint* const* points, size_t count, REFIID iid, IConnectionPoint** result);
HRESULT EnumConnectionPoints(ConnectionPoint* const* points, size_t count, IEnumConnectionPoints** result);

}  // namespace kelvra
