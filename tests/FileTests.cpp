// Listings of the simulated handset checked against records written out by hand from
// the file system's rules, the codec's size and free-space requests, and listings of a
// handset that names entries it should not.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "DataTableKelvraFile.h"
#include "FileTestSupport.h"
#include "KelvraFile.h"
#include "ScriptedAgent.h"

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
}

// The item of that name and "NotAllowedOperation" and "LimitFileType".
std::wstring RulesOf(const std::vector<ComPtr<IItem>>& items, const wchar_t* name, LONG parent = -1)
{
    for (const auto& item : items) {
        if (ColumnText(item.Get(), L"Name") == name &&
            (parent < 0 || ColumnText(item.Get(), L"ParentID") == std::to_wstring(parent)))
            return ColumnText(item.Get(), L"NotAllowedOperation") + L" " + ColumnText(item.Get(), L"LimitFileType");
    }
    return L"missing";
}

CKelvraFile CodecOf(SimFiles& handset)
{
    return static_cast<CDataTableKelvraFile*>(handset.Files().Get())->MakeCodec();
}

// A folder listing that counts as many entries as it is told, each a file or, the first
// of them, a folder, and counts the entries it is asked for.
class CountedEntries : public ComObject<CountedEntries, NoDispatchImpl<ITAMFileList>> {
public:
    CountedEntries(long count, bool firstIsFolder, long& fetched)
        : m_count(count), m_firstIsFolder(firstIsFolder), m_fetched(fetched)
    {
    }
    STDMETHODIMP get_Count(long* count) override
    {
        *count = m_count;
        return S_OK;
    }
    STDMETHODIMP Item(long index, ITAMFileEntry** entry) override
    {
        ++m_fetched;
        bool folder = index == 0 && m_firstIsFolder;
        *entry = ListedEntries::Entry::Make(ListedEntry{L"e" + std::to_wstring(index), !folder, 1}).Detach();
        return S_OK;
    }

private:
    long m_count;
    bool m_firstIsFolder;
    long& m_fetched;
};

// An agent whose every folder counts the same entries, and whose free space is told.
class CountingAgent : public ScriptedAgent {
public:
    static ComPtr<CountingAgent> Make()
    {
        ComPtr<CountingAgent> agent;
        *agent.GetAddressOf() = new CountingAgent();
        return agent;
    }
    STDMETHODIMP ListFolder(BSTR, long, long, ITAMFileList** list) override
    {
        ++listings;
        *list = CountedEntries::Make(count, firstIsFolder, fetched).Detach();
        return S_OK;
    }
    STDMETHODIMP GetLinkInfo(TAMLINKINFO* info) override
    {
        info->packetSize = 4096;
        info->version = 5;
        return S_OK;
    }
    STDMETHODIMP GetFreeBytesEx(BSTR, double* bytes) override
    {
        *bytes = freeBytes;
        return S_OK;
    }

    long count = 0;
    bool firstIsFolder = false;
    long fetched = 0;
    long listings = 0;
    double freeBytes = 0;
};

FileSystemSettings PhoneOnly()
{
    FileSystemSettings settings;
    settings.phoneRoot = L"/p";
    settings.maxFolderDepth = 16;
    return settings;
}

// The HRESULT and description of what a call threw; S_OK when it threw nothing.
std::pair<HRESULT, std::wstring> FailureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (...) {
        HRESULT hr = S_OK;
        std::wstring text = CurrentExceptionText(&hr);
        return {hr, text};
    }
    return {S_OK, L""};
}

}  // namespace

TEST(FileListing, DefaultModelListsBothRootsBreadthFirstWithTheirRules)
{
    SimFiles handset(kA290, false, L"KTM-A100");
    handset.Folder(L"/tfs4/a/users/Extra");
    handset.Folder(L"/tfs4/a/users/Images/Donwloaded images");
    handset.Folder(L"/tfs4/a/users/Other files/Notes");
    handset.File(L"/tfs4/a/users/Images/cat.jpg", "12345");
    handset.Folder(L"/mvfs/mv/Music");
    handset.File(L"/mvfs/mv/song.mp3", "abc");
    handset.connection->SetMemory(Bstr(L"/tfs4/a/users").Get(), 1000000);
    handset.connection->SetMemory(Bstr(L"/mvfs/mv").Get(), 2000000);

    ULONG b = CKelvraFile::LastFolderId();
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(11u, items.size());
    IItem* info = items[0].Get();
    ExpectColumn(info, L"MemorySize", VT_BSTR, L"1000000");
    ExpectColumn(info, L"MemoryUse", VT_BSTR, L"5");
    ExpectColumn(info, L"ExtMemorySize", VT_BSTR, L"2000000");
    ExpectColumn(info, L"ExtMemoryUse", VT_BSTR, L"3");
    ExpectColumn(info, L"FileNameLength", VT_INT, L"50");  // 46 in the profile
    ExpectColumn(info, L"FolderNameLength", VT_BSTR, L"50");
    ExpectColumn(info, L"MaxFolderDepth", VT_BSTR, L"16");
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

    // The closed listing hands out nothing; the next one numbers on.
    ComPtr<IItem> none;
    EXPECT_EQ(S_OK, handset.Files()->NextItem(none.GetAddressOf()));
    EXPECT_EQ(nullptr, none.Get());
    auto again = ListAll(handset.Files().Get());
    ASSERT_EQ(11u, again.size());
    ExpectColumn(again[1].Get(), L"FolderID", VT_UI4, std::to_wstring(b + 9));
}

TEST(FileListing, EachModelFamilyHasItsSystemFolders)
{
    SimFiles a290(kA290);
    a290.File(L"/tfs4/a/users/Images/01 Blue sky.bmp", "b");
    a290.File(L"/tfs4/a/users/Images/mine.bmp", "m");
    auto items = ListAll(a290.Files().Get());
    EXPECT_EQ(L"323 106;101;112;120;109", RulesOf(items, L"Donwloaded images"));
    EXPECT_EQ(L"323 106;101;112;120;109", RulesOf(items, L"My photos"));
    EXPECT_EQ(L"323 304;331;208;317;410;330", RulesOf(items, L"Music"));
    EXPECT_EQ(L"323 306;311", RulesOf(items, L"FM radio clips"));
    EXPECT_EQ(L"259 ", RulesOf(items, L"01 Blue sky.bmp"));
    EXPECT_EQ(L"4 ", RulesOf(items, L"mine.bmp"));

    SimFiles a230(kA230);
    a230.Folder(L"tfs4/e/Photos");
    items = ListAll(a230.Files().Get());
    EXPECT_EQ(L"323 0", RulesOf(items, L"Data files"));
    EXPECT_EQ(L"323 306;311", RulesOf(items, L"FM radio clips"));
    EXPECT_EQ(L"323 304;331;208;317;410;330", RulesOf(items, L"Music"));
    EXPECT_EQ(L"32 ", RulesOf(items, L"Photos"));

    SimFiles a110(218, false);  // its profile names no memory: the memory figures alone
    EXPECT_EQ(1u, ListAll(a110.Files().Get()).size());
}

TEST(FileListing, ThePhoneTotalOfTheFixedSizeModelsIsTheProfilesOrNone)
{
    SimFiles a280(202);  // its profile states 118,628,352 bytes; the handset is not asked
    auto items = ListAll(a280.Files().Get());
    ASSERT_FALSE(items.empty());
    ExpectColumn(items[0].Get(), L"MemorySize", VT_BSTR, L"118628352");
    // A stated size of "-1" (none) is no size, not the largest number there is.
    SimFiles a150(202, true, L"KTM-A150");
    a150.device->Model().SetText(L"File_TotalMemSize", L"-1");
    items = ListAll(a150.Files().Get());
    ASSERT_FALSE(items.empty());
    ExpectColumn(items[0].Get(), L"MemorySize", VT_BSTR, L"0");
    ExpectColumn(items[0].Get(), L"MemoryUse", VT_BSTR, L"0");
}

TEST(FileListing, OneFolderOfTheCardByItsBackslashPathLeavesTheCallersItem)
{
    SimFiles handset(kA290, false, L"KTM-A100");
    handset.Folder(L"/mvfs/mv/Music/Live");
    handset.File(L"/mvfs/mv/Music/a.mp3", "aa");
    ComPtr<IItem> folder = handset.Entry(QELDT_FOLDER, L"\\Music", L"", L"FolderID", L"77");

    ULONG before = folder->AddRef();
    folder->Release();
    ComPtr<IDataTable> table = handset.Files();
    ASSERT_EQ(S_OK, table->ListChildItemsBegin(folder.Get()));
    EXPECT_EQ(before, folder->AddRef());
    folder->Release();

    std::vector<ComPtr<IItem>> items;
    for (ComPtr<IItem> item; SUCCEEDED(table->NextItem(item.ReleaseAndGetAddressOf())) && item;)
        items.push_back(item);
    ASSERT_EQ(3u, items.size());
    ExpectFolder(items[1].Get(), {CKelvraFile::LastFolderId(), 77, L"Live", L"", 0x23, 0x20});
    ExpectFile(items[2].Get(), 77, L"a.mp3", 2, 0xA1, 4);
}

TEST(FileListing, NamesThatCouldLeaveTheirFolderArePassedOverAndSelfListingEnds)
{
    auto agent = ScriptedAgent::Make();
    FileSystemSettings settings;
    settings.phoneRoot = L"/p";
    settings.maxFolderDepth = 16;
    CKelvraFile codec(agent.Get(), settings);
    // Every folder the agent lists holds these.
    agent->listing = {{L"..", false}, {L"a/b", true}, {L"C:x", true}, {L"..\\up", true}, {L"", true},
                      {L"ok..txt", true}};
    CKelvraFile::Listing tree = codec.ListFolderTree();
    EXPECT_EQ(1u, tree.folders.size());
    ASSERT_EQ(1u, tree.files.size());
    EXPECT_EQ(L"ok..txt", tree.files[0].Text(L"Name"));

    // The folder depth bounds the folders; the deepest level's files are listed too.
    agent->listing = {{L"Loop", false}, {L"f", true}};
    tree = codec.ListFolderTree();
    EXPECT_EQ(1u + 16, tree.folders.size());
    EXPECT_EQ(1u + 16, tree.files.size());

    agent->listing = {{L"Left", false}, {L"Right", false}};
    HRESULT hr = S_OK;
    try {
        codec.ListFolderTree();
    } catch (...) {
        EXPECT_NE(std::wstring::npos, CurrentExceptionText(&hr).find(L"10000"));
    }
    EXPECT_EQ(E_FAIL, hr);
}

TEST(FileListing, TheDeepestFoldersFilesAreListedButNotTheirSubfolders)
{
    SimFiles handset(kA290, false, L"KTM-A100");
    handset.device->Model().SetText(L"File_MaxFolderDepth", L"2");
    handset.device->Model().SetText(L"ExternalRootPath_Path", L"-1");
    handset.File(L"/tfs4/a/users/A/a.txt", "a");
    handset.File(L"/tfs4/a/users/A/B/b.txt", "bb");
    handset.File(L"/tfs4/a/users/A/B/C/c.txt", "ccc");
    ULONG b = CKelvraFile::LastFolderId();
    auto items = ListAll(handset.Files().Get());
    ASSERT_EQ(6u, items.size());
    ExpectFolder(items[1].Get(), {b + 1, 0, L"\\", L"", 0x03, 0x20});
    ExpectFolder(items[2].Get(), {b + 2, LONG(b + 1), L"A", L"", 0x03, 0x20});
    ExpectFolder(items[3].Get(), {b + 3, LONG(b + 2), L"B", L"", 0x03, 0x20});
    ExpectFile(items[4].Get(), b + 2, L"a.txt", 1, 0x81, 4);
    ExpectFile(items[5].Get(), b + 3, L"b.txt", 2, 0x81, 4);
}

TEST(FileListing, AHandsetCountingMoreThanAFolderHoldsIsRefusedBeforeAnEntryIsFetched)
{
    auto agent = CountingAgent::Make();
    CKelvraFile codec(agent.Get(), PhoneOnly());
    agent->count = 10000;  // the most a folder holds
    EXPECT_EQ(10000u, codec.ListFolderTree().files.size());
    for (long count : {10001L, 1000000L, -1L}) {
        agent->count = count;
        agent->fetched = 0;
        auto [hr, text] = FailureOf([&] { codec.ListFolderTree(); });
        EXPECT_EQ(E_FAIL, hr) << count;
        EXPECT_NE(std::wstring::npos, text.find(std::to_wstring(count) + L" entries in /p")) << NarrowUtf8(text);
        EXPECT_EQ(0, agent->fetched) << count;
    }
}

TEST(FileListing, AListingStopsBeforeItsRecordsPassTheBoundInAll)
{
    auto agent = CountingAgent::Make();
    CKelvraFile codec(agent.Get(), PhoneOnly());
    // Each folder holds a folder and 4,999 files: with the root's record, the fourth
    // level's would make 20,001 records.
    agent->count = 5000;
    agent->firstIsFolder = true;
    auto [hr, text] = FailureOf([&] { codec.ListFolderTree(); });
    EXPECT_EQ(E_FAIL, hr);
    EXPECT_NE(std::wstring::npos, text.find(L"more than 20000 entries in all")) << NarrowUtf8(text);
    EXPECT_EQ(4, agent->listings);
    EXPECT_EQ(3 * 5000, agent->fetched);

    agent->count = 4999;  // 1 + 4 × 4,999 records: the fifth level's would pass the bound
    agent->fetched = 0;
    agent->listings = 0;
    EXPECT_EQ(E_FAIL, FailureOf([&] { codec.ListFolderTree(); }).first);
    EXPECT_EQ(4 * 4999, agent->fetched);
}

TEST(FileListing, AListingThatFailsLeavesNoneOpen)
{
    SimFiles handset(kA290);
    ComPtr<IDataTable> table = handset.Files();
    const HRESULT kLinkLost = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
    ComPtr<IItem> folder = handset.Entry(QELDT_FOLDER, L"/Images", L"", L"FolderID", L"5");
    for (bool whole : {true, false}) {
        ASSERT_EQ(S_OK, table->ListItemsAllBegin());
        ComPtr<IItem> item;
        ASSERT_EQ(S_OK, table->NextItem(item.GetAddressOf()));
        ASSERT_NE(nullptr, item.Get());
        ASSERT_EQ(S_OK, handset.connection->FailMethod(Bstr(L"ListFolder").Get(), kLinkLost));
        EXPECT_EQ(kLinkLost, whole ? table->ListItemsAllBegin() : table->ListChildItemsBegin(folder.Get()));
        EXPECT_NE(L"", ErrorText());
        EXPECT_EQ(S_OK, table->NextItem(item.ReleaseAndGetAddressOf()));
        EXPECT_EQ(nullptr, item.Get());
        ASSERT_EQ(S_OK, handset.connection->FailMethod(Bstr(L"ListFolder").Get(), S_OK));
    }
}

TEST(FileCodec, RewritesWholeTypeCodesAndResolvesTheCardByBackslash)
{
    SimFiles handset(kA290, false);
    CKelvraFile codec = CodecOf(handset);
    EXPECT_EQ(L"120;340;312;313;314;331;330;410;1100;106",
              CKelvraFile::RewriteTypeCodes(L"110;200;300;301;302;305;308;401;1100;106"));
    EXPECT_EQ(L"0", codec.GetLimitFileType(L"\\"));
    EXPECT_EQ(L"/mvfs/mv/Music/a.mp3", codec.EntryPath(L"\\Music", L"a.mp3"));
    EXPECT_EQ(L"/tfs4/a/users/a.mp3", codec.EntryPath(L"/", L"a.mp3"));
    EXPECT_EQ(L"/tfs4/a/users/Images/a.jpg", codec.EntryPath(L"/Images/", L"a.jpg"));
    handset.device->Model().SetText(L"ExternalRootPath_Path", L"-1");  // no card
    EXPECT_THROW(CodecOf(handset).EntryPath(L"\\Music", L"a.mp3"), _com_error);
}

TEST(FileCodec, AsksARootsTotalWithItsPathInTheAnsiCodePage)
{
    SimFiles handset(kA290, false);
    handset.device->Model().SetText(L"PhoneRootPath_Path", L"/tfs4/\u00e9t\u00e9");
    handset.connection->SetMemory(Bstr(L"/tfs4/\u00e9t\u00e9").Get(), 0x01020304);
    EXPECT_EQ(0x01020304u, CodecOf(handset).GetTotalSize(false));
    std::string expected = Bytes("90 41 FF 00 00 00") + "/tfs4/\xE9t\xE9/";
    expected.resize(261, '\0');
    Bstr sent;
    handset.connection->get_LastRequest(sent.Out());
    std::wstring hex = sent.Str();
    EXPECT_EQ(expected, Bytes(std::string(hex.begin(), hex.end()).c_str()));
}

TEST(FileCodec, FreeSpaceByTheLinksVersionAndItsFailure)
{
    SimFiles handset(kA290, false);
    handset.connection->SetMemory(Bstr(L"/tfs4/a/users").Get(), 5e9);
    EXPECT_EQ(5e9, CodecOf(handset).GetFreeSize(L"/tfs4/a/users"));
    handset.connection->put_LinkVersion(4);  // the 32-bit answer
    EXPECT_EQ(4294967295.0, CodecOf(handset).GetFreeSize(L"/tfs4/a/users"));

    handset.connection->put_FreeSpaceError(7);
    EXPECT_EQ(static_cast<HRESULT>(0x80047537), handset.Files()->ReadItem(handset.NewItem(QELDT_FILE_INFO).Get()));
    // 30000 + 35534 is the last code but one an HRESULT keeps; a code past the last one,
    // or none at all, shows as the last, and the text names the agent's own.
    handset.connection->put_FreeSpaceError(35534);
    EXPECT_EQ(static_cast<HRESULT>(0x8004FFFE), handset.Files()->ReadItem(handset.NewItem(QELDT_FILE_INFO).Get()));
    for (long code : {35535L, 35536L, LONG_MAX, -1L, LONG_MIN}) {
        handset.connection->put_FreeSpaceError(code);
        EXPECT_EQ(static_cast<HRESULT>(0x8004FFFF),
                  handset.Files()->ReadItem(handset.NewItem(QELDT_FILE_INFO).Get()))
            << code;
        EXPECT_NE(std::wstring::npos, ErrorText().find(L"agent error " + std::to_wstring(code))) << code;
    }
}

TEST(FileCodec, MemoryFiguresStayWithinTheirRangeWhateverTheAgentAnswers)
{
    auto agent = CountingAgent::Make();
    FileSystemSettings settings = PhoneOnly();
    settings.fileNameLength = LONG_MAX;
    CKelvraFile codec(agent.Get(), settings);
    CKelvraFile::RefreshTotals(codec, true, 1000);
    const std::pair<double, const wchar_t*> answers[] = {
        {250, L"750"}, {-5, L"1000"}, {1000, L"0"}, {1e30, L"0"},
        {std::numeric_limits<double>::infinity(), L"0"}, {std::nan(""), L"0"}};
    for (auto [free, used] : answers) {
        agent->freeBytes = free;
        ColumnMap info = codec.GetMemoryInfo();
        EXPECT_EQ(used, info.Text(L"MemoryUse")) << free;
        EXPECT_EQ(LONG_MAX, info.Number(L"FileNameLength"));
    }
}
