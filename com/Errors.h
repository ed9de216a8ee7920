// The exception types that carry failures inside the component, and the helpers that
// raise them from failing HRESULTs.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <comdef.h>
#include <wrl/client.h>

#include <string>

// A handset-level failure: error information (may be null) and a code. A code that is
// not negative reaches the host as 0x80040000 combined with the code.
class _tam_error {
public:
    _tam_error(IErrorInfo* info, LONG code) : m_info(info), m_code(code) {}
    LONG Code() const { return m_code; }
    IErrorInfo* ErrorInfo() const { return m_info.Get(); }
    HRESULT Result() const { return m_code < 0 ? m_code : static_cast<HRESULT>(0x80040000u | static_cast<ULONG>(m_code)); }

private:
    Microsoft::WRL::ComPtr<IErrorInfo> m_info;
    LONG m_code;
};

// Raised by the string, SAFEARRAY and map helpers.
class CAtlException {
public:
    explicit CAtlException(HRESULT hr) : m_hr(hr) {}
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// A named column is absent from a column map.
class _map_not_found_error {};
// A column value cannot be converted to the type asked for.
class _variant_extract_error {};

namespace kelvra {

// The codes of handset-level failures (_tam_error).
enum TamCode : LONG {
    kTamWrongReply = 1,         // a wrong reply code, a reply too short for its record, a refused group write
    kTamStoreFull = 12,         // no free record or slot left in the store
    kTamAgentTimeout = 15,      // the agent stopped delivering a reply
    kTamUnlockRefused = 12020,  // the handset refused the privacy password
};

// Error information with the given description, for exceptions raised by the component.
Microsoft::WRL::ComPtr<IErrorInfo> MakeErrorInfo(const std::wstring& description);

[[noreturn]] void ThrowComError(HRESULT hr, const std::wstring& description);
[[noreturn]] void ThrowTamError(LONG code, const std::wstring& description);

// Raises a failing HRESULT of an outside object as _com_error, carrying the object's
// error information when it offers some for that interface.
void CheckResult(HRESULT hr, IUnknown* source, REFIID iid);

template <class Interface>
void Check(HRESULT hr, Interface* source)
{
    if (FAILED(hr))
        CheckResult(hr, source, __uuidof(Interface));
}

// Raises E_POINTER when an interface the operation needs is missing.
template <class Pointer>
void RequirePointer(const Pointer& pointer, const wchar_t* what)
{
    if (!pointer)
        ThrowComError(E_POINTER, std::wstring(what) + L" is not available");
}

// Rethrows the exception in flight and turns it into an HRESULT and the error
// information to report; call only from inside a catch block.
HRESULT ClassifyCurrentException(Microsoft::WRL::ComPtr<IErrorInfo>& info) noexcept;
// The description the exception in flight carries, or empty; call only from inside a
// catch block. hr, when given, receives its HRESULT.
std::wstring CurrentExceptionText(HRESULT* hr = nullptr) noexcept;

}  // namespace kelvra
