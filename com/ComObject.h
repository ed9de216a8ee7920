// A small COM object layer: reference counting tied to the module's lock count, a
// QueryInterface table generated from the list of implemented interfaces, IDispatch
// served from the embedded type library, and optional aggregation.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

#include "ComModule.h"
#include "TypeLibrary.h"

namespace kelvra {

// Implements IDispatch for the dual interface Interface from the type library in the
// binary's TYPELIB resource LibraryResource.
// Parents are interfaces Interface derives from that QueryInterface answers too.
template <class Interface, int LibraryResource = 1, class... Parents>
class DispatchImpl : public Interface {
public:
    using ExposedInterface = Interface;
    static constexpr bool kServesDispatch = true;
    static bool MatchesParent(REFIID iid) { return (InlineIsEqualGUID(iid, __uuidof(Parents)) || ...); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return TypeLibrary::Embedded(LibraryResource).GetTypeInfo(__uuidof(Interface), info);
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        HRESULT hr = TypeLibrary::Embedded(LibraryResource).GetTypeInfo(__uuidof(Interface), &info);
        return FAILED(hr) ? hr : info->GetIDsOfNames(names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override
    {
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        HRESULT hr = TypeLibrary::Embedded(LibraryResource).GetTypeInfo(__uuidof(Interface), &info);
        if (FAILED(hr))
            return hr;
        return info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argumentError);
    }
};

// An interface derived from IDispatch that is not offered to scripts.
template <class Interface>
class NoDispatchImpl : public Interface {
public:
    using ExposedInterface = Interface;
    static constexpr bool kServesDispatch = false;
    static bool MatchesParent(REFIID) { return false; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

namespace detail {

// What a base of a COM object answers in QueryInterface.
template <class Base, class = void>
struct Exposed {
    static bool Matches(REFIID iid) { return InlineIsEqualGUID(iid, __uuidof(Base)); }
};

template <class Base>
struct Exposed<Base, std::void_t<typename Base::ExposedInterface>> {
    static bool Matches(REFIID iid)
    {
        return InlineIsEqualGUID(iid, __uuidof(typename Base::ExposedInterface)) ||
               (Base::kServesDispatch && InlineIsEqualGUID(iid, IID_IDispatch)) || Base::MatchesParent(iid);
    }
};

template <class First, class... Rest>
struct FirstOf {
    using Type = First;
};

}  // namespace detail

// Derived lists its interfaces (or DispatchImpl<I> for a dual interface) in the order in
// which QueryInterface answers them. A class that sets kAggregatable may be created
// inside an outer object.
template <class Derived, class... Bases>
class ComObject : public Bases... {
public:
    static constexpr bool kAggregatable = false;

    // Makes an object with one reference held by the result.
    template <class... Args>
    static Microsoft::WRL::ComPtr<Derived> Make(Args&&... args)
    {
        // MinGW's ComPtr::Attach adds a reference, so the new object's first one is
        // handed over through the address instead.
        Microsoft::WRL::ComPtr<Derived> object;
        *object.GetAddressOf() = new Derived(std::forward<Args>(args)...);
        return object;
    }

    // The class factory's creator: COM's rules for aggregation included.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** result)
    {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        if (outer && (!Derived::kAggregatable || !InlineIsEqualGUID(iid, IID_IUnknown)))
            return CLASS_E_NOAGGREGATION;
        Derived* object = new (std::nothrow) Derived();
        if (!object)
            return E_OUTOFMEMORY;
        if (outer) {
            object->m_outer = outer;
            *result = &object->m_inner;  // keeps the creation reference
            return S_OK;
        }
        HRESULT hr = object->QueryInterface(iid, result);
        object->Release();
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** result) override
    {
        if (m_outer)
            return m_outer->QueryInterface(iid, result);
        return InnerQueryInterface(iid, result);
    }

    STDMETHODIMP_(ULONG) AddRef() override { return m_outer ? m_outer->AddRef() : ++m_refs; }

    STDMETHODIMP_(ULONG) Release() override { return m_outer ? m_outer->Release() : InnerRelease(); }

    // This object's own identity, also when it is aggregated.
    IUnknown* Identity()
    {
        return m_outer ? m_outer : static_cast<IUnknown*>(static_cast<typename detail::FirstOf<Bases...>::Type*>(this));
    }

protected:
    ComObject() { ComModule::Lock(); }
    virtual ~ComObject() { ComModule::Unlock(); }

private:
    // The non-delegating unknown that an outer object holds.
    class InnerUnknown : public IUnknown {
    public:
        explicit InnerUnknown(ComObject* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** result) override
        {
            if (!result)
                return E_POINTER;
            if (InlineIsEqualGUID(iid, IID_IUnknown)) {
                *result = this;
                AddRef();
                return S_OK;
            }
            return m_owner->InnerQueryInterface(iid, result);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++m_owner->m_refs; }
        STDMETHODIMP_(ULONG) Release() override { return m_owner->InnerRelease(); }

    private:
        ComObject* m_owner;
    };

    HRESULT InnerQueryInterface(REFIID iid, void** result)
    {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        IUnknown* found = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown))
            found = static_cast<typename detail::FirstOf<Bases...>::Type*>(this);
        else
            ((found = found ? found : Find<Bases>(iid)), ...);
        if (!found)
            return E_NOINTERFACE;
        found->AddRef();
        *result = found;
        return S_OK;
    }

    template <class Base>
    IUnknown* Find(REFIID iid)
    {
        return detail::Exposed<Base>::Matches(iid) ? static_cast<Base*>(this) : nullptr;
    }

    ULONG InnerRelease()
    {
        ULONG remaining = --m_refs;
        if (remaining == 0)
            delete static_cast<Derived*>(this);
        return remaining;
    }

    std::atomic<ULONG> m_refs{1};
    IUnknown* m_outer = nullptr;  // not counted: the outer object owns this one
    InnerUnknown m_inner{this};
};

}  // namespace kelvra
