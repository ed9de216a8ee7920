// The platform the benchmark runs the component on: every pause is off, the debug log
// goes nowhere, and the application-data folder is one of this process's own.
#pragma once

#include <cstdint>
#include <string>

#include "Platform.h"

namespace kelvra::bench {

class QuietPlatform : public Platform {
public:
    // Makes the folder; its tree is removed again with this object.
    QuietPlatform();
    ~QuietPlatform() override;
    QuietPlatform(const QuietPlatform&) = delete;
    QuietPlatform& operator=(const QuietPlatform&) = delete;

    void Sleep(DWORD) override {}
    void DebugOutput(const wchar_t*) override {}
    std::wstring AppDataFolder() override { return m_folder; }

    // A new empty folder below the application-data folder.
    std::wstring NewFolder();

private:
    std::wstring m_folder;
    int m_made = 0;
};

// Removes a folder with everything in it.
void RemoveTree(const std::wstring& folder);
// The size of a PC file; 0 when there is none.
uint64_t FileSize(const std::wstring& path);

}  // namespace kelvra::bench
