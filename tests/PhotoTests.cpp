// Contact pictures between the handset and the photo cache, both ways.
#include <gtest/gtest.h>

#include <fstream>

#include "KelvraPB.h"
#include "PhonebookTestSupport.h"
#include "RecordBuilder.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

// A 1x1 24-bit bitmap.
std::string Bitmap()
{
    RecordBuilder bmp;
    bmp.U8('B').U8('M').U32(58).U32(0).U32(54);
    bmp.U32(40).U32(1).U32(1).U16(1).U16(24).U32(0).U32(4).U32(2835).U32(2835).U32(0).U32(0);
    bmp.U8(0).U8(0).U8(0xFF).U8(0);
    return bmp.Bytes();
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
