// A handset file system for the file tests: folders and files held in memory behind a
// device agent and an agent connection whose events reach the sinks advised on it.
// Copies move in blocks, each followed by a progress event, and can be cancelled or
// made to fail midway.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ComObject.h"
#include "ComTypes.h"
#include "ConnectionPoint.h"
#include "TAMAgent.h"

namespace kelvra::testing {

struct FakeEntry {
    std::wstring name;
    bool isFile = false;
    long size = 0;
};

class FakeFileEntry : public ComObject<FakeFileEntry, NoDispatchImpl<ITAMFileEntry>> {
public:
    explicit FakeFileEntry(FakeEntry entry) : m_entry(std::move(entry)) {}
    STDMETHODIMP get_Name(BSTR* name) override { return ReturnText(m_entry.name, name); }
    STDMETHODIMP get_IsFile(VARIANT_BOOL* isFile) override
    {
        *isFile = m_entry.isFile ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_Size(long* size) override
    {
        *size = m_entry.size;
        return S_OK;
    }

private:
    FakeEntry m_entry;
};

class FakeFileList : public ComObject<FakeFileList, NoDispatchImpl<ITAMFileList>> {
public:
    explicit FakeFileList(std::vector<FakeEntry> entries) : m_entries(std::move(entries)) {}
    STDMETHODIMP get_Count(long* count) override
    {
        *count = static_cast<long>(m_entries.size());
        return S_OK;
    }
    STDMETHODIMP Item(long index, ITAMFileEntry** entry) override
    {
        if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
            return E_INVALIDARG;
        *entry = FakeFileEntry::Make(m_entries[index]).Detach();
        return S_OK;
    }

private:
    std::vector<FakeEntry> m_entries;
};

class FakeFileAgent : public ComObject<FakeFileAgent, NoDispatchImpl<ITAMAgent>> {
public:
    // Handset paths as the component passes them.
    std::set<std::wstring> folders;
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, std::vector<FakeEntry>> extraEntries;  // listed beside the real ones
    std::vector<std::wstring> loopNames;  // folders every listing shows, as if inside themselves
    std::map<std::string, uint32_t> totals;                       // root path + "/" as sent
    std::map<std::wstring, double> freeBytes;
    std::vector<std::wstring> calls;  // the file operations, in order
    std::vector<long> modes;
    std::string written;
    BYTE linkVersion = 5;
    long agentError = 0;
    size_t blockSize = 4;
    size_t failAfterBlocks = 0;  // 0: never
    HRESULT failure = E_FAIL;
    const std::vector<ComPtr<IUnknown>>* sinks = nullptr;

    // A folder and every folder above it.
    void AddFolder(const std::wstring& path)
    {
        for (size_t at = path.find(L'/', 1); at != std::wstring::npos; at = path.find(L'/', at + 1))
            folders.insert(path.substr(0, at));
        folders.insert(path);
    }
    void AddFile(const std::wstring& path, const std::string& content)
    {
        AddFolder(Parent(path));
        files[path] = content;
    }
    static std::wstring Parent(const std::wstring& path) { return path.substr(0, path.rfind(L'/')); }

    STDMETHODIMP ListFolder(BSTR path, long, long, ITAMFileList** list) override
    {
        std::wstring folder = Bstr(path).Str();
        calls.push_back(L"ListFolder " + folder);
        std::vector<FakeEntry> entries;
        for (const auto& child : folders) {
            if (child != folder && Parent(child) == folder)
                entries.push_back({child.substr(folder.size() + 1), false, 0});
        }
        for (const auto& [child, content] : files) {
            if (Parent(child) == folder)
                entries.push_back({child.substr(folder.size() + 1), true, static_cast<long>(content.size())});
        }
        for (const FakeEntry& extra : extraEntries[folder])
            entries.push_back(extra);
        for (const std::wstring& loop : loopNames)
            entries.push_back({loop, false, 0});
        *list = FakeFileList::Make(std::move(entries)).Detach();
        return S_OK;
    }

    STDMETHODIMP GetFile(BSTR handsetPath, BSTR pcPath) override
    {
        std::wstring from = Bstr(handsetPath).Str();
        calls.push_back(L"GetFile " + from);
        auto found = files.find(from);
        if (found == files.end())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        std::ofstream target(pcPath, std::ios::binary);
        return CopyInBlocks(found->second, [&](const std::string& block) { target << block << std::flush; });
    }

    STDMETHODIMP PutFile(BSTR handsetPath, BSTR pcPath) override
    {
        std::wstring to = Bstr(handsetPath).Str();
        calls.push_back(L"PutFile " + to);
        std::ifstream source(pcPath, std::ios::binary);
        if (!source)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        std::string content((std::istreambuf_iterator<char>(source)), {});
        files[to].clear();
        HRESULT hr = CopyInBlocks(content, [&](const std::string& block) { files[to] += block; });
        if (FAILED(hr))
            files.erase(to);
        return hr;
    }

    STDMETHODIMP CancelGetFile() override { return Cancel(L"CancelGetFile"); }
    STDMETHODIMP CancelPutFile() override { return Cancel(L"CancelPutFile"); }
    STDMETHODIMP RemoveFile(BSTR path) override { return Operation(L"RemoveFile", path); }
    STDMETHODIMP RenameFile(BSTR from, BSTR to) override { return Operation(L"RenameFile", from, to); }
    STDMETHODIMP CreateFolder(BSTR path) override
    {
        folders.insert(Bstr(path).Str());
        return Operation(L"CreateFolder", path);
    }
    STDMETHODIMP DeleteFolder(BSTR path) override
    {
        folders.erase(Bstr(path).Str());
        return Operation(L"DeleteFolder", path);
    }
    STDMETHODIMP RenameFolder(BSTR from, BSTR to) override { return Operation(L"RenameFolder", from, to); }

    STDMETHODIMP GetLinkInfo(TAMLINKINFO* info) override
    {
        info->packetSize = 512;
        info->version = linkVersion;
        return S_OK;
    }
    STDMETHODIMP GetFreeBytes(BSTR root, long* free) override
    {
        calls.push_back(L"GetFreeBytes " + Bstr(root).Str());
        *free = static_cast<long>(static_cast<uint32_t>(freeBytes[Bstr(root).Str()]));
        return S_OK;
    }
    STDMETHODIMP GetFreeBytesEx(BSTR root, double* free) override
    {
        *free = freeBytes[Bstr(root).Str()];
        return S_OK;
    }
    STDMETHODIMP GetAgentError(long* code) override
    {
        *code = agentError;
        return S_OK;
    }
    STDMETHODIMP SetMode(long mode) override
    {
        modes.push_back(mode);
        return S_OK;
    }
    STDMETHODIMP SetCodePage(long) override { return S_OK; }

    // Only the total-size request travels as a packet here.
    STDMETHODIMP WriteStream(SAFEARRAY* data, long) override
    {
        std::string packet;
        AppendSafeArrayBytes(data, packet);
        written += packet;
        std::string root = packet.substr(6);
        root.resize(root.find('\0') == std::string::npos ? root.size() : root.find('\0'));
        uint32_t total = totals[root];
        std::string reply("\x91\x41\x04\x00\x00\x00", 6);
        reply.append(reinterpret_cast<const char*>(&total), 4);
        m_pending += reply;
        return S_OK;
    }
    STDMETHODIMP ReadStream(long count, long, SAFEARRAY** data) override
    {
        size_t given = std::min(static_cast<size_t>(count), m_pending.size());
        *data = ByteArray(m_pending.data(), given).Detach();
        m_pending.erase(0, given);
        return S_OK;
    }

    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP GetOwnNumber(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved27() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved29() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved35() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved36() override { return E_NOTIMPL; }

private:
    template <class Write>
    HRESULT CopyInBlocks(const std::string& content, Write write)
    {
        m_cancelled = false;
        size_t blocks = 0;
        for (size_t done = 0; done < content.size();) {
            std::string block = content.substr(done, blockSize);
            write(block);
            done += block.size();
            if (failAfterBlocks && ++blocks == failAfterBlocks)
                return Complete(failure);
            long proceed = 1;
            for (const auto& sink : *sinks) {
                ComPtr<ITAMAgentEvents> events;
                if (sink && SUCCEEDED(sink.As(&events)))
                    events->OnTransferProgress(static_cast<long>(done), static_cast<long>(content.size()), &proceed);
            }
            if (!proceed || m_cancelled)
                return Complete(E_ABORT);
        }
        return Complete(S_OK);
    }
    HRESULT Complete(HRESULT hr)
    {
        for (const auto& sink : *sinks) {
            ComPtr<ITAMAgentEvents> events;
            if (sink && SUCCEEDED(sink.As(&events)))
                events->OnTransferComplete(hr);
        }
        return hr;
    }
    HRESULT Cancel(const wchar_t* name)
    {
        calls.push_back(name);
        m_cancelled = true;
        return S_OK;
    }
    HRESULT Operation(const wchar_t* name, BSTR path, BSTR other = nullptr)
    {
        calls.push_back(std::wstring(name) + L" " + Bstr(path).Str() + (other ? L" " + Bstr(other).Str() : L""));
        return S_OK;
    }

    std::string m_pending;
    bool m_cancelled = false;
};

// The agent's connection: the agent as its service, and the agent's events.
class FakeFileConnection
    : public ComObject<FakeFileConnection, NoDispatchImpl<ITAMConnection>, IConnectionPointContainer> {
public:
    FakeFileConnection() { agent->sinks = &events.Sinks(); }

    ComPtr<FakeFileAgent> agent = FakeFileAgent::Make();
    ConnectionPoint events{this, IID_ITAMAgentEvents, false};

    STDMETHODIMP GetService(GUID, IUnknown** service) override { return agent.CopyTo(service); }
    STDMETHODIMP GetConnectionText(BSTR* text) override { return ReturnText(L"fake", text); }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        ConnectionPoint* all[] = {&events};
        return kelvra::FindConnectionPoint(all, 1, iid, point);
    }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        ConnectionPoint* all[] = {&events};
        return kelvra::EnumConnectionPoints(all, 1, points);
    }
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved20() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved22() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved23() override { return E_NOTIMPL; }
};

}  // namespace kelvra::testing
