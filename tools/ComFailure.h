// A failing HRESULT with its meaning and the thread's error information, as a message
// a person can act on.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace kelvra::tools {

// A failure of the host program itself: a usage error or a bad value.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ComFailure : public std::runtime_error {
public:
    ComFailure(HRESULT hr, const std::string& what);
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// Throws ComFailure with "<what>: 0x... <system meaning>; <error information>".
void CheckCall(HRESULT hr, const char* what);

}  // namespace kelvra::tools
