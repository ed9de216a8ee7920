#include "DataTableKelvraMetadata.h"

#include <cwctype>

#include "CapabilityDocuments.h"
#include "ErrorBoundary.h"
#include "Errors.h"
#include "KelvraBase.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr uint16_t kLockStatus = 0x1020;
constexpr uint16_t kUnlock = 0x1010;
constexpr size_t kPasswordBytes = 8;
constexpr size_t kLockFlagBytes = 7;

std::wstring Trimmed(const std::wstring& text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first]))
        ++first;
    while (last > first && std::iswspace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

}  // namespace

void CDataTableKelvraMetadata::SetSpeedDials(const std::vector<uint16_t>& usedNumbers)
{
    m_speedDials.assign(usedNumbers.begin(), usedNumbers.end());
}

STDMETHODIMP CDataTableKelvraMetadata::GetProperty(BSTR name, BSTR* value)
{
    return ComBoundary(L"CDataTableKelvraMetadata::GetProperty", [&] {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        std::wstring property = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
        if (property == L"DevInf")
            return ReturnText(BuildDevInf(Owner().Model()), value);
        if (property == L"SpeedDialInfo")
            return ReturnText(BuildSpeedDialInfo(m_speedDials), value);
        if (property == L"PRIVACY_LOCK")
            return ReturnText(PrivacyLockStatus(), value);
        return E_FAIL;
    });
}

std::wstring CDataTableKelvraMetadata::PrivacyLockStatus()
{
    if (!m_lockStatus.empty())
        return m_lockStatus;
    CKelvraBase link(RequireAgent(), 1, 3000);
    uint32_t received = 0;
    std::string flags = link.ExchangeAlloc(Request(kLockStatus), received, 3000);
    if (flags.size() < kLockFlagBytes)
        ThrowTamError(kTamWrongReply, L"The handset's privacy lock reply is a short reply of " +
                                          std::to_wstring(flags.size()) + L" bytes; it needs " +
                                          std::to_wstring(kLockFlagBytes));
    auto entry = [&](size_t byte) { return flags[byte] == 1 ? L"1," : L"0,"; };
    // Entries 0, 1, 2, 3 and 5 come from the handset's flags; the others are never set.
    std::wstring status = entry(0);
    status += entry(2);
    status += entry(1);
    status += entry(5);
    status += L"0,";
    status += entry(3);
    for (int unused = 6; unused <= 13; ++unused)
        status += L"0,";
    status += L"0";
    m_lockStatus = status;
    return m_lockStatus;
}

STDMETHODIMP CDataTableKelvraMetadata::Execute(BSTR param, IItem*, IItem**)
{
    return ComBoundary(L"CDataTableKelvraMetadata::Execute", [&] {
        std::wstring text = param ? std::wstring(param, SysStringLen(param)) : std::wstring();
        size_t colon = text.find(L':');
        if (colon == std::wstring::npos)
            return E_FAIL;
        if (Trimmed(text.substr(0, colon)) != L"PRIVACY_UNLOCK")
            return E_FAIL;
        Unlock(text.substr(colon + 1, 8));
        return S_OK;
    });
}

void CDataTableKelvraMetadata::Unlock(const std::wstring& password)
{
    std::string utf8 = NarrowUtf8(password);
    if (utf8.size() > kPasswordBytes)
        ThrowComError(E_INVALIDARG, L"The password takes more than 8 bytes as UTF-8; the handset cannot take it");
    CKelvraBase link(RequireAgent(), 1, 3000);
    Request request(kUnlock);
    request.Field(utf8, kPasswordBytes + 1);
    uint8_t reply[16];
    uint32_t received = 0;
    if (!link.Exchange(request, reply, sizeof(reply), received, CKelvraBase::kMismatchIsFalse, 3000))
        ThrowTamError(kTamUnlockRefused, L"The handset refused the privacy password");
    for (wchar_t& c : m_lockStatus) {
        if (c == L'0' || c == L'1')
            c = L'2';
    }
}

STDMETHODIMP CDataTableKelvraMetadata::NewItem(QELDATATYPE, SUID, SUID, IItem** item)
{
    if (item)
        *item = nullptr;
    return S_OK;
}

}  // namespace kelvra
