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

// A picture's path on the handset in UTF-8, folder and file name, that fits maxBytes:
// a name too long loses characters at the end of its stem, never inside a character
// and never its extension. Empty when not even that fits.
std::string HandsetPicturePath(const std::wstring& folder, const std::wstring& fileName, size_t maxBytes);

}  // namespace kelvra
