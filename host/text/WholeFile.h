// PC files: their full paths, and files read and written whole, so that a failure
// never leaves a cut file behind.
#pragma once

#include <cstdint>
#include <string>

namespace kelvra::host {

// The full form of a PC path, as the component needs it; InputError when there is none.
std::wstring FullPcPath(const std::wstring& path);
// The file's bytes; InputError when it cannot be read.
std::string ReadWhole(const std::wstring& path);
// The same for a file that must not be larger than mostBytes: a larger one is refused
// before it is read.
std::string ReadWhole(const std::wstring& path, uint64_t mostBytes);
// Writes next to the file and then replaces it, so that a failed write never leaves a
// cut file under the name asked for. InputError when it cannot be written.
void WriteWhole(const std::wstring& path, const std::string& bytes);

}  // namespace kelvra::host
