// The file table and its codec over a handset file system held in memory: listings
// checked against records written out by hand, the size request byte for byte, and what
// an untrusted handset cannot make the listing do.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "DataTableKelvraFile.h"
#include "FileTestSupport.h"
#include "KelvraFile.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

struct FolderRecord {
    ULONG id;
    LONG parent;
    std::wstring name;
    std::wstring types;
    ULONG status;
    ULONG notAllowed;
};

void ExpectFolder(IItem* item, const FolderRecord& expected)
{
    SCOPED_TRACE(NarrowUtf8(expected.name));
    ExpectColumn(item, L"FolderID", VT_UI4, std::to_wstring(expected.id));
    ExpectColumn(item, L"ParentID", VT_INT, std::to_wstring(expected.parent));
    ExpectColumn(item, L"Name", VT_BSTR, expected.name);
    ExpectColumn(item, L"FileCount", VT_BSTR, L"0");
    ExpectColumn(item, L"LimitFileType", VT_BSTR, expected.types);
    ExpectColumn(item, L"Status", VT_UI4, std::to_wstring(expected.status));
    ExpectColumn(item, L"NotAllowedOperation", VT_UI4, std::to_wstring(expected.notAllowed));
    EXPECT_EQ(VT_R8, Column(item, L"CreateDate").Type());
}

void ExpectFile(IItem* item, ULONG folder, const std::wstring& name, ULONG size, ULONG status, ULONG notAllowed)
{
    SCOPED_TRACE(NarrowUtf8(name));
    ExpectColumn(item, L"FolderID", VT_UI4, std::to_wstring(folder));
    ExpectColumn(item, L"Name", VT_BSTR, name);
    ExpectColumn(item, L"Type", VT_BSTR, L"0");
    ExpectColumn(item, L"FileSize", VT_UI4, std::to_wstring(size));
    ExpectColumn(item, L"Status", VT_UI4, std::to_wstring(status));
    ExpectColumn(item, L"NotAllowedOperation", VT_UI4, std::to_wstring(notAllowed));
    EXPECT_EQ(VT_R8, Column(item, L"LastWriteDate").Type());
}

const wchar_t kPhone[] = L"/tfs4/a/users";
const wchar_t kCard[] = L"/mvfs/mv";

}  // namespace

TEST(FileListing, DefaultModelListsBothRootsBreadthFirstWithTheirRules)
{
    FileHandset handset(kA290, L"KTM-A100");
    FakeFileAgent& agent = handset.Agent();
    agent.AddFolder(L"/tfs4/a/users/Extra");
    agent.AddFolder(L"/tfs4/a/users/Images/Donwloaded images");
    agent.AddFolder(L"/tfs4/a/users/Other files/Notes");
    agent.AddFile(L"/tfs4/a/users/Images/cat.jpg", "12345");
    agent.AddFolder(L"/mvfs/mv/Music");
    agent.AddFile(L"/mvfs/mv/song.mp3", "abc");
    agent.totals["/tfs4/a/users/"] = 1000000;
    agent.totals["/mvfs/mv/"] = 2000000;
    agent.freeBytes[kPhone] = 400000;
    agent.freeBytes[kCard] = 1500000;

    ULONG b = CKelvraFile::LastFolderId();
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(11u, items.size());

    IItem* info = items[0].Get();
    ExpectColumn(info, L"MemorySize", VT_BSTR, L"1000000");
    ExpectColumn(info, L"MemoryUse", VT_BSTR, L"600000");
    ExpectColumn(info, L"ExtMemorySize", VT_BSTR, L"2000000");
    ExpectColumn(info, L"ExtMemoryUse", VT_BSTR, L"500000");
    ExpectColumn(info, L"FileNameLength", VT_INT, L"50");  // 46 in the profile
    ExpectColumn(info, L"FolderNameLength", VT_BSTR, L"50");
    ExpectColumn(info, L"MaxFolderDepth", VT_BSTR, L"16");
    ExpectColumn(info, L"PacketSize", VT_UI4, L"512");
    ExpectColumn(info, L"CodeSchema", VT_INT, L"3");
    ExpectColumn(info, L"DeviceAttribute", VT_INT, L"10");

    const std::wstring images = L"106;101;112;120;109";
    ExpectFolder(items[1].Get(), {b + 1, 0, L"\\", L"", 0x03, 0x20});
    ExpectFolder(items[2].Get(), {b + 2, 0, L"\\", L"0", 0x23, 0});
    ExpectFolder(items[3].Get(), {b + 3, LONG(b + 1), L"Extra", L"", 0x03, 0x20});
    ExpectFolder(items[4].Get(), {b + 4, LONG(b + 1), L"Images", images, 0x03, 0x143});
    ExpectFolder(items[5].Get(), {b + 5, LONG(b + 1), L"Other files", L"0", 0x03, 0x143});
    ExpectFolder(items[6].Get(), {b + 6, LONG(b + 2), L"Music", L"", 0x23, 0x20});
    ExpectFolder(items[7].Get(), {b + 7, LONG(b + 4), L"Donwloaded images", images, 0x03, 0});
    ExpectFolder(items[8].Get(), {b + 8, LONG(b + 5), L"Notes", L"0", 0x03, 0});
    ExpectFile(items[9].Get(), b + 2, L"song.mp3", 3, 0xA1, 4);
    ExpectFile(items[10].Get(), b + 4, L"cat.jpg", 5, 0x81, 4);
    EXPECT_EQ(QELDT_FILE_INFO, [&] { QELDATATYPE t; info->getType(&t); return t; }());

    // A second listing numbers on from the first; the closed listing hands out nothing.
    ComPtr<IItem> none;
    EXPECT_EQ(S_OK, handset.Files()->NextItem(none.GetAddressOf()));
    EXPECT_EQ(nullptr, none.Get());
    auto again = ListAll(handset.Files().Get());
    ASSERT_EQ(11u, again.size());
    ExpectColumn(again[1].Get(), L"FolderID", VT_UI4, std::to_wstring(b + 9));
}

TEST(FileListing, KtmA290HasItsSystemFoldersAndBuiltInWallpapers)
{
    FileHandset handset(kA290);
    FakeFileAgent& agent = handset.Agent();
    agent.AddFolder(L"/tfs4/a/users/Images/Donwloaded images");
    agent.AddFile(L"/tfs4/a/users/Images/01 Blue sky.bmp", "b");
    agent.AddFile(L"/tfs4/a/users/Images/mine.bmp", "m");
    agent.AddFolder(L"/tfs4/a/users/Music");
    agent.AddFolder(L"/tfs4/a/users/Sounds/Music");

    ULONG b = CKelvraFile::LastFolderId();
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(10u, items.size());
    const std::wstring music = L"304;331;208;317;410;330";
    ExpectFolder(items[3].Get(), {b + 3, LONG(b + 1), L"Images", L"106;101;112;120;109", 0x03, 0x143});
    ExpectFolder(items[4].Get(), {b + 4, LONG(b + 1), L"Music", music, 0x03, 0});
    ExpectFolder(items[5].Get(), {b + 5, LONG(b + 1), L"Sounds", L"306;311", 0x03, 0x143});
    ExpectFolder(items[6].Get(), {b + 6, LONG(b + 3), L"Donwloaded images", L"106;101;112;120;109", 0x03, 0x143});
    ExpectFolder(items[7].Get(), {b + 7, LONG(b + 5), L"Music", music, 0x03, 0x143});
    ExpectFile(items[8].Get(), b + 3, L"01 Blue sky.bmp", 1, 0x81, 259);
    ExpectFile(items[9].Get(), b + 3, L"mine.bmp", 1, 0x81, 4);
}

TEST(FileListing, KtmA230HasItsOwnSystemFoldersAndRoots)
{
    FileHandset handset(kA230);
    FakeFileAgent& agent = handset.Agent();
    agent.AddFolder(L"efs2/users/Music");
    agent.AddFolder(L"efs2/users/Other files/Data files");
    agent.AddFolder(L"efs2/users/Sounds/FM radio clips");
    agent.AddFolder(L"tfs4/e/Photos");

    ULONG b = CKelvraFile::LastFolderId();
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(9u, items.size());
    ExpectFolder(items[2].Get(), {b + 2, 0, L"\\", L"0", 0x23, 0});
    ExpectFolder(items[3].Get(), {b + 3, LONG(b + 1), L"Music", L"304;331;208;317;410;330", 0x03, 0x143});
    ExpectFolder(items[4].Get(), {b + 4, LONG(b + 1), L"Other files", L"0", 0x03, 0x143});
    ExpectFolder(items[5].Get(), {b + 5, LONG(b + 1), L"Sounds", L"306;311", 0x03, 0x143});
    ExpectFolder(items[6].Get(), {b + 6, LONG(b + 2), L"Photos", L"", 0x23, 0x20});
    ExpectFolder(items[7].Get(), {b + 7, LONG(b + 4), L"Data files", L"0", 0x03, 0x143});
    ExpectFolder(items[8].Get(), {b + 8, LONG(b + 5), L"FM radio clips", L"306;311", 0x03, 0x143});
    // A230 asks both totals of the handset; the rest of the records are the default's.
    EXPECT_EQ(2 * 261u, agent.written.size());
}

TEST(FileListing, OneFolderOfTheCardByItsBackslashPath)
{
    FileHandset handset(kA290, L"KTM-A100");
    handset.Agent().AddFolder(L"/mvfs/mv/Music/Live");
    handset.Agent().AddFile(L"/mvfs/mv/Music/a.mp3", "aa");
    ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
    SetColumn(folder.Get(), L"Reserved1", L"\\Music");
    SetColumn(folder.Get(), L"FolderID", Variant::FromInt(77).Get());

    ULONG before = folder->AddRef();
    folder->Release();
    ComPtr<IDataTable> table = handset.Files();
    ASSERT_EQ(S_OK, table->ListChildItemsBegin(folder.Get()));
    // The caller's reference is the caller's.
    EXPECT_EQ(before, folder->AddRef());
    folder->Release();

    std::vector<ComPtr<IItem>> items;
    for (ComPtr<IItem> item; SUCCEEDED(table->NextItem(item.ReleaseAndGetAddressOf())) && item;)
        items.push_back(item);
    ASSERT_EQ(3u, items.size());
    ExpectFolder(items[1].Get(), {CKelvraFile::LastFolderId(), 77, L"Live", L"", 0x23, 0x20});
    ExpectFile(items[2].Get(), 77, L"a.mp3", 2, 0xA1, 4);
    EXPECT_TRUE(handset.Called(L"ListFolder /mvfs/mv/Music"));
}

TEST(FileListing, NamesThatCouldLeaveTheirFolderArePassedOver)
{
    FileHandset handset(kA290);
    handset.Agent().extraEntries[kPhone] = {
        {L"..", false}, {L"a/b", true}, {L"C:x", true}, {L"..\\evil", true}, {L"", true}, {L"ok..txt", true}};
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(4u, items.size());  // information, both roots, one file
    EXPECT_EQ(L"ok..txt", ColumnText(items[3].Get(), L"Name"));
}

TEST(FileListing, AFolderListedInsideItselfEndsAtTheFolderDepthOrTheFolderBound)
{
    FileHandset handset(kA290);
    handset.Agent().loopNames = {L"Loop"};
    auto items = ListAll(handset.Files().Get());
    EXPECT_EQ(1u + 2 + 2 * 16, items.size());  // each root holds Loop in Loop ... 16 deep

    handset.Agent().loopNames = {L"Left", L"Right"};
    EXPECT_EQ(E_FAIL, handset.Files()->ListItemsAllBegin());
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"10000"));
}

TEST(FileCodec, RewritesWholeTypeCodesAndResolvesTheCardByBackslash)
{
    FileHandset handset(kA290);
    CKelvraFile codec = static_cast<CDataTableKelvraFile*>(handset.Files().Get())->MakeCodec();
    EXPECT_EQ(L"120;340;312;313;314;331;330;410;1100;106",
              CKelvraFile::RewriteTypeCodes(L"110;200;300;301;302;305;308;401;1100;106"));
    EXPECT_EQ(L"0", codec.GetLimitFileType(L"\\"));
    EXPECT_EQ(L"/mvfs/mv/Music/a.mp3", codec.EntryPath(L"\\Music", L"a.mp3"));
    EXPECT_EQ(L"/tfs4/a/users/a.mp3", codec.EntryPath(L"/", L"a.mp3"));
    EXPECT_EQ(L"/tfs4/a/users/Images/a.jpg", codec.EntryPath(L"/Images/", L"a.jpg"));
}

TEST(FileCodec, AsksARootsTotalWithItsPathInTheAnsiCodePage)
{
    FileHandset handset(kA290);
    handset.device->Model().SetText(L"PhoneRootPath_Path", L"/tfs4/\u00e9t\u00e9");
    handset.Agent().totals["/tfs4/\xE9t\xE9/"] = 0x01020304;
    CKelvraFile codec = static_cast<CDataTableKelvraFile*>(handset.Files().Get())->MakeCodec();
    EXPECT_EQ(0x01020304u, codec.GetTotalSize(false));
    std::string expected = Bytes("90 41 FF 00 00 00") + "/tfs4/\xE9t\xE9/";
    expected.resize(261, '\0');
    EXPECT_EQ(expected, handset.Agent().written);
}

TEST(FileCodec, FreeSpaceOfOldLinksAndItsFailure)
{
    FileHandset handset(kA290);
    handset.Agent().linkVersion = 4;
    handset.Agent().freeBytes[kPhone] = 3e9;  // above 2^31: unsigned
    CKelvraFile codec = static_cast<CDataTableKelvraFile*>(handset.Files().Get())->MakeCodec();
    EXPECT_EQ(3e9, codec.GetFreeSize(kPhone));
    EXPECT_TRUE(handset.Called(L"GetFreeBytes /tfs4/a/users"));

    handset.Agent().freeBytes[kPhone] = 0;
    handset.Agent().agentError = 7;
    ComPtr<IItem> info = handset.NewItem(QELDT_FILE_INFO);
    EXPECT_EQ(static_cast<HRESULT>(0x80040000u + 30007), handset.Files()->ReadItem(info.Get()));
}
