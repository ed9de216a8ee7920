#include "ContactPictures.h"

#include <gdiplus.h>

#include <cwchar>

#include "Errors.h"
#include "LinkModeScope.h"
#include "PhotoNames.h"
#include "Platform.h"

namespace kelvra {

namespace {

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool LoadsAsBitmap(const std::wstring& path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    bool loaded = Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) == Gdiplus::Ok && bitmap;
    if (bitmap)
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    Gdiplus::GdiplusShutdown(token);
    return loaded;
}

std::wstring CachedFileName(int number, const std::wstring& fileName)
{
    wchar_t prefix[16];
    swprintf(prefix, 16, L"%03d_", number);
    return prefix + fileName;
}

}  // namespace

ContactPictures::ContactPictures(CKelvraBase& link, const ContactLayout& layout, const PhonebookSettings& settings)
    : m_link(link), m_layout(layout), m_settings(settings)
{
}

bool ContactPictures::ModelKeepsNoPhotos() const
{
    return m_settings.model.OccursInList(L"KTM-A280;KTM-A150;KTM-A230;KTM-A130;KTM-A260;");
}

void ContactPictures::Decode(const RecordBytes& record, ColumnMap& map, bool fetch)
{
    std::wstring handsetPath = WidenUtf8(record.NarrowText(m_layout.photo));
    if (ModelKeepsNoPhotos()) {
        if (m_settings.model.IsOneOfIgnoringCase({L"KTM-A260", L"KTM-A130"}) && !handsetPath.empty())
            map.SetText(L"PHOTO_LOCAL_PATH", handsetPath);
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    // A handset name that would lead out of the cache or open a device is not fetched.
    std::wstring fileName = CacheFileName(handsetPath);
    if (fileName.empty()) {
        map.SetText(L"PHOTO_TYPE", L"NONE");
        map.SetText(L"PHOTO", L"");
        return;
    }
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return;
    std::wstring localPath = folder + fileName;
    if (fetch) {
        LinkModeScope fileTransfer(m_link);
        if (FAILED(m_link.Agent()->GetFile(Bstr(handsetPath).Get(), Bstr(localPath).Get())))
            ThrowTamError(kTamWrongReply, L"The contact's picture " + handsetPath + L" could not be copied from the handset");
    }
    map.SetText(L"PHOTO_LOCAL_PATH", localPath);
    map.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
}

ContactPictures::Pending ContactPictures::Encode(RecordBytes& record, ColumnChanges& changes, bool photoSupported,
                                                uint32_t index) const
{
    if (!changes.Changed({L"PHOTO_LOCAL_PATH"}))
        return {};  // the record keeps the picture it names, and nothing is sent again
    ColumnMap& values = changes.Values();
    std::wstring picture = photoSupported ? values.TextOr(L"PHOTO_LOCAL_PATH", L"") : std::wstring();
    record.SetNarrowText(m_layout.photo, std::string_view());
    if (!photoSupported) {
        values.SetText(L"PHOTO_LOCAL_PATH", L"");
        return {};
    }
    // Each contact's picture gets a name of its own on the handset, so two pictures of
    // the same PC file name never replace each other.
    std::wstring fileName = CacheFileName(picture);
    std::string handsetPath =
        fileName.empty() ? std::string()
                         : HandsetPicturePath(HandsetPictureFolder(), CachedFileName(static_cast<int>(index), fileName),
                                              m_layout.photo.maxChars);
    std::wstring cached;
    bool ready = !handsetPath.empty() && CachePhoto(static_cast<int>(index), picture, fileName, cached);
    if (!ready) {
        if (!picture.empty()) {
            values.SetText(L"PHOTO_LOCAL_PATH", L"");
            values.SetText(L"PHOTO_TYPE", L"NONE");
        }
        return {};
    }
    record.SetNarrowText(m_layout.photo, handsetPath);
    values.SetText(L"PHOTO_LOCAL_PATH", cached);
    values.SetText(L"PHOTO_TYPE", L"IMAGE_PHOTO");
    return {cached, WidenUtf8(handsetPath)};
}

std::wstring ContactPictures::HandsetPictureFolder() const
{
    const ModelName& model = m_settings.model;
    if (model.IsOneOfIgnoringCase({L"KTM-A290", L"KTM-A180"}))
        return L"tfs4/a/sap/";
    if (model.IsOneOfIgnoringCase({L"KTM-A160", L"KTM-A150 TW"}))
        return L"efs2/users/Images/";
    if (model.IsOneOfIgnoringCase({L"KTM-A200", L"KTM-A200 INDIA_OPEN", L"KTM-A200 HUTCH", L"KTM-A140", L"KTM-A120",
                                   L"KTM-A120 INDIA_OPEN", L"KTM-A120 TW", L"KTM-A120 INDONESIA", L"KTM-A270",
                                   L"KTM-A220", L"KTM-A300", L"KTM-A250", L"KTM-A210", L"KTM-A210 INDIA_OPEN",
                                   L"KTM-A190 INDIA", L"KTM-A190 INI", L"KTM-A240"}))
        return m_settings.phoneRootPath + L"/Images/";
    return m_settings.phoneRootPath + L"/Images/Phonebook images/";
}

bool ContactPictures::Send(const Pending& picture)
{
    try {
        LinkModeScope fileTransfer(m_link);
        Bstr target(picture.handsetPath), source(picture.cachedPath);
        if (SUCCEEDED(m_link.Agent()->PutFile(target.Get(), source.Get())))
            return true;
        // A file of that name may stand in the way: it goes, and the copy is made once more.
        return SUCCEEDED(m_link.Agent()->RemoveFile(target.Get())) && SUCCEEDED(m_link.Agent()->PutFile(target.Get(), source.Get()));
    } catch (const _com_error&) {
        return false;  // the link would not switch to file transfer
    }
}

std::wstring ContactPictures::PhotoCacheFolder()
{
    std::wstring folder = Platform::Current().AppDataFolder();
    if (folder.empty())
        return {};
    for (const wchar_t* part : {L"\\Orvane", L"\\Lumen Desk", L"\\KELVRA_PB"}) {
        folder += part;
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    return folder + L"\\";
}

bool ContactPictures::CachePhoto(int number, const std::wstring& source, const std::wstring& fileName,
                           std::wstring& cachedPath)
{
    std::wstring safeName = CacheFileName(fileName);
    if (source.empty() || safeName.empty() || !FileExists(source))
        return false;
    std::wstring folder = PhotoCacheFolder();
    if (folder.empty())
        return false;
    std::wstring name = folder + CachedFileName(number, safeName);
    if (!LoadsAsBitmap(source))
        return false;
    if (_wcsicmp(source.c_str(), name.c_str()) != 0 && !CopyFileW(source.c_str(), name.c_str(), FALSE))
        return false;
    cachedPath = name;
    return true;
}

}  // namespace kelvra
