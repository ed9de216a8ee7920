// The platform services the component calls that tests must control: the fixed pauses,
// the debugger output, the message box, the application-data folder, the time-zone
// bias, the clock and new GUIDs. The defaults are the Win32 calls.
#pragma once

#include <windows.h>

#include <string>

namespace kelvra {

class Platform {
public:
    virtual ~Platform() = default;

    virtual void Sleep(DWORD milliseconds);
    virtual void DebugOutput(const wchar_t* line);
    virtual int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
    // The user's application-data folder, created when missing; empty when unknown.
    virtual std::wstring AppDataFolder();
    // Minutes to add to the zone's standard time to get UTC; daylight saving is not
    // applied, as the handsets that count universal time expect.
    virtual LONG TimeZoneBias();
    virtual SYSTEMTIME LocalTime();
    virtual GUID NewGuid();

    // The services in force for the whole process.
    static Platform& Current();
    // Puts other services in force (null restores the defaults); returns the previous ones.
    static Platform* Install(Platform* services);
};

}  // namespace kelvra
