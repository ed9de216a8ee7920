#include "ComTypes.h"

#include "Errors.h"

namespace kelvra {

Bstr::Bstr(std::wstring_view text)
{
    if (text.empty())
        return;
    m_value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!m_value)
        throw CAtlException(E_OUTOFMEMORY);
}

Bstr::Bstr(const Bstr& other)
{
    if (!other.m_value)
        return;
    m_value = SysAllocStringLen(other.m_value, other.Length());
    if (!m_value)
        throw CAtlException(E_OUTOFMEMORY);
}

Variant::Variant(const VARIANT& source)
{
    VariantInit(&m_value);
    HRESULT hr = VariantCopy(&m_value, const_cast<VARIANT*>(&source));
    if (FAILED(hr))
        throw CAtlException(hr);
}

Variant::Variant(Variant&& other) noexcept
{
    m_value = other.m_value;
    VariantInit(&other.m_value);
}

Variant Variant::FromText(std::wstring_view text)
{
    Variant v;
    v.m_value.vt = VT_BSTR;
    v.m_value.bstrVal = Bstr(text).Detach();
    if (!v.m_value.bstrVal)
        v.m_value.bstrVal = SysAllocString(L"");
    if (!v.m_value.bstrVal)
        throw CAtlException(E_OUTOFMEMORY);
    return v;
}

Variant Variant::FromInt(LONG value)
{
    Variant v;
    v.m_value.vt = VT_I4;
    v.m_value.lVal = value;
    return v;
}

ByteArray::ByteArray(const void* bytes, size_t count)
{
    m_array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(count));
    if (!m_array)
        throw CAtlException(E_OUTOFMEMORY);
    if (count == 0)
        return;
    void* data = nullptr;
    HRESULT hr = SafeArrayAccessData(m_array, &data);
    if (FAILED(hr))
        throw CAtlException(hr);
    memcpy(data, bytes, count);
    SafeArrayUnaccessData(m_array);
}

namespace {

size_t ElementCount(SAFEARRAY* array)
{
    if (!array)
        return 0;
    if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1)
        throw CAtlException(E_INVALIDARG);
    LONG lower = 0, upper = -1;
    HRESULT hr = SafeArrayGetLBound(array, 1, &lower);
    if (SUCCEEDED(hr))
        hr = SafeArrayGetUBound(array, 1, &upper);
    if (FAILED(hr))
        throw CAtlException(hr);
    return upper < lower ? 0 : static_cast<size_t>(upper - lower) + 1;
}

}  // namespace

void AppendSafeArrayBytes(SAFEARRAY* array, std::string& target)
{
    size_t count = ElementCount(array);
    if (count == 0)
        return;
    void* data = nullptr;
    HRESULT hr = SafeArrayAccessData(array, &data);
    if (FAILED(hr))
        throw CAtlException(hr);
    target.append(static_cast<const char*>(data), count);
    SafeArrayUnaccessData(array);
}

size_t ByteArray::Size() const
{
    return ElementCount(m_array);
}

void ByteArray::AppendTo(std::string& target) const
{
    AppendSafeArrayBytes(m_array, target);
}

HRESULT ReturnText(std::wstring_view text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring Widen(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view text, UINT codePage)
{
    if (text.empty())
        return {};
    int length =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring_view CutWithinUnits(std::wstring_view text, size_t maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    size_t kept = maxUnits;
    if (kept > 0 && IS_HIGH_SURROGATE(text[kept - 1]))
        --kept;
    return text.substr(0, kept);
}

std::string NarrowWithin(std::wstring_view text, UINT codePage, size_t maxBytes)
{
    std::string whole = Narrow(text, codePage);
    if (whole.size() <= maxBytes)
        return whole;
    std::string kept;
    for (size_t at = 0; at < text.size();) {
        size_t units = IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() ? 2 : 1;
        std::string character = Narrow(text.substr(at, units), codePage);
        if (kept.size() + character.size() > maxBytes)
            break;
        kept += character;
        at += units;
    }
    return kept;
}

}  // namespace kelvra
