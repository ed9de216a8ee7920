// Whole-file reads and writes of the handset's state, with the write made atomic: the
// new text goes to a file beside the old one, reaches the disk, and then replaces it in
// one rename, so that a killed process leaves either the old file or the new one.
#pragma once

#include <cstdint>
#include <string>

#include "FileHandle.h"

namespace kelvra::sim {

class StateFile {
public:
    // Reads the whole file; false when there is no such file. Throws StateError when
    // the path is a folder or cannot be read.
    static bool Read(const std::wstring& path, std::string& bytes);

    // Replaces the file with the given bytes as described above; throws StateError.
    static void Replace(const std::wstring& path, const std::string& bytes);

    // Writes all bytes to an open file and waits until they are on the disk; throws
    // StateError naming the path.
    static void WriteDurably(HANDLE file, const std::string& bytes, const std::wstring& path);

    // The call that makes the bytes durable; tests put a failing one here to play a disk
    // that takes the bytes but cannot keep them.
    static inline BOOL(WINAPI* flush)(HANDLE file) = ::FlushFileBuffers;
};

}  // namespace kelvra::sim
