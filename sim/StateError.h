// A failure to read, save or lock the simulated handset's state, with a description a
// person can act on. It is thrown inside the simulator and turned into an HRESULT with
// error information at the COM edge.
#pragma once

#include <windows.h>

#include <string>

namespace kelvra::sim {

class StateError {
public:
    StateError(HRESULT hr, std::wstring description) : m_hr(hr), m_description(std::move(description)) {}

    HRESULT Result() const { return m_hr; }
    const std::wstring& Description() const { return m_description; }

private:
    HRESULT m_hr;
    std::wstring m_description;
};

// The system's text for a Win32 error, without the trailing full stop and line break.
std::wstring SystemText(DWORD error);

// Throws StateError for the calling thread's last Win32 error: "<what>: <system text>".
[[noreturn]] void ThrowLastError(const std::wstring& what);

// Throws StateError(E_FAIL) saying that the state in a file cannot be trusted.
[[noreturn]] void ThrowDamaged(const std::wstring& path, const std::wstring& reason);

}  // namespace kelvra::sim
