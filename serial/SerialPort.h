// One end of a serial line: a COM port opened whole, 8 data bits, no parity, one stop bit.
// Every failure comes back as an HRESULT with error information that names the port.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "FileHandle.h"

namespace kelvra::serial {

class SerialPort {
public:
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    static constexpr DWORD kDefaultBaudRate = 115200;

    // name is "COM5" or "\\.\COM5"; a baud rate of 0 is the default one.
    HRESULT Open(const std::wstring& name, DWORD baudRate);
    void Close();
    ~SerialPort() { Close(); }
    bool IsOpen() const { return static_cast<bool>(m_handle); }
    // The name the port was opened by, without the device prefix.
    const std::wstring& Name() const { return m_name; }

    // Sends all of bytes, or fails once the line has not taken them in the time they need.
    HRESULT Send(std::string_view bytes);
    // Up to count bytes: what came by the time count bytes were there, the line went quiet
    // after some, or timeoutMs passed.
    // A time-out with nothing come is HRESULT_FROM_WIN32(ERROR_TIMEOUT).
    HRESULT Receive(size_t count, DWORD timeoutMs, std::string& bytes);
    // Throws away what has come in and not been read: a reply that came too late must
    // not answer the next request.
    HRESULT DropInput();

private:
    HRESULT Configure(DWORD baudRate);
    HRESULT SetTimeouts(DWORD readMs, DWORD writeMs);
    HRESULT NotOpen() const;
    // Claims the port among the programs of this machine: Windows gives a COM port to
    // one opener only, but not every system that runs us does. The claim is a mutex,
    // which belongs to the thread that opened the port: the apartment the port's objects
    // live in, which also closes it.
    HRESULT Claim(const std::wstring& name);
    void Unclaim();

    kelvra::sim::FileHandle m_handle;
    HANDLE m_claim = nullptr;
    std::wstring m_name;
    DWORD m_baudRate = kDefaultBaudRate;
};

}  // namespace kelvra::serial
