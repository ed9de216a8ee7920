// Names of contact pictures on the PC side. A name from the handset is untrusted: it
// becomes a plain file name that can only ever name a file inside the photo cache.
#pragma once

#include <string>

namespace kelvra {

// The file name part of a handset or PC path, made safe as a Windows file name: no
// folders, drive or climbing out, no characters Windows refuses, no trailing dots or
// blanks, and never a device name such as "NUL" or "COM1.jpg". Empty when nothing
// usable is left.
std::wstring CacheFileName(const std::wstring& path);

}  // namespace kelvra
