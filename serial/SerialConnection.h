// A serial connection: the device agent's connection object for a handset on a cable,
// and the port it uses.
#pragma once

#include <memory>

#include "ComObject.h"
#include "KelvraSim.h"
#include "SerialPort.h"

namespace kelvra::serial {

class SerialConnection
    : public ComObject<SerialConnection, DispatchImpl<ISerialLink, 2>, NoDispatchImpl<ITAMConnection>,
                       ISupportErrorInfo> {
public:
    SerialConnection() : m_port(std::make_shared<SerialPort>()) {}

    // ISerialLink
    STDMETHODIMP Open(BSTR port, long baudRate) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP get_Port(BSTR* port) override;

    // ITAMConnection
    STDMETHODIMP Reserved7() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved8() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved12() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved13() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionText(BSTR* text) override;
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved17() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved18() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved19() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved20() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved21() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved22() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved23() override { return E_NOTIMPL; }
    STDMETHODIMP GetService(GUID serviceId, IUnknown** service) override;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    std::shared_ptr<SerialPort> m_port;
};

}  // namespace kelvra::serial
