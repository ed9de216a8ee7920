// A failing HRESULT with its meaning and the thread's error information, as a message
// a person can act on.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace kelvra::host {

// A command line the program cannot follow: the usage is printed with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value on the command line that does not fit (a column, a SUID, a model).
class BadValue : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be read or written, or that is not what the command needs.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ComFailure : public std::runtime_error {
public:
    ComFailure(HRESULT hr, const std::string& what, const std::string& reason = {});
    HRESULT Result() const { return m_hr; }
    // The component's own reason, from its error information; empty when it gave none.
    const std::string& Reason() const { return m_reason; }

private:
    HRESULT m_hr;
    std::string m_reason;
};

// What an HRESULT means, in words: the system's text, or ours for the handset's codes.
std::string MeaningOf(HRESULT hr);
// Whether the system's own text says what the HRESULT means (a Win32 error, say).
bool IsSystemResult(HRESULT hr);

// Throws ComFailure with "<what>: 0x... <system meaning>; <error information>".
void CheckCall(HRESULT hr, const char* what);

}  // namespace kelvra::host
