// The simulator's device agent: the handset's byte stream, link modes and file copies.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "AgentSlots.h"
#include "ComObject.h"
#include "HandsetPath.h"
#include "SimState.h"
#include "TAMAgent.h"

namespace kelvra::sim {

class SimAgent : public ComObject<SimAgent, AgentSlots, ISupportErrorInfo> {
public:
    explicit SimAgent(std::shared_ptr<SimState> state) : m_state(std::move(state)) {}

    STDMETHODIMP ListFolder(BSTR path, long flags, long depth, ITAMFileList** entries) override;
    STDMETHODIMP GetOwnNumber(BSTR* text) override;
    STDMETHODIMP WriteStream(SAFEARRAY* data, long count) override;
    STDMETHODIMP ReadStream(long count, long timeoutMs, SAFEARRAY** data) override;
    STDMETHODIMP SetMode(long mode) override;
    STDMETHODIMP GetFile(BSTR handsetPath, BSTR pcPath) override;
    STDMETHODIMP CancelGetFile() override;
    STDMETHODIMP PutFile(BSTR handsetPath, BSTR pcPath) override;
    STDMETHODIMP CancelPutFile() override;
    STDMETHODIMP RemoveFile(BSTR path) override;
    STDMETHODIMP RenameFile(BSTR oldPath, BSTR newPath) override;
    STDMETHODIMP GetLinkInfo(TAMLINKINFO* info) override;
    STDMETHODIMP GetFreeBytes(BSTR rootPath, long* freeBytes) override;
    STDMETHODIMP GetFreeBytesEx(BSTR rootPath, double* freeBytes) override;
    STDMETHODIMP GetAgentError(long* code) override;
    STDMETHODIMP CreateFolder(BSTR path) override;
    STDMETHODIMP DeleteFolder(BSTR path) override;
    STDMETHODIMP SetCodePage(long codePage) override;
    STDMETHODIMP RenameFolder(BSTR oldPath, BSTR newPath) override;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // Counts a call of the method; the failure it was told to give, with error
    // information, or S_OK for none.
    HRESULT Refused(const wchar_t* method) const;
    // The PC path of a handset path inside the handset's folder; E_INVALIDARG with error
    // information for a path that would lead elsewhere.
    HRESULT Resolve(BSTR handsetPath, const wchar_t* method, std::wstring& local,
                    std::optional<HandsetPath>* parsed = nullptr) const;
    // The checks before a copy: told to fail, a copy already running, the two paths.
    HRESULT BeginCopy(const wchar_t* method, BSTR handsetPath, BSTR pcPath, std::wstring& local) const;
    // The free bytes of the memory below a root path.
    HRESULT FreeBytes(BSTR rootPath, const wchar_t* method, uint64_t& freeBytes) const;
    HRESULT Rename(const wchar_t* method, bool folder, BSTR oldPath, BSTR newPath) const;

    std::shared_ptr<SimState> m_state;
};

}  // namespace kelvra::sim
