#include "SerialPort.h"

#include <algorithm>

#include "SimState.h"

namespace kelvra::serial {

using kelvra::sim::Fail;
using kelvra::sim::FailWithLastError;

namespace {

constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
// Bytes asked of one ReadFile or WriteFile at most.
constexpr size_t kLargestTransfer = 1 << 16;
// A write may take twice the time its bytes need on the line, and this much more.
constexpr DWORD kWriteSlackMs = 2000;
// A read that has bytes comes back once the line is quiet this long: a request or a
// reply comes whole, so a pause means it is complete or the rest comes in a later read.
constexpr DWORD kQuietLineMs = 10;

std::wstring WithoutDevicePrefix(const std::wstring& name)
{
    return name.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0 ? name.substr(kDevicePrefix.size()) : name;
}

}  // namespace

HRESULT SerialPort::Open(const std::wstring& name, DWORD baudRate)
{
    Close();
    std::wstring bare = WithoutDevicePrefix(name);
    if (bare.empty() || bare.find_first_of(L"\\/") != std::wstring::npos)
        return Fail(E_INVALIDARG, L"\"" + name + L"\" is not the name of a serial port (such as COM5)");
    if (HRESULT hr = Claim(bare); FAILED(hr))
        return hr;
    m_handle = kelvra::sim::FileHandle(CreateFileW((std::wstring(kDevicePrefix) + bare).c_str(),
                                                   GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                                   nullptr));
    if (!m_handle) {
        DWORD error = GetLastError();
        Unclaim();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Fail(HRESULT_FROM_WIN32(error), L"There is no serial port " + bare);
        if (error == ERROR_SHARING_VIOLATION)
            return Fail(HRESULT_FROM_WIN32(error), L"The serial port " + bare + L" is in use by another program");
        if (error == ERROR_ACCESS_DENIED) {
            return Fail(HRESULT_FROM_WIN32(error), L"The serial port " + bare +
                                                       L" is in use by another program, or this user may not use "
                                                       L"it (under Wine: may the user open its tty?)");
        }
        SetLastError(error);
        return FailWithLastError(L"The serial port " + bare + L" could not be opened");
    }
    m_name = bare;
    HRESULT hr = Configure(baudRate ? baudRate : kDefaultBaudRate);
    if (FAILED(hr))
        Close();
    return hr;
}

void SerialPort::Close()
{
    m_handle.Close();
    Unclaim();
    m_name.clear();
}

HRESULT SerialPort::Claim(const std::wstring& name)
{
    std::wstring upper = name;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    m_claim = CreateMutexW(nullptr, FALSE, (L"Local\\KelvraSerialPort-" + upper).c_str());
    if (!m_claim)
        return FailWithLastError(L"The serial port " + name + L" could not be claimed");
    // A claim its holder left without letting go (a killed program) is free again.
    DWORD waited = WaitForSingleObject(m_claim, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return S_OK;
    CloseHandle(m_claim);
    m_claim = nullptr;
    return Fail(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
                L"The serial port " + name + L" is in use by another program");
}

void SerialPort::Unclaim()
{
    if (!m_claim)
        return;
    ReleaseMutex(m_claim);
    CloseHandle(m_claim);
    m_claim = nullptr;
}

HRESULT SerialPort::Configure(DWORD baudRate)
{
    DCB line = {};
    line.DCBlength = sizeof(line);
    if (!GetCommState(m_handle.Get(), &line))
        return FailWithLastError(m_name + L" is not a serial port");
    line.BaudRate = baudRate;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    // No flow control: the handset's cable has no handshake lines we may count on.
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fNull = FALSE;
    line.fAbortOnError = FALSE;
    if (!SetCommState(m_handle.Get(), &line)) {
        return FailWithLastError(m_name + L" does not take " + std::to_wstring(baudRate) +
                                 L" baud, 8 data bits, no parity, one stop bit");
    }
    m_baudRate = baudRate;
    return DropInput();
}

HRESULT SerialPort::SetTimeouts(DWORD readMs, DWORD writeMs)
{
    // ReadFile comes back once count bytes are there, the line was quiet after some, or
    // readMs passed; an empty read is a time-out.
    COMMTIMEOUTS timeouts = {kQuietLineMs, 0, std::clamp<DWORD>(readMs, 1, MAXDWORD - 1), 0, writeMs};
    if (!SetCommTimeouts(m_handle.Get(), &timeouts))
        return FailWithLastError(L"The time-outs of " + m_name + L" could not be set");
    return S_OK;
}

HRESULT SerialPort::NotOpen() const
{
    return Fail(E_UNEXPECTED, L"The serial link has no open port; open one first");
}

HRESULT SerialPort::Send(std::string_view bytes)
{
    if (!IsOpen())
        return NotOpen();
    while (!bytes.empty()) {
        DWORD piece = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
        // Ten bit times a byte (start, eight data bits, stop).
        DWORD lineMs = static_cast<DWORD>(uint64_t(piece) * 10 * 1000 / m_baudRate);
        if (HRESULT hr = SetTimeouts(1, 2 * lineMs + kWriteSlackMs); FAILED(hr))
            return hr;
        DWORD written = 0;
        if (!WriteFile(m_handle.Get(), bytes.data(), piece, &written, nullptr))
            return FailWithLastError(L"Writing to " + m_name + L" failed");
        if (written == 0)
            return Fail(HRESULT_FROM_WIN32(ERROR_TIMEOUT), L"The line of " + m_name + L" takes no more bytes");
        bytes.remove_prefix(written);
    }
    return S_OK;
}

HRESULT SerialPort::Receive(size_t count, DWORD timeoutMs, std::string& bytes)
{
    bytes.clear();
    if (!IsOpen())
        return NotOpen();
    if (HRESULT hr = SetTimeouts(timeoutMs, kWriteSlackMs); FAILED(hr))
        return hr;
    bytes.resize(std::min(count, kLargestTransfer));
    DWORD received = 0;
    if (!ReadFile(m_handle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &received, nullptr)) {
        bytes.clear();
        return FailWithLastError(L"Reading from " + m_name + L" failed");
    }
    bytes.resize(received);
    if (received == 0) {
        return Fail(HRESULT_FROM_WIN32(ERROR_TIMEOUT),
                    L"Nothing came on " + m_name + L" within " + std::to_wstring(timeoutMs) + L" ms");
    }
    return S_OK;
}

HRESULT SerialPort::DropInput()
{
    if (!IsOpen())
        return NotOpen();
    if (!PurgeComm(m_handle.Get(), PURGE_RXCLEAR | PURGE_RXABORT))
        return FailWithLastError(L"The input of " + m_name + L" could not be cleared");
    return S_OK;
}

}  // namespace kelvra::serial
