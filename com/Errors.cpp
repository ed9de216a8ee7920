#include "Errors.h"

#include <new>
#include <stdexcept>

#include "ComTypes.h"

namespace kelvra {

ComPtr<IErrorInfo> MakeErrorInfo(const std::wstring& description)
{
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> info;
    if (FAILED(CreateErrorInfo(&create)))
        return info;
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    create->SetSource(const_cast<LPOLESTR>(L"LUMOQELTAM"));
    create.As(&info);
    return info;
}

void ThrowComError(HRESULT hr, const std::wstring& description)
{
    throw _com_error(hr, MakeErrorInfo(description).Detach(), false);
}

void ThrowTamError(LONG code, const std::wstring& description)
{
    throw _tam_error(MakeErrorInfo(description).Get(), code);
}

void CheckResult(HRESULT hr, IUnknown* source, REFIID iid)
{
    if (SUCCEEDED(hr))
        return;
    ComPtr<IErrorInfo> info;
    ComPtr<ISupportErrorInfo> support;
    if (source && SUCCEEDED(source->QueryInterface(IID_PPV_ARGS(&support))) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
        if (GetErrorInfo(0, &info) != S_OK)
            info.Reset();
    }
    throw _com_error(hr, info.Detach(), false);
}

HRESULT ClassifyCurrentException(ComPtr<IErrorInfo>& info) noexcept
{
    info.Reset();
    try {
        throw;
    } catch (const _tam_error& e) {
        info = e.ErrorInfo();
        return e.Result();
    } catch (const _com_error& e) {
        // ErrorInfo() hands out a reference of its own: take it over rather than add one.
        *info.ReleaseAndGetAddressOf() = e.ErrorInfo();
        return e.Error();
    } catch (const CAtlException& e) {
        return e.Result();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const _map_not_found_error&) {
        info = MakeErrorInfo(L"A column the operation needs is missing from the item");
        return E_FAIL;
    } catch (const _variant_extract_error&) {
        info = MakeErrorInfo(L"A column value has a type the operation cannot use");
        return E_FAIL;
    } catch (const std::exception& e) {
        info = MakeErrorInfo(WidenUtf8(e.what()));
        return E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}

std::wstring CurrentExceptionText(HRESULT* hr) noexcept
{
    ComPtr<IErrorInfo> info;
    HRESULT result = ClassifyCurrentException(info);
    if (hr)
        *hr = result;
    try {
        Bstr description;
        if (info)
            info->GetDescription(description.Out());
        return description.Str();
    } catch (...) {
        return {};
    }
}

}  // namespace kelvra
