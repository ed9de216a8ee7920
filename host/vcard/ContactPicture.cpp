#include "ContactPicture.h"

#include <windows.h>

#include "ComFailure.h"
#include "WholeFile.h"

namespace kelvra::host {

std::string PictureFormatOf(const std::string& bytes)
{
    auto startsWith = [&](const char* magic, size_t length) { return bytes.compare(0, length, magic, length) == 0; };
    if (startsWith("\xFF\xD8\xFF", 3))
        return "jpg";
    if (startsWith("\x89PNG\r\n\x1A\n", 8))
        return "png";
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return "gif";
    if (startsWith("BM", 2) && bytes.size() > 14)
        return "bmp";
    return {};
}

PictureFolder::~PictureFolder()
{
    for (const std::wstring& file : m_files)
        DeleteFileW(file.c_str());
    if (!m_folder.empty())
        RemoveDirectoryW(m_folder.c_str());
}

std::wstring PictureFolder::Hold(const VCardContact& contact)
{
    if (contact.picture.empty())
        return {};
    if (m_folder.empty()) {
        wchar_t temp[MAX_PATH];
        DWORD length = GetTempPathW(MAX_PATH, temp);
        if (!length || length >= MAX_PATH)
            throw InputError("there is no temporary folder to hand the pictures over in");
        // A name of this process and a counter: never one another run still uses.
        for (unsigned attempt = 0; m_folder.empty(); ++attempt) {
            std::wstring folder = std::wstring(temp) + L"kelvra-pictures-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(attempt);
            if (CreateDirectoryW(folder.c_str(), nullptr))
                m_folder = folder;
            else if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
                throw InputError("there is no temporary folder to hand the pictures over in");
        }
    }
    std::wstring file = m_folder + L"\\contact" + std::to_wstring(contact.lineNumber) + L"." +
                        std::wstring(contact.pictureFormat.begin(), contact.pictureFormat.end());
    WriteWhole(file, contact.picture);
    m_files.push_back(file);
    return file;
}

}  // namespace kelvra::host
