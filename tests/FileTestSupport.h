// The file table over the simulated handset, whose files live in a fresh folder of the
// PC, with a host sink on each of the device data object's event points.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ComObject.h"
#include "HostSinkBase.h"
#include "PhonebookTestSupport.h"

namespace kelvra::testing {

inline constexpr int kA230 = 208;
inline constexpr int kA290 = 211;

struct Progress {
    std::string sink;
    LONG done;
    LONG total;
};

// Records each call; clears the continue flag on the call numbered cancelAt (counting
// from 1 over both sinks).
class RecordingHost : public ComObject<RecordingHost, HostSinkBase> {
public:
    RecordingHost(std::string name, std::vector<Progress>& calls, size_t& cancelAt)
        : m_name(std::move(name)), m_calls(calls), m_cancelAt(cancelAt)
    {
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(17, dispid);
        m_calls.push_back({m_name, params->rgvarg[2].lVal, params->rgvarg[1].lVal});
        if (m_calls.size() == m_cancelAt)
            *params->rgvarg[0].plVal = 0;
        return S_OK;
    }

private:
    std::string m_name;
    std::vector<Progress>& m_calls;
    size_t& m_cancelAt;
};

struct SimFiles : Handset {
    std::wstring root = MakeTempFolder(L"handset-files");
    std::wstring pc = MakeTempFolder(L"pc-files");
    std::vector<Progress> calls;
    size_t cancelAt = 0;

    // The model's own folders, or an empty file system; the profile's model code may be
    // replaced to make another model of the same layout.
    explicit SimFiles(int resource, bool modelFolders = true, const wchar_t* model = nullptr) : Handset(resource)
    {
        if (model)
            device->Model().SetText(L"PhoneBaseInfo_PhoneModel", model);
        EXPECT_EQ(S_OK, connection->put_Model(resource));
        EXPECT_EQ(S_OK, connection->put_FileRoot(Bstr(root).Get()));
        if (modelFolders) {
            EXPECT_EQ(S_OK, connection->MakeModelFolders());
        }
        for (auto [name, iid] : {std::pair{"interface", IID_IDeviceDataEvents}, {"dispatch", DIID__IDeviceDataEvents}}) {
            ComPtr<IConnectionPoint> point;
            EXPECT_EQ(S_OK, device->FindConnectionPoint(iid, point.GetAddressOf()));
            DWORD cookie = 0;
            EXPECT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(RecordingHost::Make(name, calls, cancelAt).Get()),
                                          &cookie));
        }
    }
    std::wstring Local(std::wstring handsetPath) const
    {
        std::replace(handsetPath.begin(), handsetPath.end(), L'/', L'\\');
        return root + (handsetPath.front() == L'\\' ? L"" : L"\\") + handsetPath;
    }
    // Folders with every folder above them, below the handset's folder.
    void Folder(const std::wstring& handsetPath) const
    {
        std::wstring local = Local(handsetPath);
        for (size_t at = root.size() + 1; at != std::wstring::npos; at = local.find(L'\\', at + 1))
            CreateDirectoryW(local.substr(0, at).c_str(), nullptr);
        CreateDirectoryW(local.c_str(), nullptr);
    }
    void File(const std::wstring& handsetPath, const std::string& bytes) const
    {
        Folder(handsetPath.substr(0, handsetPath.rfind(L'/')));
        std::ofstream(Local(handsetPath).c_str(), std::ios::binary) << bytes;
    }
    ComPtr<IDataTable> Files() { return Table(DTID_FILE); }
    ComPtr<IItem> NewItem(QELDATATYPE type)
    {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, Files()->NewItem(type, 0, 0, item.GetAddressOf()));
        return item;
    }
    // An item naming an entry of a handset folder path, with its PC file or new name.
    ComPtr<IItem> Entry(QELDATATYPE type, const wchar_t* folder, const wchar_t* name, const wchar_t* column = nullptr,
                        const std::wstring& value = L"")
    {
        ComPtr<IItem> item = NewItem(type);
        SetColumn(item.Get(), L"Reserved1", folder);
        SetColumn(item.Get(), L"Name", name);
        if (column)
            SetColumn(item.Get(), column, value.c_str());
        return item;
    }
};

inline void ExpectColumn(IItem* item, const wchar_t* name, VARTYPE type, const std::wstring& text)
{
    EXPECT_EQ(type, Column(item, name).Type()) << NarrowUtf8(name);
    EXPECT_EQ(text, ColumnText(item, name)) << NarrowUtf8(name);
}

inline std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The description of the error information the last failing call left.
inline std::wstring ErrorText()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.GetAddressOf()) != S_OK || !info)
        return L"";
    Bstr text;
    info->GetDescription(text.Out());
    return text.Str();
}

}  // namespace kelvra::testing
