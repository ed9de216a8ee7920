#include "SimAgent.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "ComTypes.h"
#include "Errors.h"
#include "FileHandle.h"
#include "HandsetFolder.h"
#include "HandsetPath.h"
#include "PartialFile.h"
#include "SimFileList.h"
#include "SimFileTransfer.h"
#include "StateError.h"

namespace kelvra::sim {

namespace {

const HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
constexpr long kPacketSize = 4096;

HANDLE OpenToRead(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool IsFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

HRESULT Fail(HRESULT hr, const std::wstring& description)
{
    SetErrorInfo(0, MakeErrorInfo(description).Get());
    return hr;
}

HRESULT FailWithLastError(const std::wstring& description)
{
    DWORD error = ::GetLastError();
    if (!error)
        error = ERROR_GEN_FAILURE;  // a call that fell short without saying why
    return Fail(HRESULT_FROM_WIN32(error), description + L": " + SystemText(error));
}

STDMETHODIMP SimAgent::WriteStream(SAFEARRAY* data, long count)
{
    if (HRESULT hr = Refused(L"WriteStream"); FAILED(hr))
        return hr;
    if (!data || count < 0)
        return Fail(E_INVALIDARG, L"WriteStream needs a byte array and a count");
    try {
        std::string bytes;
        AppendSafeArrayBytes(data, bytes);
        if (static_cast<size_t>(count) > bytes.size())
            return Fail(E_INVALIDARG, L"WriteStream was given fewer bytes than its count");
        bytes.resize(static_cast<size_t>(count));
        m_state->handset.Write(bytes);
        return S_OK;
    } catch (const CAtlException& e) {
        return Fail(e.Result(), L"WriteStream was given an array that is not bytes");
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimAgent::ReadStream(long count, long timeoutMs, SAFEARRAY** data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    if (HRESULT hr = Refused(L"ReadStream"); FAILED(hr))
        return hr;
    if (count <= 0)
        return Fail(E_INVALIDARG, L"ReadStream needs a positive byte count");
    std::string bytes;
    if (!m_state->handset.Read(static_cast<size_t>(count), bytes))
        return Fail(kTimeout, L"The handset did not answer within " + std::to_wstring(timeoutMs) + L" ms");
    try {
        *data = ByteArray(bytes.data(), bytes.size()).Detach();
        return S_OK;
    } catch (const CAtlException& e) {
        return e.Result();
    }
}

STDMETHODIMP SimAgent::SetMode(long mode)
{
    if (HRESULT hr = Refused(L"SetMode"); FAILED(hr))
        return hr;
    m_state->mode = mode;
    return S_OK;
}

STDMETHODIMP SimAgent::SetCodePage(long codePage)
{
    if (HRESULT hr = Refused(L"SetCodePage"); FAILED(hr))
        return hr;
    m_state->codePage = codePage;
    return S_OK;
}

HRESULT SimAgent::Refused(const wchar_t* method) const
{
    HRESULT hr = m_state->InjectedFailure(method);
    return FAILED(hr) ? Fail(hr, std::wstring(method) + L" was told to fail") : S_OK;
}

HRESULT SimAgent::Resolve(BSTR handsetPath, const wchar_t* method, std::wstring& local,
                          std::optional<HandsetPath>* parsed) const
{
    std::wstring text = handsetPath ? std::wstring(handsetPath, SysStringLen(handsetPath)) : std::wstring();
    if (m_state->fileRoot.empty())
        return Fail(HRESULT_FROM_WIN32(ERROR_NOT_READY), std::wstring(method) + L": the handset has no file system");
    std::optional<HandsetPath> path = HandsetPath::Parse(text);
    if (!path) {
        return Fail(E_INVALIDARG, std::wstring(method) + L" refuses \"" + text +
                                      L"\": it names no place inside the handset's file system");
    }
    local = path->Under(m_state->fileRoot);
    if (parsed)
        *parsed = std::move(path);
    return S_OK;
}

HRESULT SimAgent::BeginCopy(const wchar_t* method, BSTR handsetPath, BSTR pcPath, std::wstring& local) const
{
    if (HRESULT hr = Refused(method); FAILED(hr))
        return hr;
    if (m_state->transfer.running)
        return Fail(HRESULT_FROM_WIN32(ERROR_BUSY), std::wstring(method) + L": another copy is running");
    if (!pcPath || !*pcPath)
        return Fail(E_INVALIDARG, std::wstring(method) + L" needs a PC path");
    return Resolve(handsetPath, method, local);
}

STDMETHODIMP SimAgent::GetFile(BSTR handsetPath, BSTR pcPath)
{
    std::wstring source;
    if (HRESULT hr = BeginCopy(L"GetFile", handsetPath, pcPath, source); FAILED(hr))
        return hr;
    FileHandle in(OpenToRead(source));
    if (!in)
        return FailWithLastError(L"The handset has no file " + std::wstring(handsetPath));
    FileHandle out(CreateFileW(pcPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!out)
        return FailWithLastError(L"The PC file " + std::wstring(pcPath) + L" cannot be written");
    SimFileTransfer transfer(*m_state, TransferDirection::ToPc);
    HRESULT hr = transfer.Copy(in.Get(), out.Get());
    // Closed before the end is told, so that a sink can deal with the PC file at once.
    out.Close();
    return transfer.Complete(hr);
}

STDMETHODIMP SimAgent::PutFile(BSTR handsetPath, BSTR pcPath)
{
    std::wstring target;
    if (HRESULT hr = BeginCopy(L"PutFile", handsetPath, pcPath, target); FAILED(hr))
        return hr;
    FileHandle in(OpenToRead(pcPath));
    if (!in)
        return FailWithLastError(L"The PC file " + std::wstring(pcPath) + L" cannot be read");
    if (IsFolder(target))
        return Fail(E_ACCESSDENIED, L"The handset has a folder at " + std::wstring(handsetPath));
    PartialFile partial;
    if (!partial.Make(target, PartialFile::ScratchOf(m_state->fileRoot)))
        return FailWithLastError(L"The handset has no folder for " + std::wstring(handsetPath));
    SimFileTransfer transfer(*m_state, TransferDirection::ToHandset);
    HRESULT hr = transfer.Copy(in.Get(), partial.Handle());
    if (SUCCEEDED(hr) && !partial.Finish(target))
        hr = FailWithLastError(L"The copy could not take the place of " + std::wstring(handsetPath));
    partial.Discard();
    return transfer.Complete(hr);
}

STDMETHODIMP SimAgent::CancelGetFile()
{
    if (HRESULT hr = Refused(L"CancelGetFile"); FAILED(hr))
        return hr;
    m_state->transfer.cancelToPc = true;
    return S_OK;
}

STDMETHODIMP SimAgent::CancelPutFile()
{
    if (HRESULT hr = Refused(L"CancelPutFile"); FAILED(hr))
        return hr;
    m_state->transfer.cancelToHandset = true;
    return S_OK;
}

STDMETHODIMP SimAgent::ListFolder(BSTR path, long, long, ITAMFileList** entries)
{
    if (!entries)
        return E_POINTER;
    *entries = nullptr;
    std::wstring local;
    if (HRESULT hr = Refused(L"ListFolder"); FAILED(hr))
        return hr;
    if (HRESULT hr = Resolve(path, L"ListFolder", local); FAILED(hr))
        return hr;
    std::vector<FolderEntry> found;
    if (!ReadFolderEntries(local, found))
        return FailWithLastError(L"The handset has no folder " + std::wstring(path));
    *entries = SimFileList::Make(std::move(found)).Detach();
    return S_OK;
}

STDMETHODIMP SimAgent::RemoveFile(BSTR path)
{
    if (HRESULT hr = Refused(L"RemoveFile"); FAILED(hr))
        return hr;
    std::wstring local;
    if (HRESULT hr = Resolve(path, L"RemoveFile", local); FAILED(hr))
        return hr;
    if (IsFolder(local))
        return Fail(E_ACCESSDENIED, L"RemoveFile was given the folder " + std::wstring(path));
    if (!DeleteFileW(local.c_str()))
        return FailWithLastError(L"The handset file " + std::wstring(path) + L" could not be deleted");
    return S_OK;
}

STDMETHODIMP SimAgent::RenameFile(BSTR oldPath, BSTR newPath)
{
    return Rename(L"RenameFile", false, oldPath, newPath);
}

STDMETHODIMP SimAgent::RenameFolder(BSTR oldPath, BSTR newPath)
{
    return Rename(L"RenameFolder", true, oldPath, newPath);
}

HRESULT SimAgent::Rename(const wchar_t* method, bool folder, BSTR oldPath, BSTR newPath) const
{
    if (HRESULT hr = Refused(method); FAILED(hr))
        return hr;
    std::wstring from, to;
    if (HRESULT hr = Resolve(oldPath, method, from); FAILED(hr))
        return hr;
    if (HRESULT hr = Resolve(newPath, method, to); FAILED(hr))
        return hr;
    DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && IsFolder(from) != folder) {
        return Fail(E_ACCESSDENIED, std::wstring(method) + L": " + oldPath + L" is a " +
                                        (folder ? L"file" : L"folder"));
    }
    if (!MoveFileW(from.c_str(), to.c_str()))
        return FailWithLastError(std::wstring(method) + L": " + oldPath + L" could not be renamed");
    return S_OK;
}

STDMETHODIMP SimAgent::CreateFolder(BSTR path)
{
    if (HRESULT hr = Refused(L"CreateFolder"); FAILED(hr))
        return hr;
    std::wstring local;
    if (HRESULT hr = Resolve(path, L"CreateFolder", local); FAILED(hr))
        return hr;
    if (!CreateDirectoryW(local.c_str(), nullptr))
        return FailWithLastError(L"The handset folder " + std::wstring(path) + L" could not be created");
    return S_OK;
}

STDMETHODIMP SimAgent::DeleteFolder(BSTR path)
{
    if (HRESULT hr = Refused(L"DeleteFolder"); FAILED(hr))
        return hr;
    std::wstring local;
    if (HRESULT hr = Resolve(path, L"DeleteFolder", local); FAILED(hr))
        return hr;
    if (!IsFolder(local))
        return Fail(HRESULT_FROM_WIN32(ERROR_DIRECTORY), L"The handset has no folder " + std::wstring(path));
    // A handset deletes empty folders only; RemoveDirectory refuses the others too.
    if (!RemoveDirectoryW(local.c_str()))
        return FailWithLastError(L"The handset folder " + std::wstring(path) + L" could not be deleted");
    return S_OK;
}

STDMETHODIMP SimAgent::GetOwnNumber(BSTR* text)
{
    if (HRESULT hr = Refused(L"GetOwnNumber"); FAILED(hr))
        return hr;
    return ReturnText(L"01012345678", text);
}

STDMETHODIMP SimAgent::GetLinkInfo(TAMLINKINFO* info)
{
    if (!info)
        return E_POINTER;
    if (HRESULT hr = Refused(L"GetLinkInfo"); FAILED(hr))
        return hr;
    info->packetSize = kPacketSize;
    info->version = static_cast<unsigned char>(m_state->linkVersion);
    return S_OK;
}

HRESULT SimAgent::FreeBytes(BSTR rootPath, const wchar_t* method, uint64_t& freeBytes) const
{
    freeBytes = 0;
    if (HRESULT hr = Refused(method); FAILED(hr))
        return hr;
    std::wstring local;
    std::optional<HandsetPath> root;
    if (HRESULT hr = Resolve(rootPath, method, local, &root); FAILED(hr))
        return hr;
    if (m_state->freeSpaceError)
        return S_OK;  // as a handset that cannot tell: 0, and the reason in the last error
    uint64_t capacity = m_state->handset.Memory().Capacity(*root, m_state->handset.Model());
    uint64_t used = BytesUnder(local);
    freeBytes = capacity > used ? capacity - used : 0;
    return S_OK;
}

STDMETHODIMP SimAgent::GetFreeBytes(BSTR rootPath, long* freeBytes)
{
    if (!freeBytes)
        return E_POINTER;
    uint64_t bytes = 0;
    HRESULT hr = FreeBytes(rootPath, L"GetFreeBytes", bytes);
    // The caller reads the 32 bits as unsigned.
    *freeBytes = static_cast<long>(static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX)));
    return hr;
}

STDMETHODIMP SimAgent::GetFreeBytesEx(BSTR rootPath, double* freeBytes)
{
    if (!freeBytes)
        return E_POINTER;
    uint64_t bytes = 0;
    HRESULT hr = FreeBytes(rootPath, L"GetFreeBytesEx", bytes);
    *freeBytes = static_cast<double>(bytes);
    return hr;
}

STDMETHODIMP SimAgent::GetAgentError(long* code)
{
    if (!code)
        return E_POINTER;
    *code = m_state->freeSpaceError;
    return S_OK;
}

STDMETHODIMP SimAgent::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_ITAMAgent) ? S_OK : S_FALSE;
}

}  // namespace kelvra::sim
