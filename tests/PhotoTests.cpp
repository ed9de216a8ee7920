// Contact pictures between the handset and the photo cache, both ways.
#include <gtest/gtest.h>

#include <fstream>

#include "KelvraPB.h"
#include "PhonebookTestSupport.h"
#include "PhotoNames.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

// A 1x1 24-bit bitmap of one colour.
std::string Bitmap(uint8_t red = 0xFF)
{
    RecordBuilder bmp;
    bmp.U8('B').U8('M').U32(58).U32(0).U32(54);
    bmp.U32(40).U32(1).U32(1).U16(1).U16(24).U32(0).U32(4).U32(2835).U32(2835).U32(0).U32(0);
    bmp.U8(0).U8(0).U8(red).U8(0);
    return bmp.Bytes();
}

std::string ReadFile(const std::wstring& path)
{
    std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << bytes;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A KTM-A290 handset whose file system is a folder with the picture folder in it.
struct PictureHandset : Handset {
    std::wstring root = MakeTempFolder(L"handset-files");

    explicit PictureHandset(const wchar_t* photos) : Handset(211, photos)
    {
        connection->put_FileRoot(Bstr(root).Get());
        for (const wchar_t* folder : {L"\\tfs4", L"\\tfs4\\a", L"\\tfs4\\a\\sap"})
            CreateDirectoryW((root + folder).c_str(), nullptr);
    }

    // A stored contact whose photo file-name field names the given handset path.
    void StoreContactNaming(const std::string& photoPath)
    {
        ComPtr<IDataTable> phonebook = Table(DTID_PHONEBOOK);
        ComPtr<IItem> item;
        phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
        SetColumn(item.Get(), L"FIRST_NAME", L"Face");
        ASSERT_EQ(S_OK, phonebook->CreateItem(item.Get(), nullptr));
        std::string record = *Sim().FindRecord(1, 1);
        std::string field = photoPath + std::string(257 - photoPath.size(), '\0');
        record.replace(12, field.size(), field);  // after two flag bytes and ten group slots
        Sim().PutRecord(1, 1, record);
    }

    ComPtr<IItem> FirstListed()
    {
        ComPtr<IDataTable> phonebook = Table(DTID_PHONEBOOK);
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, phonebook->ListItemsAllBegin());
        EXPECT_EQ(S_OK, phonebook->NextItem(item.GetAddressOf()));
        return item;
    }
};

}  // namespace

TEST(Photos, AListedContactBringsItsPictureIntoTheCache)
{
    PictureHandset handset(L"false");
    WriteFile(handset.root + L"\\tfs4\\a\\sap\\face.bmp", Bitmap());
    handset.StoreContactNaming("tfs4/a/sap/face.bmp");
    Services().pauses.clear();

    ComPtr<IItem> contact = handset.FirstListed();
    ASSERT_NE(nullptr, contact.Get());
    std::wstring cached = Services().appData + L"\\Orvane\\Lumen Desk\\KELVRA_PB\\face.bmp";
    EXPECT_EQ(L"IMAGE_PHOTO", ColumnText(contact.Get(), L"PHOTO_TYPE"));
    EXPECT_EQ(cached, ColumnText(contact.Get(), L"PHOTO_LOCAL_PATH"));
    EXPECT_TRUE(Exists(cached));
    EXPECT_EQ(0, handset.connection->State().mode);
    EXPECT_EQ((std::vector<DWORD>{500, 500, 500}), Services().pauses);  // listing start, then around the copy
}

TEST(Photos, AHandsetNameCannotLeadOutOfTheCache)
{
    PictureHandset handset(L"false");
    for (const char* hostile : {"tfs4/a/sap/C:evil.bmp", "tfs4/a/sap/.."}) {
        handset.StoreContactNaming(hostile);
        ComPtr<IItem> contact = handset.FirstListed();
        ASSERT_NE(nullptr, contact.Get()) << hostile;
        EXPECT_EQ(L"NONE", ColumnText(contact.Get(), L"PHOTO_TYPE"));
        handset.Table(DTID_PHONEBOOK)->ListItemsEnd();
    }

    // Only the plain name is used in the cache; a path the handset cannot serve fails
    // the read cleanly.
    handset.StoreContactNaming("tfs4\\..\\..\\evil.bmp");
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ComPtr<IItem> item;
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), phonebook->NextItem(item.GetAddressOf()));
    EXPECT_EQ(0, handset.connection->State().mode);  // the failed copy left packet exchange on
    EXPECT_FALSE(Exists(Services().appData + L"\\evil.bmp"));
    EXPECT_FALSE(Exists(Services().appData + L"\\Orvane\\evil.bmp"));
}

TEST(Photos, ACreatedContactsPictureIsCachedAndSentToTheHandset)
{
    PictureHandset handset(L"true");
    std::wstring source = MakeTempFolder(L"pictures") + L"\\face.bmp";
    WriteFile(source, Bitmap());
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());  // learns that the model database allows photos
    ASSERT_EQ(S_OK, phonebook->ListItemsEnd());

    ComPtr<IItem> item;
    phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
    SetColumn(item.Get(), L"FIRST_NAME", L"Face");
    SetColumn(item.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
    ASSERT_EQ(S_OK, phonebook->CreateItem(item.Get(), nullptr));

    EXPECT_TRUE(Exists(Services().appData + L"\\Orvane\\Lumen Desk\\KELVRA_PB\\001_face.bmp"));
    // On the handset the picture is named after its contact, as in the cache.
    EXPECT_TRUE(Exists(handset.root + L"\\tfs4\\a\\sap\\001_face.bmp"));
    const std::string& record = *handset.Sim().FindRecord(1, 1);
    EXPECT_EQ(std::string("tfs4/a/sap/001_face.bmp") + '\0', record.substr(12, 24));
    EXPECT_EQ(L"IMAGE_PHOTO", ColumnText(item.Get(), L"PHOTO_TYPE"));
}

TEST(Photos, AFileThatIsNoPictureIsNeitherCachedNorNamed)
{
    PictureHandset handset(L"true");
    std::wstring source = MakeTempFolder(L"pictures") + L"\\notes.bmp";
    WriteFile(source, "these are notes, not a picture");
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    ASSERT_EQ(S_OK, phonebook->ListItemsEnd());

    ComPtr<IItem> item;
    phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
    SetColumn(item.Get(), L"FIRST_NAME", L"Notes");
    SetColumn(item.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
    ASSERT_EQ(S_OK, phonebook->CreateItem(item.Get(), nullptr));

    EXPECT_EQ(L"NONE", ColumnText(item.Get(), L"PHOTO_TYPE"));
    EXPECT_FALSE(Exists(Services().appData + L"\\Orvane\\Lumen Desk\\KELVRA_PB\\001_notes.bmp"));
    EXPECT_FALSE(Exists(handset.root + L"\\tfs4\\a\\sap\\notes.bmp"));
    EXPECT_EQ('\0', handset.Sim().FindRecord(1, 1)->at(12));
}

TEST(Photos, TwoContactsWhosePicturesShareAFileNameKeepTheirOwn)
{
    PictureHandset handset(L"true");
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    ASSERT_EQ(S_OK, phonebook->ListItemsEnd());
    const uint8_t colours[] = {0x11, 0x22};
    for (uint8_t colour : colours) {
        std::wstring source = MakeTempFolder(L"pictures") + L"\\photo.bmp";
        WriteFile(source, Bitmap(colour));
        ComPtr<IItem> item;
        phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
        SetColumn(item.Get(), L"FIRST_NAME", L"Twin");
        SetColumn(item.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
        ASSERT_EQ(S_OK, phonebook->CreateItem(item.Get(), nullptr));
    }
    EXPECT_EQ(Bitmap(0x11), ReadFile(handset.root + L"\\tfs4\\a\\sap\\001_photo.bmp"));
    EXPECT_EQ(Bitmap(0x22), ReadFile(handset.root + L"\\tfs4\\a\\sap\\002_photo.bmp"));

    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    for (uint8_t colour : colours) {
        ComPtr<IItem> listed;
        ASSERT_EQ(S_OK, phonebook->NextItem(listed.GetAddressOf()));
        ASSERT_NE(nullptr, listed.Get());
        EXPECT_EQ(Bitmap(colour), ReadFile(ColumnText(listed.Get(), L"PHOTO_LOCAL_PATH")));
    }
}

TEST(Photos, AHandsetPictureNameIsCutWholeAndSentUnderExactlyThatName)
{
    PictureHandset handset(L"true");
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    ASSERT_EQ(S_OK, phonebook->ListItemsEnd());
    // Three bytes a character in UTF-8: the name does not fit the record's field.
    std::wstring source = MakeTempFolder(L"pictures") + L"\\" + std::wstring(80, L'\uAC00') + L".bmp";
    HANDLE file = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    std::string bitmap = Bitmap();
    DWORD written = 0;
    WriteFile(file, bitmap.data(), static_cast<DWORD>(bitmap.size()), &written, nullptr);
    CloseHandle(file);

    ComPtr<IItem> item;
    phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
    SetColumn(item.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
    ASSERT_EQ(S_OK, phonebook->CreateItem(item.Get(), nullptr));
    EXPECT_EQ(L"IMAGE_PHOTO", ColumnText(item.Get(), L"PHOTO_TYPE")) << ColumnText(item.Get(), L"PHOTO_LOCAL_PATH");
    std::string field = handset.Sim().FindRecord(1, 1)->substr(12, 257);
    std::string name = field.substr(0, field.find('\0'));
    ASSERT_GT(name.size(), 20u);
    EXPECT_LE(name.size(), 256u);
    EXPECT_EQ(".bmp", name.substr(name.size() - 4));
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), nullptr, 0);
    ASSERT_GT(units, 0) << "the name was cut inside a character";
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), wide.data(), units);
    for (wchar_t& c : wide)
        c = c == L'/' ? L'\\' : c;
    EXPECT_TRUE(Exists(handset.root + L"\\" + wide));
}

TEST(PhotoNames, NeverLeaveTheCacheOrNameADevice)
{
    struct Case {
        const wchar_t* handset;
        const wchar_t* cached;
    };
    for (Case c : {Case{L"a/b/face.jpg", L"face.jpg"}, Case{L"NUL", L"_NUL"}, Case{L"x/com1.jpg", L"_com1.jpg"},
                   Case{L"LPT9.txt", L"_LPT9.txt"}, Case{L"CON .jpg", L"_CON .jpg"}, Case{L"COM10.jpg", L"COM10.jpg"},
                   Case{L"face.jpg. . ", L"face.jpg"}, Case{L"a\\..", L""}, Case{L"C:evil.jpg", L""},
                   Case{L"x.jpg:stream", L""}, Case{L"tab\there?.jpg", L"tab_here_.jpg"}, Case{L"", L""}})
        EXPECT_EQ(c.cached, CacheFileName(c.handset)) << c.handset;
    EXPECT_EQ("f/abc.jpg", HandsetPicturePath(L"f/", L"abcdef.jpg", 9));
    EXPECT_EQ("f/\xEA\xB0\x80.jpg", HandsetPicturePath(L"f/", L"\uAC00\uAC00.jpg", 10));  // never half a character
    EXPECT_EQ("", HandsetPicturePath(L"f/", L"a.jpg", 6));
}

TEST(Photos, APictureTheHandsetRefusesLeavesAContactThatStillReads)
{
    PictureHandset handset(L"true");
    std::wstring source = MakeTempFolder(L"pictures") + L"\\face.bmp";
    WriteFile(source, Bitmap());
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    ASSERT_EQ(S_OK, phonebook->ListItemsAllBegin());
    ASSERT_EQ(S_OK, phonebook->ListItemsEnd());

    // The copy to the handset fails: the record must not name a picture that is not there.
    handset.connection->FailMethod(Bstr(L"PutFile").Get(), E_FAIL);
    ComPtr<IItem> refused;
    phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, refused.GetAddressOf());
    SetColumn(refused.Get(), L"FIRST_NAME", L"Refused");
    SetColumn(refused.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
    SUID suid = 0;
    ASSERT_EQ(S_OK, phonebook->CreateItem(refused.Get(), &suid));
    EXPECT_EQ(1, suid);
    EXPECT_EQ('\0', handset.Sim().FindRecord(1, 1)->at(12));
    EXPECT_EQ(L"NONE", ColumnText(refused.Get(), L"PHOTO_TYPE"));
    EXPECT_EQ(0, handset.connection->State().mode);
    handset.connection->FailMethod(Bstr(L"PutFile").Get(), S_OK);

    // The picture arrives, but reading the contact back cannot fetch it: the contact is
    // stored all the same, so the create succeeds with its SUID.
    handset.connection->FailMethod(Bstr(L"GetFile").Get(), E_FAIL);
    ComPtr<IItem> unread;
    phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, unread.GetAddressOf());
    SetColumn(unread.Get(), L"FIRST_NAME", L"Unread");
    SetColumn(unread.Get(), L"PHOTO_LOCAL_PATH", source.c_str());
    ASSERT_EQ(S_OK, phonebook->CreateItem(unread.Get(), &suid));
    EXPECT_EQ(2, suid);
    EXPECT_EQ(L"Unread", ColumnText(unread.Get(), L"FIRST_NAME"));
    ULONG count = 0;
    ASSERT_EQ(S_OK, phonebook->GetItemCount(nullptr, 0, QELDT_PHONEBOOK, &count));
    EXPECT_EQ(2u, count);
}
