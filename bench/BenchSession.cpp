#include "BenchSession.h"

#include <stdexcept>

#include "QuietPlatform.h"

namespace kelvra::bench {

namespace {

constexpr long kCardNameChars = 16;
constexpr long kCardNumberDigits = 32;
constexpr long kCardRecordSize = 150;

std::string ErrorText()
{
    ComPtr<IErrorInfo> info;
    Bstr text;
    if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info || FAILED(info->GetDescription(text.Out())))
        return {};
    return NarrowUtf8(text.Str());
}

}  // namespace

void Check(HRESULT hr, const char* what)
{
    if (SUCCEEDED(hr))
        return;
    char code[16];
    snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(hr));
    throw std::runtime_error(std::string(what) + " failed (" + code + "): " + ErrorText());
}

BenchSession::BenchSession(int model, QuietPlatform& platform) : m_folder(platform.NewFolder())
{
    const std::pair<const wchar_t*, std::wstring> answers[] = {
        {L"PhoneInfo.FromRes", L"true"},
        {L"PhoneInfo.ResID", std::to_wstring(model)},
        {L"Datastore.Phonebook.PB_GROUP", L"true"},
        {L"Phonebook.Photo", L"false"},
        {L"SMS.DualCard", L"true"},
    };
    for (const auto& [key, value] : answers)
        m_models->SetValue(Bstr(key).Get(), Bstr(value).Get());
    // Made as the model, the handset refuses records of another model's size.
    Check(m_handset->put_Model(model), "Making the handset as its model");
    for (long cardKind : {13, 14}) {
        m_handset->SetCardInfo(cardKind, kCardNameChars, kCardSlots, kCardNumberDigits);
        m_handset->SetRecordSize(cardKind, kCardRecordSize);
    }
    m_handset->put_DualCard(VARIANT_TRUE);
    Check(m_device->SetConneciton(static_cast<ISimHandset*>(m_handset.Get()),
                                  static_cast<ISimModelDatabase*>(m_models.Get())),
          "Connecting the component");
    Check(m_device->ListDataTable(), "Listing the data tables");
}

BenchSession::~BenchSession()
{
    m_device.Reset();
    m_handset.Reset();
    RemoveTree(m_folder);
}

IDataTable* BenchSession::Table(DATATABLE_SUID id)
{
    ComPtr<IDataTable> table;
    Check(m_device->GetDataTable(id, table.GetAddressOf()), "Asking for a data table");
    if (!table)
        throw std::runtime_error("the component offers no table " + std::to_string(id));
    return table.Get();  // the device data object keeps its tables for its whole life
}

std::string BenchSession::ModelName() const
{
    return NarrowUtf8(m_device->Model().Text(L"PhoneBaseInfo_PhoneModel"));
}

LONG BenchSession::ProfileNumber(const wchar_t* key) const
{
    return m_device->Model().Number(key);
}

void BenchSession::UseFileSystem()
{
    std::wstring root = FileRoot();
    CreateDirectoryW(root.c_str(), nullptr);
    Check(m_handset->put_FileRoot(Bstr(root).Get()), "Giving the handset its file system");
    Check(m_handset->MakeModelFolders(), "Making the model's folders");
}

}  // namespace kelvra::bench
