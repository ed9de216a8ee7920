// The MMS table and its requests: byte-exact against a scripted agent, end to end over
// the simulated handset.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "DataTableKelvraMMS.h"
#include "ItemKelvraMMS.h"
#include "KelvraMms.h"
#include "PhonebookTestSupport.h"
#include "ScriptedAgent.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

// A simulator connection whose agent is a scripted one.
class ScriptedConnection : public sim::SimConnection {
public:
    static ComPtr<ScriptedConnection> Make()
    {
        ComPtr<ScriptedConnection> connection;
        *connection.GetAddressOf() = new ScriptedConnection();
        return connection;
    }
    STDMETHODIMP GetService(GUID, IUnknown** service) override { return agent.CopyTo(service); }

    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
};

// An MMS table whose handset is a script.
struct ScriptedTable {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<ScriptedConnection> connection = ScriptedConnection::Make();
    ComPtr<CDataTableKelvraMMS> table = CDataTableKelvraMMS::Make();

    ScriptedTable() { table->Initialize(device.Get(), static_cast<ITAMConnection*>(connection.Get())); }
    ScriptedAgent& Agent() { return *connection->agent.Get(); }
    ComPtr<IItem> ItemWith(const wchar_t* column, const std::wstring& value)
    {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, table->NewItem(QELDT_MMS, 0, 0, item.GetAddressOf()));
        SetColumn(item.Get(), column, value.c_str());
        return item;
    }
};

struct MmsHandset : Handset {
    MmsHandset() : Handset(202) {}  // KTM-A280
    ComPtr<IDataTable> Mms() { return Table(DTID_MMS); }
    long Add(long folder, const wchar_t* subject, const std::string& content, long time = 0)
    {
        long id = 0;
        EXPECT_EQ(S_OK, connection->AddMms(folder, Bstr(subject).Get(), Bstr(L"0107").Get(), Bstr(L"0108").Get(),
                                           time, Bstr(WidenUtf8(sim::HexFromBytes(content))).Get(), &id));
        return id;
    }
};

LONG TamCodeOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const _tam_error& e) {
        EXPECT_EQ(static_cast<HRESULT>(0x80040000u | static_cast<ULONG>(e.Code())), e.Result());
        return e.Code();
    }
    return 0;
}

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::wstring WriteTempFile(const std::string& bytes)
{
    std::wstring path = MakeTempFolder(L"send") + L"\\message.mms";
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    return path;
}

std::wstring MmsFolder()
{
    return Services().appData + L"\\Orvane\\Tarn\\MMS";
}

// Every file in the saved-message folder.
std::vector<std::wstring> SavedFiles()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((MmsFolder() + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The recording services, but every new GUID the same one: a fetched message's file is
// named before it is written.
class OneGuidServices : public TestPlatform {
public:
    static constexpr GUID kGuid = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    static constexpr const wchar_t* kFileName = L"01234567-89AB-CDEF-0123-456789ABCDEF.mms";

    OneGuidServices() : m_previous(Platform::Install(this)) { appData = Services().appData; }
    ~OneGuidServices() override { Platform::Install(m_previous); }
    GUID NewGuid() override { return kGuid; }

private:
    Platform* m_previous;
};

// A header reply of message 7 in the inbox with every flag, report and text set.
const char* const kFullHeader =
    "07 00 00 00  01 00 00 00  FF FF FF FF FF FF FF FF  07 00 00 00"
    "05 00 00 00 43 61 66 C3 A9  04 00 00 00 30 31 30 31  02 00 00 00 32 33"
    "01 00 00 00 34  01 00 00 00 35"
    "80 51 01 00  E8 03 00 00  84 03 00 00  05 02 01 83  02 09 02 01  05 FF  00";

}  // namespace

TEST(MmsExchange, ReplyRulesGiveTheirCodes)
{
    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
    CKelvraMms codec(agent.Get(), ModelName(L"KTM-A100"));
    std::vector<ColumnMap> headers;

    agent->Queue(Bytes("42 51 04 00 00 00 00 00 00 00"));  // an error report with code 0
    EXPECT_EQ(40001, TamCodeOf([&] { codec.ListMmsFolder(1, headers); }));
    EXPECT_EQ(Bytes("40 51 08 00 00 00 01 00 00 00 00 00 00 00"), agent->written);
    EXPECT_EQ(static_cast<HRESULT>(0x80049C41), _tam_error(nullptr, 40001).Result());

    agent->Queue(Bytes("42 51 04 00 00 00 07 00 00 00"));
    EXPECT_EQ(40007, TamCodeOf([&] { codec.ListMmsFolder(1, headers); }));
    agent->Queue(Bytes("41 52 04 00 00 00 01 00 00 00"));  // the reply of another request
    EXPECT_EQ(1, TamCodeOf([&] { codec.ListMmsFolder(1, headers); }));
    agent->Queue(Bytes("41 51 04 00 00 00 FF FF FF FF"));  // a folder count no folder holds
    EXPECT_EQ(1, TamCodeOf([&] { codec.ListMmsFolder(1, headers); }));
    EXPECT_TRUE(headers.empty());
    agent->Queue(Bytes("77 51 00 00 00 00"));
    EXPECT_EQ(40516, TamCodeOf([&] { codec.MmsExchange(Request(0x5173)); }));

    // A reply longer than the MMS buffer is read whole and refused; the link stays in step.
    agent->Queue(Bytes("44 51 01 78 00 00") + std::string(0x7801, 'x') + Bytes("41 51 04 00 00 00 00 00 00 00"));
    EXPECT_EQ(1, TamCodeOf([&] { codec.MmsExchange(Request(0x5143).Word(0)); }));
    EXPECT_EQ(0u, codec.ListMmsFolder(2, headers));
    EXPECT_TRUE(headers.empty());
}

TEST(MmsHeader, EveryColumnOfAReplyWithEveryFlagSet)
{
    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
    ColumnMap map;
    CKelvraMms(agent.Get(), ModelName(L"KTM-A280")).DecodeHeader(Bytes(kFullHeader), map);

    ComPtr<CColumnsKelvra> columns = CItemKelvraMMS::CreateColumns();
    ASSERT_EQ(33u, columns->Count());
    for (const auto& [name, value] : map) {
        ULONG ordinal = 0;
        EXPECT_TRUE(columns->Find(name, ordinal)) << NarrowUtf8(name);
    }
    auto number = [&](const wchar_t* name, VARTYPE type, LONG expected) {
        ASSERT_TRUE(map.Has(name)) << NarrowUtf8(name);
        EXPECT_EQ(type, map[name].Type()) << NarrowUtf8(name);
        EXPECT_EQ(expected, map.Number(name)) << NarrowUtf8(name);
    };
    number(L"SUID", VT_INT, 7);
    number(L"MY_FOLDER", VT_INT, -1);
    number(L"TIME_STAMP", VT_UI4, 86400);
    number(L"TOTAL_SIZE", VT_UI4, 1000);
    number(L"BODY_SIZE", VT_UI4, 900);
    number(L"READ_STATUS", VT_INT, 1);
    number(L"READ_REPORT", VT_INT, 1);
    number(L"DELIVERY_REPORT", VT_INT, 1);
    number(L"MESSAGE_CLASS", VT_INT, 0x83);
    number(L"COMPLETED", VT_INT, 0);
    number(L"PRIORITY", VT_INT, 2);
    number(L"VISIBILITY", VT_INT, 1);
    number(L"MM_STATUS", VT_INT, 0x0102);
    number(L"DRM", VT_INT, 5);
    number(L"MSG_FLAG_NOTI", VT_INT, 1);
    number(L"MSG_FLAG_LOCK", VT_INT, 1);
    number(L"MSG_FLAG_TEMPLATE_MSG_LOCK", VT_INT, 1);
    EXPECT_EQ(L"7", map.Text(L"MESSAGE_ID"));
    EXPECT_EQ(L"Inbox", map.Text(L"FOLDER"));
    EXPECT_EQ(L"", map.Text(L"TRANSACTION_ID"));
    EXPECT_EQ(L"Caf\u00e9", map.Text(L"SUBJECT"));
    EXPECT_EQ(L"0101", map.Text(L"SENDER"));
    EXPECT_EQ(L"23", map.Text(L"RECEIVER"));
    EXPECT_EQ(L"4", map.Text(L"CC"));
    EXPECT_EQ(L"5", map.Text(L"BCC"));
    for (const wchar_t* unset : {L"DEVICE_ID", L"DEVICE_NAME", L"MODE", L"ATTRIBUTE", L"SEND_STATE",
                                 L"MSG_FLAG_ATTACHMENT", L"ATTACHMENT_FILE_PATH"})
        EXPECT_FALSE(map.Has(unset)) << NarrowUtf8(unset);
    // The KTM-A280 counts from 1970 on the PC's clock; other models run 8:02:08 behind.
    EXPECT_EQ(VT_DATE, map[L"CREATE_DATE"].Type());
    EXPECT_DOUBLE_EQ(25570.0, map[L"CREATE_DATE"].Get().date);
    CKelvraMms(agent.Get(), ModelName(L"KTM-A100")).DecodeHeader(Bytes(kFullHeader), map);
    EXPECT_DOUBLE_EQ(25570.0 + (8 * 3600 + 2 * 60 + 8) / 86400.0, map[L"CREATE_DATE"].Get().date);
}

TEST(MmsHeader, TextsRunningPastTheReplyAreRefused)
{
    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
    CKelvraMms codec(agent.Get(), ModelName(L"KTM-A280"));
    ColumnMap map;
    std::string full = Bytes(kFullHeader);
    std::string longSubject = full;
    longSubject[20] = '\xF0';  // the subject's length byte: 240 bytes announced
    std::string hugeSubject = full;
    hugeSubject.replace(20, 4, Bytes("FF FF FF FF"));
    for (const std::string& reply : {longSubject, hugeSubject, full.substr(0, full.size() - 1)})
        EXPECT_EQ(1, TamCodeOf([&] { codec.DecodeHeader(reply, map); }));
}

TEST(MmsTable, ListsEveryFolderAndAHostileHeaderSpoilsOnlyItsOwnListing)
{
    MmsHandset h;
    h.Add(1, L"First", "abc", 86400);
    h.Add(2, L"Out", "defg");
    h.Add(4, L"Gone", "h");
    ComPtr<IDataTable> table = h.Mms();
    ASSERT_TRUE(table);
    auto items = ListAll(table.Get());
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(L"First", ColumnText(items[0].Get(), L"SUBJECT"));
    EXPECT_EQ(L"0107", ColumnText(items[0].Get(), L"SENDER"));
    EXPECT_DOUBLE_EQ(25570.0, Column(items[0].Get(), L"CREATE_DATE").Get().date);
    // An outbox message is sent by the handset's own number.
    EXPECT_EQ(L"Outbox", ColumnText(items[1].Get(), L"FOLDER"));
    EXPECT_EQ(L"01012345678", ColumnText(items[1].Get(), L"SENDER"));
    EXPECT_EQ(L"Sent", ColumnText(items[2].Get(), L"FOLDER"));
    ULONG count = 0;
    EXPECT_EQ(S_OK, table->GetItemCount(nullptr, 0, QELDT_MMS, &count));
    EXPECT_EQ(3u, count);

    // A header of the last folder whose subject announces more bytes than the reply holds.
    std::string hostile = *h.Sim().FindRecord(1004, 0);
    hostile.replace(20, 4, Bytes("00 01 00 00"));
    h.Sim().PutRecord(1004, 0, hostile);
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), table->ListItemsAllBegin());
    ComPtr<IItem> none;
    EXPECT_EQ(S_OK, table->NextItem(none.GetAddressOf()));
    EXPECT_FALSE(none);  // nothing half-listed is handed out
    EXPECT_EQ(S_OK, table->GetItemCount(nullptr, 0, QELDT_MMS, &count));
    EXPECT_EQ(0u, count);
    h.Sim().RemoveRecord(1004, 0);
    EXPECT_EQ(2u, ListAll(table.Get()).size());
}

TEST(MmsTable, ContentIsFetchedInBlocksIntoItsOwnFile)
{
    MmsHandset h;
    std::string content = Pattern((1u << 20) + 20000);  // over a megabyte, in blocks of 8,000 bytes
    h.Add(1, L"Big", content);
    ComPtr<IDataTable> table = h.Mms();
    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());

    ASSERT_EQ(S_OK, table->ReadItem(items[0].Get()));
    std::wstring path = ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH");
    ASSERT_EQ(MmsFolder().size() + 1 + 36 + 4, path.size());
    EXPECT_EQ(MmsFolder() + L"\\", path.substr(0, MmsFolder().size() + 1));
    EXPECT_EQ(L".mms", path.substr(path.size() - 4));
    EXPECT_TRUE(content == FileBytes(path));
    EXPECT_EQ(1u, SavedFiles().size());

    // A message the handset does not hold: its error code comes through.
    ComPtr<IItem> unknown;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_MMS, 0, 0, unknown.GetAddressOf()));
    SetColumn(unknown.Get(), L"MESSAGE_ID", L"99");
    SetColumn(unknown.Get(), L"FOLDER", L"Inbox");
    EXPECT_EQ(static_cast<HRESULT>(0x80040000 | 40005), table->ReadItem(unknown.Get()));
    SetColumn(unknown.Get(), L"MESSAGE_ID", L"first");
    EXPECT_EQ(E_INVALIDARG, table->ReadItem(unknown.Get()));
}

TEST(MmsTable, AFileThatCannotBeWrittenIsReportedAndNamedNowhere)
{
    MmsHandset h;
    h.Add(3, L"Draft", "xyz");
    ComPtr<IDataTable> table = h.Mms();
    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());
    // A file where the folder belongs: no message file can be made there.
    std::wstring tarn = Services().appData + L"\\Orvane\\Tarn";
    CreateDirectoryW((Services().appData + L"\\Orvane").c_str(), nullptr);
    CreateDirectoryW(tarn.c_str(), nullptr);
    std::ofstream((tarn + L"\\MMS").c_str()) << "in the way";

    HRESULT hr = table->ReadItem(items[0].Get());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), hr);
    EXPECT_EQ(L"", ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH"));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    Bstr description;
    info->GetDescription(description.Out());
    EXPECT_NE(std::wstring::npos, description.Str().find(L"message file")) << NarrowUtf8(description.Str());

    DeleteFileW((tarn + L"\\MMS").c_str());
    EXPECT_EQ(S_OK, table->ReadItem(items[0].Get()));
    EXPECT_EQ("xyz", FileBytes(ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH")));
}

TEST(MmsTable, AMessageFileIsWrittenAsidePutInPlaceWholeAndOtherwiseLeavesNoTrace)
{
    MmsHandset h;
    const std::string content = Pattern(50000);
    h.Add(1, L"New", content);
    ComPtr<IDataTable> table = h.Mms();
    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());
    OneGuidServices services;
    CreateDirectoryW((Services().appData + L"\\Orvane").c_str(), nullptr);
    CreateDirectoryW((Services().appData + L"\\Orvane\\Tarn").c_str(), nullptr);
    CreateDirectoryW(MmsFolder().c_str(), nullptr);
    const std::wstring path = MmsFolder() + L"\\" + OneGuidServices::kFileName;
    std::ofstream(path.c_str(), std::ios::binary) << "an older message";

    // Held open as a viewer holds it: written through, it would change; it cannot be
    // replaced, so the new content, written aside, never takes its place.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    HRESULT hr = table->ReadItem(items[0].Get());
    std::wstring error = ThreadErrorDescription();
    CloseHandle(held);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), hr);
    EXPECT_NE(std::wstring::npos, error.find(L"cannot be put in place")) << NarrowUtf8(error);
    EXPECT_EQ("an older message", FileBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{OneGuidServices::kFileName}, SavedFiles());
    EXPECT_EQ(L"", ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH"));

    ASSERT_EQ(S_OK, table->ReadItem(items[0].Get()));
    EXPECT_EQ(path, ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH"));
    EXPECT_TRUE(content == FileBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{OneGuidServices::kFileName}, SavedFiles());
}

TEST(MmsTable, HostileContentBlocksFailAndTheNextFetchWorks)
{
    ScriptedTable t;
    ComPtr<IItem> item = t.ItemWith(L"MESSAGE_ID", L"9");
    SetColumn(item.Get(), L"FOLDER", L"Sent");
    const std::string open = Bytes("01 52 00 00 00 00"), close = Bytes("11 52 00 00 00 00");
    const std::string start = Bytes("51 51 04 00 00 00 04 00 00 00"), end = Bytes("57 51 00 00 00 00");
    const std::string hostile[] = {
        Bytes("54 51 0A 00 00 00 05 00 00 00 01 61 62 63 64 65"),        // longer than announced
        Bytes("54 51 08 00 00 00 0A 00 00 00 01 61 62 63"),              // longer than its reply
        Bytes("54 51 07 00 00 00 02 00 00 00 01 61 62"),                 // ends short of the total
        Bytes("54 51 05 00 00 00 00 00 00 00 00"),                       // empty, never ending
    };
    for (const std::string& block : hostile) {
        t.Agent().Queue(open + start + block + end + close);
        EXPECT_EQ(static_cast<HRESULT>(0x80040001), t.table->ReadItem(item.Get()));
        EXPECT_TRUE(t.Agent().pending.empty());
        EXPECT_EQ(L"", ColumnText(item.Get(), L"ATTACHMENT_FILE_PATH"));
    }
    t.Agent().Queue(open + Bytes("51 51 04 00 00 00 01 00 00 01") + end + close);  // 16 MiB + 1
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), t.table->ReadItem(item.Get()));
    EXPECT_TRUE(SavedFiles().empty());

    t.Agent().written.clear();
    t.Agent().Queue(open + start + Bytes("54 51 07 00 00 00 02 00 00 00 00 61 62") +
                    Bytes("54 51 07 00 00 00 02 00 00 00 01 63 64") + end + close);
    EXPECT_EQ(S_OK, t.table->ReadItem(item.Get()));
    EXPECT_EQ("abcd", FileBytes(ColumnText(item.Get(), L"ATTACHMENT_FILE_PATH")));
    EXPECT_EQ(Bytes("00 52 00 00 00 00  50 51 14 00 00 00 09 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 "
                    "00 00 00 00  53 51 04 00 00 00 00 00 00 00  53 51 04 00 00 00 00 00 00 00"
                    "56 51 00 00 00 00  10 52 00 00 00 00"),
              t.Agent().written);
}

TEST(MmsTable, SendsInBlocksWithTheLastFlagAndTheLongerWait)
{
    ScriptedTable t;
    std::string content = Pattern(30706);
    ComPtr<IItem> item = t.ItemWith(L"ATTACHMENT_FILE_PATH", WriteTempFile(content));
    const std::string open = Bytes("01 52 00 00 00 00"), close = Bytes("11 52 00 00 00 00");
    const std::string started = Bytes("71 51 00 00 00 00"), taken = Bytes("74 51 00 00 00 00");
    t.Agent().Queue(open + started + taken + taken + close);
    ASSERT_EQ(S_OK, t.table->Execute(nullptr, item.Get(), nullptr));

    std::string expected = Bytes("00 52 00 00 00 00"
                                 "70 51 14 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F2 77 00 00 00 00 00 00"
                                 "73 51 FA 77 00 00 F1 77 00 00 00 00 00 00 00") +
                           content.substr(0, 30705) +
                           Bytes("73 51 0A 00 00 00 01 00 00 00 00 00 00 00 01") + content.substr(30705) +
                           Bytes("10 52 00 00 00 00");
    EXPECT_TRUE(expected == t.Agent().written);
    // One read per empty reply: open, start, first block, last block, close.
    EXPECT_EQ((std::vector<long>{2000, 30000, 30000, 60000, 2000}),
              t.Agent().readTimeouts);

    t.Agent().Queue(open + started + taken + Bytes("77 51 00 00 00 00") + close);
    EXPECT_EQ(static_cast<HRESULT>(0x80049E44), t.table->Execute(nullptr, item.Get(), nullptr));
}

TEST(MmsTable, FilesThatCannotBeSentAreRefusedBeforeAnythingIsSent)
{
    ScriptedTable t;
    std::wstring folder = MakeTempFolder(L"refused");
    std::ofstream((folder + L"\\empty.mms").c_str());
    std::wstring tooLarge = WriteTempFile(std::string((1u << 20) + 1, 'm'));
    struct Case {
        std::wstring path;
        HRESULT expected;
    } cases[] = {
        {L"", E_INVALIDARG},
        {folder + L"\\missing.mms", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
        {folder + L"\\empty.mms", E_INVALIDARG},
        {tooLarge, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        ComPtr<IItem> item = t.ItemWith(L"ATTACHMENT_FILE_PATH", c.path);
        EXPECT_EQ(c.expected, t.table->Execute(nullptr, item.Get(), nullptr)) << NarrowUtf8(c.path);
    }
    EXPECT_TRUE(t.Agent().written.empty());
    EXPECT_TRUE(t.Agent().modes.empty());
}

TEST(MmsTable, ASentMessageArrivesInTheSentFolderWhole)
{
    MmsHandset h;
    std::string content = Pattern(70000);
    ComPtr<IDataTable> table = h.Mms();
    ComPtr<IItem> item;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_MMS, 0, 0, item.GetAddressOf()));
    SetColumn(item.Get(), L"ATTACHMENT_FILE_PATH", WriteTempFile(content).c_str());
    ASSERT_EQ(S_OK, table->Execute(nullptr, item.Get(), nullptr));

    auto items = ListAll(table.Get());
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(L"Sent", ColumnText(items[0].Get(), L"FOLDER"));
    EXPECT_EQ(L"70000", ColumnText(items[0].Get(), L"TOTAL_SIZE"));
    ASSERT_EQ(S_OK, table->ReadItem(items[0].Get()));
    EXPECT_TRUE(content == FileBytes(ColumnText(items[0].Get(), L"ATTACHMENT_FILE_PATH")));
}

TEST(MmsTable, UpdateRefreshesTheHeldHeaderOfItsSuidOnly)
{
    MmsHandset h;
    long first = h.Add(1, L"One", "1");
    h.Add(1, L"Two", "2");
    ComPtr<IDataTable> table = h.Mms();
    auto items = ListAll(table.Get());
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(first, SuidOf(items[0].Get()));
    long requests = h.Sim().RequestCount();

    SetColumn(items[0].Get(), L"SUBJECT", L"Renamed");
    EXPECT_EQ(S_OK, table->UpdateItem(items[0].Get()));
    ComPtr<IItem> stranger;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_MMS, 999, 0, stranger.GetAddressOf()));
    SetColumn(stranger.Get(), L"SUBJECT", L"Nobody");
    EXPECT_EQ(E_INVALIDARG, table->UpdateItem(stranger.Get()));
    // A fresh item for the second message that sets one column changes only that one.
    ComPtr<IItem> flag;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_MMS, SuidOf(items[1].Get()), 0, flag.GetAddressOf()));
    SetColumn(flag.Get(), L"READ_STATUS", L"1");
    EXPECT_EQ(S_OK, table->UpdateItem(flag.Get()));
    EXPECT_EQ(requests, h.Sim().RequestCount());  // nothing is sent

    // The held headers, handed out again without a new listing.
    std::vector<std::wstring> held;
    for (ComPtr<IItem> item; table->NextItem(item.ReleaseAndGetAddressOf()) == S_OK && item;)
        held.push_back(ColumnText(item.Get(), L"SUBJECT") + L"/" + ColumnText(item.Get(), L"READ_STATUS") + L"/" +
                       ColumnText(item.Get(), L"FOLDER"));
    EXPECT_EQ((std::vector<std::wstring>{L"Renamed/0/Inbox", L"Two/1/Inbox"}), held);
}
