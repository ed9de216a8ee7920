// The PC side of the handset's file system: what a folder holds and how much.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SimFileEntry.h"

namespace kelvra::sim {

// The direct entries of a PC folder, sorted by name ignoring case; false with the Win32
// error left in GetLastError when it cannot be read.
bool ReadFolderEntries(const std::wstring& folder, std::vector<FolderEntry>& entries);

// The bytes of all files at any depth below a PC folder; 0 for a folder that is not there.
uint64_t BytesUnder(const std::wstring& folder);

// Makes a PC folder and any missing folders above it; false with the Win32 error left.
bool MakeFolderPath(const std::wstring& folder);

}  // namespace kelvra::sim
