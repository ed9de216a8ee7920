// A serial connection: the device agent's connection object for a handset on a cable,
// and the port it uses.
#pragma once

#include <memory>

#include "AgentSlots.h"
#include "ComObject.h"
#include "KelvraSim.h"
#include "SerialPort.h"

namespace kelvra::serial {

class SerialConnection
    : public ComObject<SerialConnection, DispatchImpl<ISerialLink, 2>, sim::ConnectionSlots,
                       ISupportErrorInfo> {
public:
    SerialConnection() : m_port(std::make_shared<SerialPort>()) {}

    // ISerialLink
    STDMETHODIMP Open(BSTR port, long baudRate) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP get_Port(BSTR* port) override;

    // ITAMConnection
    STDMETHODIMP GetConnectionText(BSTR* text) override;
    STDMETHODIMP GetService(GUID serviceId, IUnknown** service) override;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    std::shared_ptr<SerialPort> m_port;
};

}  // namespace kelvra::serial
