// The device agent of a serial link: the packet exchange over the port, and nothing of
// files, which have no packet form on this link.
#pragma once

#include <memory>

#include "AgentSlots.h"
#include "ComObject.h"
#include "SerialPort.h"
#include "TAMAgent.h"

namespace kelvra::serial {

class SerialAgent : public ComObject<SerialAgent, sim::AgentSlots, ISupportErrorInfo> {
public:
    explicit SerialAgent(std::shared_ptr<SerialPort> port) : m_port(std::move(port)) {}

    STDMETHODIMP ListFolder(BSTR, long, long, ITAMFileList**) override { return NoFiles(L"ListFolder"); }
    STDMETHODIMP GetOwnNumber(BSTR* text) override;
    STDMETHODIMP WriteStream(SAFEARRAY* data, long count) override;
    STDMETHODIMP ReadStream(long count, long timeoutMs, SAFEARRAY** data) override;
    STDMETHODIMP SetMode(long mode) override;
    STDMETHODIMP GetFile(BSTR, BSTR) override { return NoFiles(L"GetFile"); }
    STDMETHODIMP CancelGetFile() override { return NoFiles(L"CancelGetFile"); }
    STDMETHODIMP PutFile(BSTR, BSTR) override { return NoFiles(L"PutFile"); }
    STDMETHODIMP CancelPutFile() override { return NoFiles(L"CancelPutFile"); }
    STDMETHODIMP RemoveFile(BSTR) override { return NoFiles(L"RemoveFile"); }
    STDMETHODIMP RenameFile(BSTR, BSTR) override { return NoFiles(L"RenameFile"); }
    STDMETHODIMP GetLinkInfo(TAMLINKINFO*) override { return NoFiles(L"GetLinkInfo"); }
    STDMETHODIMP GetFreeBytes(BSTR, long*) override { return NoFiles(L"GetFreeBytes"); }
    STDMETHODIMP GetFreeBytesEx(BSTR, double*) override { return NoFiles(L"GetFreeBytesEx"); }
    STDMETHODIMP GetAgentError(long* code) override;
    STDMETHODIMP CreateFolder(BSTR) override { return NoFiles(L"CreateFolder"); }
    STDMETHODIMP DeleteFolder(BSTR) override { return NoFiles(L"DeleteFolder"); }
    STDMETHODIMP SetCodePage(long codePage) override;
    STDMETHODIMP RenameFolder(BSTR, BSTR) override { return NoFiles(L"RenameFolder"); }

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // E_NOTIMPL with error information saying the link carries no files.
    static HRESULT NoFiles(const wchar_t* method);
    // Keeps a failure's code for GetAgentError and passes it on.
    HRESULT Kept(HRESULT hr);

    std::shared_ptr<SerialPort> m_port;
    long m_lastError = 0;
};

}  // namespace kelvra::serial
