// The debug log: one line per call on the debugger output, tagged with the source word.
#pragma once

namespace kelvra {

// printf-style wide formatting; a message that formats to nothing writes nothing.
void DebugLog(const wchar_t* format, ...);

// Logs "<name>(+)" when made and "<name>(-)" when it goes out of scope.
class ScopedTrace {
public:
    explicit ScopedTrace(const wchar_t* name);
    ~ScopedTrace();
    ScopedTrace(const ScopedTrace&) = delete;
    ScopedTrace& operator=(const ScopedTrace&) = delete;

private:
    const wchar_t* m_name;
};

}  // namespace kelvra
