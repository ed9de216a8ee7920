// SHA-256 digests, as lower-case hex, of bytes and of whole files.
#pragma once

#include <cstdint>
#include <string>

namespace kelvra::host {

std::string Sha256Hex(const std::string& bytes);
// Reads the file in pieces, so that a large one is never held whole; sets size to its
// length. InputError when it cannot be read.
std::string Sha256OfFile(const std::wstring& path, uint64_t& size);

}  // namespace kelvra::host
