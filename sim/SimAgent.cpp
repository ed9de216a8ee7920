#include "SimAgent.h"

#include "ComTypes.h"
#include "Errors.h"
#include "StateError.h"

namespace kelvra::sim {

namespace {

const HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

}  // namespace

HRESULT Fail(HRESULT hr, const std::wstring& description)
{
    SetErrorInfo(0, MakeErrorInfo(description).Get());
    return hr;
}

STDMETHODIMP SimAgent::WriteStream(SAFEARRAY* data, long count)
{
    if (HRESULT hr = m_state->InjectedFailure(L"WriteStream"); FAILED(hr))
        return Fail(hr, L"WriteStream was told to fail");
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
    if (HRESULT hr = m_state->InjectedFailure(L"ReadStream"); FAILED(hr))
        return Fail(hr, L"ReadStream was told to fail");
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
    if (HRESULT hr = m_state->InjectedFailure(L"SetMode"); FAILED(hr))
        return Fail(hr, L"SetMode was told to fail");
    m_state->mode = mode;
    return S_OK;
}

STDMETHODIMP SimAgent::SetCodePage(long codePage)
{
    if (HRESULT hr = m_state->InjectedFailure(L"SetCodePage"); FAILED(hr))
        return Fail(hr, L"SetCodePage was told to fail");
    m_state->codePage = codePage;
    return S_OK;
}

std::wstring SimAgent::LocalPath(BSTR handsetPath) const
{
    std::wstring path = handsetPath ? handsetPath : L"";
    if (m_state->fileRoot.empty() || path.empty())
        return {};
    std::wstring local = m_state->fileRoot;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring part = path.substr(start, end - start);
        if (part == L"..")
            return {};
        if (!part.empty() && part != L".")
            local += L"\\" + part;
        start = end + 1;
    }
    return local;
}

STDMETHODIMP SimAgent::GetFile(BSTR handsetPath, BSTR pcPath)
{
    if (HRESULT hr = m_state->InjectedFailure(L"GetFile"); FAILED(hr))
        return Fail(hr, L"GetFile was told to fail");
    std::wstring source = LocalPath(handsetPath);
    if (source.empty() || !pcPath)
        return Fail(E_INVALIDARG, L"GetFile needs a handset path inside the handset's file system");
    if (!CopyFileW(source.c_str(), pcPath, FALSE))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The handset has no file " + std::wstring(handsetPath));
    return S_OK;
}

STDMETHODIMP SimAgent::PutFile(BSTR handsetPath, BSTR pcPath)
{
    if (HRESULT hr = m_state->InjectedFailure(L"PutFile"); FAILED(hr))
        return Fail(hr, L"PutFile was told to fail");
    std::wstring target = LocalPath(handsetPath);
    if (target.empty() || !pcPath)
        return Fail(E_INVALIDARG, L"PutFile needs a handset path inside the handset's file system");
    if (!CopyFileW(pcPath, target.c_str(), FALSE))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The file could not be copied to the handset");
    return S_OK;
}

STDMETHODIMP SimAgent::RemoveFile(BSTR path)
{
    std::wstring local = LocalPath(path);
    if (local.empty())
        return Fail(E_INVALIDARG, L"RemoveFile needs a handset path inside the handset's file system");
    if (!DeleteFileW(local.c_str()))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The handset file could not be deleted");
    return S_OK;
}

STDMETHODIMP SimAgent::RenameFile(BSTR oldPath, BSTR newPath)
{
    std::wstring from = LocalPath(oldPath), to = LocalPath(newPath);
    if (from.empty() || to.empty())
        return Fail(E_INVALIDARG, L"RenameFile needs handset paths inside the handset's file system");
    if (!MoveFileW(from.c_str(), to.c_str()))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The handset file could not be renamed");
    return S_OK;
}

STDMETHODIMP SimAgent::CreateFolder(BSTR path)
{
    std::wstring local = LocalPath(path);
    if (local.empty())
        return Fail(E_INVALIDARG, L"CreateFolder needs a handset path inside the handset's file system");
    if (!CreateDirectoryW(local.c_str(), nullptr))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The handset folder could not be created");
    return S_OK;
}

STDMETHODIMP SimAgent::DeleteFolder(BSTR path)
{
    std::wstring local = LocalPath(path);
    if (local.empty())
        return Fail(E_INVALIDARG, L"DeleteFolder needs a handset path inside the handset's file system");
    if (!RemoveDirectoryW(local.c_str()))
        return Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The handset folder could not be deleted");
    return S_OK;
}

STDMETHODIMP SimAgent::RenameFolder(BSTR oldPath, BSTR newPath)
{
    return RenameFile(oldPath, newPath);
}

STDMETHODIMP SimAgent::ListFolder(BSTR, long, long, ITAMFileList** entries)
{
    if (entries)
        *entries = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SimAgent::GetOwnNumber(BSTR* text)
{
    return ReturnText(L"01012345678", text);
}

STDMETHODIMP SimAgent::CancelGetFile()
{
    return S_OK;
}

STDMETHODIMP SimAgent::CancelPutFile()
{
    return S_OK;
}

STDMETHODIMP SimAgent::GetLinkInfo(TAMLINKINFO* info)
{
    if (!info)
        return E_POINTER;
    info->packetSize = 4096;
    info->version = 5;
    return S_OK;
}

STDMETHODIMP SimAgent::GetFreeBytes(BSTR, long* freeBytes)
{
    if (!freeBytes)
        return E_POINTER;
    *freeBytes = 8 << 20;
    return S_OK;
}

STDMETHODIMP SimAgent::GetFreeBytesEx(BSTR, double* freeBytes)
{
    if (!freeBytes)
        return E_POINTER;
    *freeBytes = 8.0 * (1 << 20);
    return S_OK;
}

STDMETHODIMP SimAgent::GetAgentError(long* code)
{
    if (!code)
        return E_POINTER;
    *code = 0;
    return S_OK;
}

STDMETHODIMP SimAgent::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_ITAMAgent) ? S_OK : S_FALSE;
}

}  // namespace kelvra::sim
