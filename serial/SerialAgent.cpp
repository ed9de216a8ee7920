#include "SerialAgent.h"

#include "ComTypes.h"
#include "Errors.h"
#include "SimState.h"

namespace kelvra::serial {

using kelvra::sim::Fail;

namespace {

constexpr long kPacketMode = 0;

}  // namespace

HRESULT SerialAgent::NoFiles(const wchar_t* method)
{
    return Fail(E_NOTIMPL, std::wstring(L"The serial link carries only packets; it has no files, so ") + method +
                               L" needs a link that carries files");
}

HRESULT SerialAgent::Kept(HRESULT hr)
{
    if (FAILED(hr))
        m_lastError = static_cast<long>(HRESULT_CODE(hr));
    return hr;
}

STDMETHODIMP SerialAgent::WriteStream(SAFEARRAY* data, long count)
{
    if (!data || count < 0)
        return Fail(E_INVALIDARG, L"WriteStream needs a byte array and a count");
    std::string bytes;
    try {
        AppendSafeArrayBytes(data, bytes);
    } catch (const CAtlException& e) {
        return Fail(e.Result(), L"WriteStream was given an array that is not bytes");
    }
    if (static_cast<size_t>(count) > bytes.size())
        return Fail(E_INVALIDARG, L"WriteStream was given fewer bytes than its count");
    bytes.resize(static_cast<size_t>(count));
    // Each request starts afresh: what is still in the port belongs to an earlier one.
    if (HRESULT hr = m_port->DropInput(); FAILED(hr))
        return Kept(hr);
    return Kept(m_port->Send(bytes));
}

STDMETHODIMP SerialAgent::ReadStream(long count, long timeoutMs, SAFEARRAY** data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    if (count <= 0 || timeoutMs < 0)
        return Fail(E_INVALIDARG, L"ReadStream needs a positive byte count and a time-out of 0 ms or more");
    std::string bytes;
    if (HRESULT hr = m_port->Receive(static_cast<size_t>(count), static_cast<DWORD>(timeoutMs), bytes); FAILED(hr))
        return Kept(hr);
    try {
        *data = ByteArray(bytes.data(), bytes.size()).Detach();
        return S_OK;
    } catch (const CAtlException& e) {
        return e.Result();
    }
}

STDMETHODIMP SerialAgent::SetMode(long mode)
{
    if (mode == kPacketMode)
        return S_OK;
    return Fail(E_NOTIMPL, L"The serial link carries only packets; the file transfer mode needs a link that "
                           L"carries files");
}

STDMETHODIMP SerialAgent::SetCodePage(long)
{
    // No text crosses this agent's interface but as packet bytes.
    return S_OK;
}

STDMETHODIMP SerialAgent::GetOwnNumber(BSTR* text)
{
    // The line does not tell the handset's own number.
    return ReturnText(L"", text);
}

STDMETHODIMP SerialAgent::GetAgentError(long* code)
{
    if (!code)
        return E_POINTER;
    *code = m_lastError;
    return S_OK;
}

STDMETHODIMP SerialAgent::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_ITAMAgent) ? S_OK : S_FALSE;
}

}  // namespace kelvra::serial
