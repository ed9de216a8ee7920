#include "Platform.h"

#include <objbase.h>
#include <shlobj.h>

namespace kelvra {

namespace {

Platform g_defaultPlatform;
Platform* g_platform = &g_defaultPlatform;

}  // namespace

void Platform::Sleep(DWORD milliseconds)
{
    ::Sleep(milliseconds);
}

void Platform::DebugOutput(const wchar_t* line)
{
    ::OutputDebugStringW(line);
}

int Platform::ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(nullptr, text, caption, type);
}

std::wstring Platform::AppDataFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

LONG Platform::TimeZoneBias()
{
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    return zone.Bias;
}

SYSTEMTIME Platform::LocalTime()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return now;
}

GUID Platform::NewGuid()
{
    GUID guid = {};
    CoCreateGuid(&guid);
    return guid;
}

Platform& Platform::Current()
{
    return *g_platform;
}

Platform* Platform::Install(Platform* services)
{
    Platform* previous = g_platform;
    g_platform = services ? services : &g_defaultPlatform;
    return previous == &g_defaultPlatform ? nullptr : previous;
}

}  // namespace kelvra
