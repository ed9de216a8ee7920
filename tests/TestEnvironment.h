// What every test program shares: COM on the test thread, the simulator's classes
// creatable in-process, and platform services that record instead of acting.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ComTypes.h"
#include "Platform.h"

namespace kelvra::testing {

class TestPlatform : public Platform {
public:
    void Sleep(DWORD milliseconds) override { pauses.push_back(milliseconds); }
    void DebugOutput(const wchar_t* line) override { logLines.emplace_back(line); }
    int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT) override
    {
        messageBoxes.push_back(std::wstring(text) + L"|" + caption);
        return IDOK;
    }
    std::wstring AppDataFolder() override { return appData; }
    LONG TimeZoneBias() override { return timeZoneBias; }

    void Reset();

    std::vector<DWORD> pauses;
    std::vector<std::wstring> logLines;
    std::vector<std::wstring> messageBoxes;
    std::wstring appData;
    LONG timeZoneBias = 0;
};

// The recording services in force for the running test; reset before each test.
TestPlatform& Services();

// Bytes from hex text such as "00 41 04 00".
std::string Bytes(const char* hex);

// A fresh empty folder under the temporary folder.
std::wstring MakeTempFolder(const wchar_t* name);

// The description of the thread's error information; empty when there is none.
std::wstring ThreadErrorDescription();

}  // namespace kelvra::testing
