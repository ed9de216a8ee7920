#include "SerialConnection.h"

#include "ComTypes.h"
#include "SerialAgent.h"
#include "SimState.h"

namespace kelvra::serial {

using kelvra::sim::Fail;

STDMETHODIMP SerialConnection::Open(BSTR port, long baudRate)
{
    if (!port || !SysStringLen(port))
        return Fail(E_INVALIDARG, L"Open needs the name of a serial port (such as COM5)");
    if (baudRate < 0)
        return Fail(E_INVALIDARG, L"A baud rate cannot be negative");
    return m_port->Open(std::wstring(port, SysStringLen(port)), static_cast<DWORD>(baudRate));
}

STDMETHODIMP SerialConnection::Close()
{
    m_port->Close();
    return S_OK;
}

STDMETHODIMP SerialConnection::get_Port(BSTR* port)
{
    return ReturnText(m_port->Name(), port);
}

STDMETHODIMP SerialConnection::GetConnectionText(BSTR* text)
{
    return ReturnText(m_port->IsOpen() ? L"Serial port " + m_port->Name() : std::wstring(L"Serial port (not open)"),
                      text);
}

STDMETHODIMP SerialConnection::GetService(GUID serviceId, IUnknown** service)
{
    if (!service)
        return E_POINTER;
    *service = nullptr;
    if (!InlineIsEqualGUID(serviceId, SID_TAMAgent))
        return Fail(E_NOINTERFACE, L"The connection offers no such service");
    if (!m_port->IsOpen())
        return Fail(E_UNEXPECTED, L"The serial link has no open port; open one first");
    return SerialAgent::Make(m_port).CopyTo(service);
}

STDMETHODIMP SerialConnection::InterfaceSupportsErrorInfo(REFIID iid)
{
    return InlineIsEqualGUID(iid, IID_ISerialLink) || InlineIsEqualGUID(iid, IID_ITAMConnection) ? S_OK : S_FALSE;
}

}  // namespace kelvra::serial
