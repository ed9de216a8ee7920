// The simulated handset's folder: the state file and journal it reads (built here by
// hand), what it refuses as damaged, how much it writes, the lock, a failure to save as
// the component sees it, and what a kill after one leaves. tests/cli/handset_state_tests.sh
// drives the same folder through kelvra-sync.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "PhonebookTestSupport.h"
#include "StateError.h"
#include "StateFile.h"

using namespace kelvra;
using kelvra::testing::MakeTempFolder;
using kelvra::testing::ThreadErrorDescription;

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

void WriteText(const std::wstring& path, const std::string& text)
{
    std::ofstream(Narrow(path), std::ios::binary) << text;
}

std::string ReadText(const std::wstring& path)
{
    std::ifstream in(Narrow(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A simulator connection on its own, its handset kept in a folder.
struct Sim {
    ComPtr<sim::SimConnection> connection = sim::SimConnection::Make();
    sim::SimHandset& Handset() { return connection->State().handset; }
    HRESULT Open(const std::wstring& folder) { return connection->KeepStateIn(Bstr(folder).Get()); }
};

// A state file of generation 3 for model 211: a lock, records 1/1 and 1/2.
const char kState[] =
    "kelvra-handset-state 2\n"
    "generation 3\n"
    "model 211\n"
    "lock 01000000000000 31323334\n"
    "record 1 1 AABB\n"
    "record 1 2 -\n"
    "end 5\n";

HRESULT CreateContact(IDataTable* phonebook, int number, SUID& suid)
{
    ComPtr<IItem> item;
    HRESULT hr = phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
    if (FAILED(hr) || !item)
        return FAILED(hr) ? hr : E_POINTER;
    item->SetValue(2, Variant::FromText(L"Contact " + std::to_wstring(number)).Get());         // FIRST_NAME
    item->SetValue(6, Variant::FromText(L"010-" + std::to_wstring(1000 + number)).Get());   // TEL_NUM_0
    return phonebook->CreateItem(item.Get(), &suid);
}

// Bytes written to the folder by a session that creates count contacts on a KTM-A290,
// the session's end included.
double StateBytesForContacts(int count)
{
    kelvra::testing::Handset handset(211);
    EXPECT_EQ(S_OK, handset.connection->KeepStateIn(Bstr(MakeTempFolder(L"linear")).Get()));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    for (int i = 0; i < count; ++i) {
        SUID suid = 0;
        EXPECT_EQ(S_OK, CreateContact(phonebook.Get(), i, suid));
    }
    handset.connection->ReleaseState();
    double bytes = 0;
    handset.connection->get_StateBytesWritten(&bytes);
    return bytes;
}

BOOL WINAPI FailFlush(HANDLE)
{
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
}

// A disk that takes the bytes of a change but cannot make them durable.
struct FailingFlushes {
    FailingFlushes() { sim::StateFile::flush = FailFlush; }
    ~FailingFlushes() { sim::StateFile::flush = ::FlushFileBuffers; }
};

// The records 1/1 ... 1/4 that the files of a folder give a handset opened on them
// anew, as "1 3". The files are copied first, as a kill of the process that holds the
// folder would leave them.
std::string RecordsAfterAKill(const std::wstring& folder)
{
    std::wstring copy = MakeTempFolder(L"killed");
    for (const wchar_t* name : {L"\\handset.txt", L"\\handset.journal"}) {
        if (Exists(folder + name))
            WriteText(copy + name, ReadText(folder + name));
    }
    Sim sim;
    EXPECT_EQ(S_OK, sim.Open(copy));
    std::string held;
    for (uint32_t index = 1; index <= 4; ++index) {
        if (sim.Handset().FindRecord(1, index))
            held += (held.empty() ? "" : " ") + std::to_string(index);
    }
    return held;
}

}  // namespace

TEST(HandsetState, ReadsAStateFileAndTheCompleteLinesOfItsJournal)
{
    std::wstring folder = MakeTempFolder(L"state");
    WriteText(folder + L"\\handset.txt", kState);
    // The last line was torn by a kill: it never ended, so it never happened.
    WriteText(folder + L"\\handset.journal", "journal 3\nrecord 4 7 CC\nremove 1 1\nlock 00 -\nrecord 4 8 DD");
    Sim sim;
    ASSERT_EQ(S_OK, sim.Open(folder));
    EXPECT_EQ(nullptr, sim.Handset().FindRecord(1, 1));
    ASSERT_NE(nullptr, sim.Handset().FindRecord(1, 2));
    EXPECT_EQ("", *sim.Handset().FindRecord(1, 2));
    ASSERT_NE(nullptr, sim.Handset().FindRecord(4, 7));
    EXPECT_EQ("\xCC", *sim.Handset().FindRecord(4, 7));
    EXPECT_EQ(nullptr, sim.Handset().FindRecord(4, 8));
    long model = 0;
    sim.connection->get_Model(&model);
    EXPECT_EQ(211, model);

    // A journal of an older generation was folded already and is left out.
    Sim later;
    sim.Handset().ReleaseState();
    WriteText(folder + L"\\handset.journal", "journal 2\nremove 1 2\n");
    ASSERT_EQ(S_OK, later.Open(folder));
    EXPECT_NE(nullptr, later.Handset().FindRecord(1, 2));
}

TEST(HandsetState, ReadsTheLinePerRecordFilesOfEarlierVersions)
{
    std::wstring folder = MakeTempFolder(L"earlier");
    WriteText(folder + L"\\handset.txt", "lock 00000000000000 30303030\nrecord 1 7 AABB\nrecord 2 1 -\n");
    {
        Sim sim;
        ASSERT_EQ(S_OK, sim.Open(folder));
        ASSERT_NE(nullptr, sim.Handset().FindRecord(1, 7));
        EXPECT_EQ("\xAA\xBB", *sim.Handset().FindRecord(1, 7));
        EXPECT_NE(nullptr, sim.Handset().FindRecord(2, 1));
        sim.Handset().PutRecord(1, 8, "\xCC");
    }
    // The first change writes the state file in the current form.
    EXPECT_EQ(0u, ReadText(folder + L"\\handset.txt").find("kelvra-handset-state 2\ngeneration 1\n"));
}

TEST(HandsetState, RefusesADamagedStateAndLeavesItAsItIs)
{
    const std::string state(kState);
    const std::pair<const char*, std::string> damagedStates[] = {
        {"the file is empty", ""},
        {"cut short", state.substr(0, state.size() - 1)},
        {"cut short", state.substr(0, state.size() - 6)},
        {"cut short", state.substr(0, state.find("record 1 2"))},
        {"cut short", "kelvra-handset-state 2\ngeneration 3\nrecord 1 1 AABB\nend 3\n"},
        {"line 4 is garbled", "kelvra-handset-state 2\ngeneration 3\nlock - -\nrecord 1 1 AAB\nend 3\n"},
        {"does not start as a handset state", "\n"},
    };
    for (const auto& [reason, text] : damagedStates) {
        std::wstring folder = MakeTempFolder(L"damaged");
        WriteText(folder + L"\\handset.txt", text);
        Sim sim;
        EXPECT_EQ(E_FAIL, sim.Open(folder)) << text;
        std::wstring description = ThreadErrorDescription();
        EXPECT_NE(std::wstring::npos, description.find(L"is damaged")) << text;
        EXPECT_NE(std::wstring::npos, description.find(std::wstring(reason, reason + strlen(reason)))) << text;
        EXPECT_EQ(text, ReadText(folder + L"\\handset.txt"));
    }

    // In a journal only the last, unended line may be torn; a garbled line before it is damage.
    std::wstring folder = MakeTempFolder(L"damaged-journal");
    WriteText(folder + L"\\handset.txt", kState);
    WriteText(folder + L"\\handset.journal", "journal 3\nrecord 4 7\nrecord 4 8 DD\n");
    Sim sim;
    EXPECT_EQ(E_FAIL, sim.Open(folder));
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"handset.journal is damaged (line 2 is garbled"));
}

TEST(HandsetState, FoldsALeftoverJournalBeforeItWritesBehindItsTornEnd)
{
    std::wstring folder = MakeTempFolder(L"leftover");
    WriteText(folder + L"\\handset.txt", kState);
    WriteText(folder + L"\\handset.journal", "journal 3\nrecord 4 7 CC\nrecord 4 8 D");
    {
        Sim sim;
        ASSERT_EQ(S_OK, sim.Open(folder));
        sim.Handset().PutRecord(4, 9, "\xEE");
    }
    EXPECT_FALSE(Exists(folder + L"\\handset.journal"));
    Sim reopened;
    ASSERT_EQ(S_OK, reopened.Open(folder));
    EXPECT_NE(nullptr, reopened.Handset().FindRecord(4, 7));
    EXPECT_EQ(nullptr, reopened.Handset().FindRecord(4, 8));
    ASSERT_NE(nullptr, reopened.Handset().FindRecord(4, 9));
    EXPECT_EQ("\xEE", *reopened.Handset().FindRecord(4, 9));
    EXPECT_EQ(0u, ReadText(folder + L"\\handset.txt").find("kelvra-handset-state 2\ngeneration 5\n"));
}

TEST(HandsetState, AFolderServesOneHandsetAtATime)
{
    std::wstring folder = MakeTempFolder(L"locked");
    Sim first, second;
    ASSERT_EQ(S_OK, first.Open(folder));

    auto start = std::chrono::steady_clock::now();
    try {
        second.Handset().KeepStateIn(folder, 300);
        ADD_FAILURE() << "a second handset opened a locked folder";
    } catch (const sim::StateError& e) {
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), e.Result());
        EXPECT_NE(std::wstring::npos, e.Description().find(L"is in use by another program"));
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    // One that waits long enough gets the folder when the first lets go.
    std::thread release([&] {
        Sleep(200);
        first.Handset().PutRecord(1, 1, "first");
        first.Handset().ReleaseState();
    });
    EXPECT_NO_THROW(second.Handset().KeepStateIn(folder, 5000));
    release.join();
    ASSERT_NE(nullptr, second.Handset().FindRecord(1, 1));
    EXPECT_EQ("first", *second.Handset().FindRecord(1, 1));
}

TEST(HandsetState, AChangeThatCannotBeSavedFailsTheCreate)
{
    std::wstring folder = MakeTempFolder(L"unsaved");
    kelvra::testing::Handset handset(202);
    ASSERT_EQ(S_OK, handset.connection->KeepStateIn(Bstr(folder).Get()));
    ComPtr<IDataTable> phonebook = handset.Table(DTID_PHONEBOOK);
    // The journal cannot be made where a folder stands in its way.
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\handset.journal").c_str(), nullptr));

    SUID suid = 0;
    // Wine refuses to open a folder as the journal file: access denied.
    EXPECT_EQ(E_ACCESSDENIED, CreateContact(phonebook.Get(), 1, suid));
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"Cannot save the handset"));
    EXPECT_EQ(0u, handset.Sim().RecordCount(1));

    // Once the way is clear the next create is answered and saved.
    RemoveDirectoryW((folder + L"\\handset.journal").c_str());
    EXPECT_EQ(S_OK, CreateContact(phonebook.Get(), 2, suid));
    handset.Sim().ReleaseState();
    Sim reopened;
    ASSERT_EQ(S_OK, reopened.Open(folder));
    EXPECT_EQ(1u, reopened.Handset().RecordCount(1));
}

TEST(HandsetState, AChangeWhoseSaveFailedIsNotReplayedByALaterOpening)
{
    std::wstring folder = MakeTempFolder(L"unflushed");
    Sim sim;
    ASSERT_EQ(S_OK, sim.Open(folder));
    {
        // The session's first change fails with the journal's header...
        FailingFlushes disk;
        EXPECT_THROW(sim.Handset().PutRecord(1, 1, "lost"), sim::StateError);
    }
    sim.Handset().PutRecord(1, 2, "saved");
    {
        // ... and a later one with its own line, which reached the file whole.
        FailingFlushes disk;
        EXPECT_THROW(sim.Handset().PutRecord(1, 3, "lost"), sim::StateError);
    }
    EXPECT_EQ(nullptr, sim.Handset().FindRecord(1, 3));
    EXPECT_EQ("2", RecordsAfterAKill(folder));
    sim.Handset().PutRecord(1, 4, "saved");
    EXPECT_EQ("2 4", RecordsAfterAKill(folder));
    sim.Handset().ReleaseState();
    EXPECT_EQ("2 4", RecordsAfterAKill(folder));
}

TEST(HandsetState, StateBytesWrittenGrowLinearlyWithTheContactsCreated)
{
    double small = StateBytesForContacts(500);
    double large = StateBytesForContacts(2000);
    // Four times the contacts; rewriting the whole state per contact would be sixteen.
    EXPECT_GT(large / small, 3.5);
    EXPECT_LT(large / small, 4.6);
    printf("state bytes written per contact: %.0f for 500, %.0f for 2000\n", small / 500, large / 2000);
}
