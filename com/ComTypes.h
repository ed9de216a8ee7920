// Small RAII owners for BSTR, VARIANT and SAFEARRAY, and the interface pointer type.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <utility>

namespace kelvra {

using Microsoft::WRL::ComPtr;

// Owns one BSTR; null stands for the empty text, as COM allows.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : m_value(std::exchange(other.m_value, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept { std::swap(m_value, other.m_value); return *this; }
    ~Bstr() { SysFreeString(m_value); }

    static Bstr Attach(BSTR owned) { Bstr b; b.m_value = owned; return b; }
    BSTR Detach() { return std::exchange(m_value, nullptr); }
    BSTR Get() const { return m_value; }
    BSTR* Out() { *this = Bstr(); return &m_value; }  // for out parameters
    UINT Length() const { return SysStringLen(m_value); }
    std::wstring Str() const { return m_value ? std::wstring(m_value, Length()) : std::wstring(); }

private:
    BSTR m_value = nullptr;
};

// Owns one VARIANT and clears it on destruction.
class Variant {
public:
    Variant() { VariantInit(&m_value); }
    explicit Variant(const VARIANT& source);  // deep copy
    Variant(const Variant& other) : Variant(other.m_value) {}
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant other) noexcept { std::swap(m_value, other.m_value); return *this; }
    ~Variant() { VariantClear(&m_value); }

    static Variant FromText(std::wstring_view text);
    static Variant FromInt(LONG value);

    VARIANT& Get() { return m_value; }
    const VARIANT& Get() const { return m_value; }
    VARIANT* Out() { VariantClear(&m_value); return &m_value; }
    VARTYPE Type() const { return m_value.vt; }
    HRESULT CopyTo(VARIANT* target) const { return VariantCopy(target, const_cast<VARIANT*>(&m_value)); }

private:
    VARIANT m_value;
};

// Owns a one-dimensional SAFEARRAY of bytes (VT_UI1, lower bound 0).
class ByteArray {
public:
    ByteArray() = default;
    explicit ByteArray(const void* bytes, size_t count);  // throws on allocation failure
    ByteArray(const ByteArray&) = delete;
    ByteArray& operator=(const ByteArray&) = delete;
    ByteArray(ByteArray&& other) noexcept : m_array(std::exchange(other.m_array, nullptr)) {}
    ByteArray& operator=(ByteArray&& other) noexcept { std::swap(m_array, other.m_array); return *this; }
    ~ByteArray() { if (m_array) SafeArrayDestroy(m_array); }

    SAFEARRAY* Get() const { return m_array; }
    SAFEARRAY** Out() { *this = ByteArray(); return &m_array; }
    SAFEARRAY* Detach() { return std::exchange(m_array, nullptr); }
    // The element count; throws when the array is not one-dimensional bytes.
    size_t Size() const;
    // Copies the elements to the end of the given string.
    void AppendTo(std::string& target) const;

private:
    SAFEARRAY* m_array = nullptr;
};

// Hands a text out through a BSTR out parameter: E_POINTER, E_OUTOFMEMORY or S_OK.
HRESULT ReturnText(std::wstring_view text, BSTR* out);

// Appends the elements of a one-dimensional byte SAFEARRAY the caller keeps owning;
// throws when it is not one.
void AppendSafeArrayBytes(SAFEARRAY* array, std::string& target);

// Text between UTF-16 and an 8-bit code page (CP_UTF8, CP_ACP ...).
std::wstring Widen(std::string_view text, UINT codePage);
std::string Narrow(std::wstring_view text, UINT codePage);
inline std::wstring WidenUtf8(std::string_view text) { return Widen(text, CP_UTF8); }
inline std::string NarrowUtf8(std::wstring_view text) { return Narrow(text, CP_UTF8); }

// The text cut to at most maxUnits UTF-16 units, never between the halves of a pair.
std::wstring_view CutWithinUnits(std::wstring_view text, size_t maxUnits);
// The text in an 8-bit code page, cut to the whole characters that fit in maxBytes.
std::string NarrowWithin(std::wstring_view text, UINT codePage, size_t maxBytes);

}  // namespace kelvra
