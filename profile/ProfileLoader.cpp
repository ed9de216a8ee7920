#include "ProfileLoader.h"

#include <cstdio>

#include "ComModule.h"
#include "Errors.h"
#include "ModelName.h"
#include "ProfileFileLock.h"
#include "Platform.h"
#include "ProfileKeyCatalogue.h"

namespace kelvra {

namespace {

constexpr DWORD kValueCapacity = 255;  // values longer than 254 characters are cut
const WORD kProfileLanguage = MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN);  // 1042

}  // namespace

void ProfileLoader::CreateFolder(const std::wstring& folder)
{
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowComError(HRESULT_FROM_WIN32(GetLastError()), L"The folder " + folder + L" cannot be created");
}

std::wstring ProfileLoader::DataFolder()
{
    std::wstring folder = Platform::Current().AppDataFolder();
    if (folder.empty())
        ThrowComError(E_FAIL, L"The user's application-data folder is unknown");
    // Without these folders a fresh machine could never write the profile.
    folder += L"\\Orvane";
    CreateFolder(folder);
    folder += L"\\Tarn";
    CreateFolder(folder);
    return folder;
}

std::wstring ProfileLoader::ProfileFilePath()
{
    return DataFolder() + L"\\PhoneInfo.ini";
}

void ProfileLoader::WriteResourceProfile(int resourceId, const std::wstring& path)
{
    HMODULE module = ComModule::Instance();
    HRSRC resource = FindResourceExW(module, L"INI", MAKEINTRESOURCEW(resourceId), kProfileLanguage);
    if (!resource)
        return;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return;
    // Text mode, as the profile reader expects its line ends.
    FILE* file = _wfopen(path.c_str(), L"wt");
    if (!file)
        return;
    fwrite(bytes, 1, size, file);
    fclose(file);
}

std::wstring AskModelDatabase(IModelDatabase* models, const wchar_t* key)
{
    RequirePointer(models, L"The model database");
    Bstr answer;
    Check(models->GetValue(Bstr(key).Get(), answer.Out()), models);
    return answer.Str();
}

LONG ProfileLoader::Load()
{
    std::wstring path = ProfileFilePath();
    ProfileFileLock onlyLoad(path);
    if (Ask(L"PhoneInfo.FromRes") == L"true") {
        m_profile.resourceId = ParseDecimal(Ask(L"PhoneInfo.ResID"));
        WriteResourceProfile(m_profile.resourceId, path);
    } else {
        std::wstring handsetPath = Ask(L"PhoneInfo.FilePath");
        RequirePointer(m_agent, L"The device agent");
        HRESULT hr = m_agent->GetFile(Bstr(handsetPath).Get(), Bstr(path).Get());
        Check(hr, m_agent);
        if (hr != S_OK)
            return hr;
    }
    m_profile.path = path;
    RequirePointer(m_agent, L"The device agent");
    Check(m_agent->SetMode(0), m_agent);

    ReadBaseKeys();
    ReadTablePresence();
    ProfileKeyCatalogue(*this).LoadDomains();
    return 1;
}

void ProfileLoader::ReadBaseKeys()
{
    m_profile.phoneModel = ReadProfileString(L"Phone Base Info", L"PhoneModel");
    m_profile.SetText(L"PhoneBaseInfo_PhoneModel", m_profile.phoneModel);
    m_profile.SetText(L"PhoneRootPath_Path", ReadProfileString(L"PhoneRootPath", L"Path"));
    m_profile.SetText(L"ExternalRootPath_Path", ReadProfileString(L"ExternalRootPath", L"Path"));
}

void ProfileLoader::ReadTablePresence()
{
    m_profile.presence.fill(0);
    std::wstring list = ReadProfileString(L"DB", L"DB_Table_Index");
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(L',', start);
        if (comma == std::wstring::npos)
            comma = list.size();
        std::wstring_view piece(list.data() + start, comma - start);
        if (!piece.empty()) {
            LONG table = ParseDecimal(piece);
            if (table >= 1 && table <= kTablePresenceCount)
                m_profile.presence[static_cast<size_t>(table - 1)] = 1;
        }
        start = comma + 1;
    }
    // These two models have the organizer's extra stores whatever their list says.
    if (ModelName(m_profile.phoneModel).IsOneOf({L"KTM-A150", L"KTM-A280"})) {
        for (int table : {3, 7, 8, 9, 10})
            m_profile.presence[static_cast<size_t>(table - 1)] = 1;
    }
}

std::wstring ProfileLoader::ReadProfileString(const wchar_t* section, const wchar_t* key) const
{
    wchar_t buffer[kValueCapacity] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, kValueCapacity, m_profile.path.c_str());
    std::wstring value = buffer;
    if (value.empty())
        return L"-1";
    if (wcsstr(key, L"Field_Index")) {
        // "FirstName,wchar,24+1,0" gives its count part, "24+1".
        size_t lastComma = value.rfind(L',');
        value = lastComma == std::wstring::npos ? std::wstring() : value.substr(0, lastComma);
        size_t comma = value.rfind(L',');
        if (comma != std::wstring::npos)
            value = value.substr(comma + 1);
    }
    return value;
}

FieldLength ProfileLoader::ParseFieldCount(std::wstring_view text)
{
    size_t plus = text.find(L'+');
    if (plus == std::wstring_view::npos)
        return {ParseDecimal(text), 0};
    return {ParseDecimal(text.substr(0, plus)), ParseDecimal(text.substr(plus + 1))};
}

}  // namespace kelvra
