// Message content on the PC: each fetched message is one ".mms" file under the
// component's folder, named by a new GUID and holding exactly the message's bytes.
#pragma once

#include <cstddef>
#include <string>

namespace kelvra {

// Writes the content to a new ".mms" file and returns its path. The file appears under
// its name only once it is whole; a failure leaves no file behind and is raised.
std::wstring SaveMmsFile(const std::string& content);

// The bytes of a file to send. An empty path, a file that cannot be read, an empty file
// and one larger than largest are refused with a clear error.
std::string LoadMmsFile(const std::wstring& path, size_t largest);

}  // namespace kelvra
