#include "ConnectionPoint.h"

#include "ComObject.h"

namespace kelvra {

namespace {

// A snapshot enumerator over COM items (IConnectionPoint* or CONNECTDATA).
template <class Enum, class Element>
class Enumerator : public ComObject<Enumerator<Enum, Element>, Enum> {
public:
    explicit Enumerator(std::vector<Element> items, size_t position = 0)
        : m_items(std::move(items)), m_position(position)
    {
        for (auto& item : m_items)
            Unknown(item)->AddRef();
    }
    ~Enumerator() override
    {
        for (auto& item : m_items)
            Unknown(item)->Release();
    }

    STDMETHODIMP Next(ULONG wanted, Element* out, ULONG* fetched) override
    {
        if (!out || (wanted > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < wanted && m_position < m_items.size(); ++given, ++m_position) {
            out[given] = m_items[m_position];
            Unknown(out[given])->AddRef();
        }
        if (fetched)
            *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_items.size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** result) override
    {
        if (!result)
            return E_POINTER;
        *result = Enumerator::Make(m_items, m_position).Detach();
        return S_OK;
    }

private:
    static IUnknown* Unknown(IConnectionPoint* point) { return point; }
    static IUnknown* Unknown(const CONNECTDATA& data) { return data.pUnk; }

    std::vector<Element> m_items;
    size_t m_position;
};

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID iid, bool dispinterface)
    : m_container(container), m_iid(iid), m_dispinterface(dispinterface)
{
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (!InlineIsEqualGUID(iid, IID_IUnknown) && !InlineIsEqualGUID(iid, IID_IConnectionPoint))
        return E_NOINTERFACE;
    *result = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef()
{
    return m_container->AddRef();
}

STDMETHODIMP_(ULONG) ConnectionPoint::Release()
{
    return m_container->Release();
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    Microsoft::WRL::ComPtr<IUnknown> typed;
    HRESULT hr = sink->QueryInterface(m_iid, reinterpret_cast<void**>(typed.GetAddressOf()));
    if (FAILED(hr) && m_dispinterface)
        hr = sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.GetAddressOf()));
    if (FAILED(hr))
        return CONNECT_E_CANNOTCONNECT;
    size_t slot = 0;
    while (slot < m_sinks.size() && m_sinks[slot])
        ++slot;
    if (slot == m_sinks.size())
        m_sinks.emplace_back();
    m_sinks[slot] = typed;
    *cookie = static_cast<DWORD>(slot + 1);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    if (cookie == 0 || cookie > m_sinks.size() || !m_sinks[cookie - 1])
        return CONNECT_E_NOCONNECTION;
    m_sinks[cookie - 1].Reset();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (!connections)
        return E_POINTER;
    std::vector<CONNECTDATA> live;
    for (size_t i = 0; i < m_sinks.size(); ++i) {
        if (m_sinks[i])
            live.push_back(CONNECTDATA{m_sinks[i].Get(), static_cast<DWORD>(i + 1)});
    }
    *connections = Enumerator<IEnumConnections, CONNECTDATA>::Make(std::move(live)).Detach();
    return S_OK;
}

HRESULT FindConnectionPoint(ConnectionPoint* const* points, size_t count, REFIID iid, IConnectionPoint** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (InlineIsEqualGUID(points[i]->Iid(), iid)) {
            *result = points[i];
            points[i]->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT EnumConnectionPoints(ConnectionPoint* const* points, size_t count, IEnumConnectionPoints** result)
{
    if (!result)
        return E_POINTER;
    std::vector<IConnectionPoint*> all(points, points + count);
    *result = Enumerator<IEnumConnectionPoints, IConnectionPoint*>::Make(std::move(all)).Detach();
    return S_OK;
}

}  // namespace kelvra
