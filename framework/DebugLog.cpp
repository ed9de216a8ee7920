#include "DebugLog.h"

#include <cstdarg>
#include <algorithm>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform.h"

namespace kelvra {

namespace {

constexpr const wchar_t* kSourceWord = L"LUMOQELTAM";
constexpr int kMessageCapacity = 1024;  // holds 1023 characters and the terminator

// Formats the whole message, then keeps at most the 1023 characters the log holds.
std::wstring FormatMessageText(const wchar_t* format, va_list args)
{
    std::vector<wchar_t> buffer(kMessageCapacity);
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        int written = vswprintf(buffer.data(), buffer.size(), format, attempt);
        va_end(attempt);
        if (written >= 0)
            return std::wstring(buffer.data(), static_cast<size_t>(std::min(written, kMessageCapacity - 1)));
        if (buffer.size() >= (1u << 20))
            throw std::length_error("log message cannot be formatted");
        buffer.resize(buffer.size() * 4);
    }
}

void WriteLine(std::wstring line)
{
    if (line.empty() || line.back() != L'\n')
        line += L'\n';
    Platform::Current().DebugOutput(line.c_str());
}

}  // namespace

void DebugLog(const wchar_t* format, ...)
{
    try {
        va_list args;
        va_start(args, format);
        std::wstring message;
        try {
            message = FormatMessageText(format, args);
        } catch (...) {
            va_end(args);
            throw;
        }
        va_end(args);
        if (message.empty())
            return;
        WriteLine(L"[" + std::wstring(kSourceWord) + L"]" + message);
    } catch (...) {
        try {
            WriteLine(L"[" + std::wstring(kSourceWord) + L"]LOGERROR::" + (format ? format : L""));
        } catch (...) {
        }
    }
}

ScopedTrace::ScopedTrace(const wchar_t* name) : m_name(name)
{
    DebugLog(L"%ls(+)", m_name);
}

ScopedTrace::~ScopedTrace()
{
    DebugLog(L"%ls(-)", m_name);
}

}  // namespace kelvra
