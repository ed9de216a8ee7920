// The simulated handset's file system, used through the agent's interfaces as the
// component uses them: listings, confinement of paths, copies with their events.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ByteCursor.h"
#include "ComObject.h"
#include "ComTypes.h"
#include "SimConnection.h"
#include "TestEnvironment.h"

using namespace kelvra;
using kelvra::testing::ThreadErrorDescription;

namespace {

// An ITAMAgentEvents sink that records what it hears and may act on each progress event.
class RecordingSink : public ComObject<RecordingSink, NoDispatchImpl<ITAMAgentEvents>> {
public:
    STDMETHODIMP OnTransferProgress(long done, long total, long* continueFlag) override
    {
        progress.emplace_back(done, total);
        if (onProgress)
            onProgress(*continueFlag);
        return S_OK;
    }
    STDMETHODIMP OnTransferComplete(long result) override
    {
        completions.push_back(result);
        return S_OK;
    }

    std::vector<std::pair<long, long>> progress;
    std::vector<long> completions;
    std::function<void(long& continueFlag)> onProgress;
};

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(std::string(path.begin(), path.end()), std::ios::binary) << bytes;
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A simulator connection whose handset keeps its files in a fresh folder, seen through
// the interfaces a component holds, with a sink advised as AtlAdvise does.
struct FileHandset {
    ComPtr<sim::SimConnection> simulator = sim::SimConnection::Make();
    ComPtr<ITAMAgent> agent;
    ComPtr<RecordingSink> sink = RecordingSink::Make();
    std::wstring root = kelvra::testing::MakeTempFolder(L"handset-files");
    std::wstring pc = kelvra::testing::MakeTempFolder(L"pc-files");
    DWORD cookie = 0;

    FileHandset()
    {
        simulator->put_FileRoot(Bstr(root).Get());
        ComPtr<ITAMConnection> connection;
        EXPECT_EQ(S_OK, simulator.As(&connection));
        ComPtr<IUnknown> service;
        EXPECT_EQ(S_OK, connection->GetService(SID_TAMAgent, &service));
        EXPECT_EQ(S_OK, service.As(&agent));
        ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(S_OK, connection.As(&container));
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(S_OK, container->FindConnectionPoint(IID_ITAMAgentEvents, &point));
        EXPECT_EQ(S_OK, point->Advise(static_cast<ITAMAgentEvents*>(sink.Get()), &cookie));
    }

    std::wstring Local(const std::wstring& relative) const { return root + L"\\" + relative; }
    void MakeFolder(const std::wstring& relative) const { CreateDirectoryW(Local(relative).c_str(), nullptr); }

    HRESULT Get(const wchar_t* handsetPath, const std::wstring& pcPath)
    {
        return agent->GetFile(Bstr(handsetPath).Get(), Bstr(pcPath).Get());
    }
    HRESULT Put(const wchar_t* handsetPath, const std::wstring& pcPath)
    {
        return agent->PutFile(Bstr(handsetPath).Get(), Bstr(pcPath).Get());
    }

    std::vector<std::wstring> Listing(const wchar_t* path)
    {
        ComPtr<ITAMFileList> list;
        std::vector<std::wstring> names;
        EXPECT_EQ(S_OK, agent->ListFolder(Bstr(path).Get(), 0, 0, &list));
        long count = 0;
        if (list)
            list->get_Count(&count);
        for (long i = 0; i < count; ++i) {
            ComPtr<ITAMFileEntry> entry;
            Bstr name;
            VARIANT_BOOL isFile = VARIANT_FALSE;
            long size = -1;
            EXPECT_EQ(S_OK, list->Item(i, &entry));
            entry->get_Name(name.Out());
            entry->get_IsFile(&isFile);
            entry->get_Size(&size);
            names.push_back(name.Str() + (isFile ? L" " + std::to_wstring(size) : L"/"));
        }
        return names;
    }
};

}  // namespace

TEST(SimFileSystem, ListsAFolderByNameWithItsFilesAndFolders)
{
    FileHandset handset;
    handset.MakeFolder(L"tfs4");
    handset.MakeFolder(L"tfs4\\users");
    handset.MakeFolder(L"tfs4\\users\\c");
    handset.MakeFolder(L"tfs4\\users\\A folder");
    WriteBytes(handset.Local(L"tfs4\\users\\b.txt"), "abc");
    WriteBytes(handset.Local(L"tfs4\\users\\a.jpg"), "12345");
    WriteBytes(handset.Local(L"tfs4\\users\\c\\inner"), "x");

    std::vector<std::wstring> expected = {L"A folder/", L"a.jpg 5", L"b.txt 3", L"c/"};
    EXPECT_EQ(expected, handset.Listing(L"/tfs4/users/"));
    EXPECT_EQ(expected, handset.Listing(L"tfs4\\users"));
    EXPECT_EQ(std::vector<std::wstring>{}, handset.Listing(L"tfs4/users/A folder"));

    ComPtr<ITAMFileList> list;
    ASSERT_EQ(S_OK, handset.agent->ListFolder(Bstr(L"tfs4/users").Get(), 0, 0, &list));
    ComPtr<ITAMFileEntry> entry;
    EXPECT_EQ(E_INVALIDARG, list->Item(4, &entry));

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
              handset.agent->ListFolder(Bstr(L"tfs4/none").Get(), 0, 0, &list));
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"tfs4/none"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIRECTORY), handset.agent->ListFolder(Bstr(L"tfs4/users/b.txt").Get(), 0, 0, &list));
}

TEST(SimFileSystem, KeepsEveryPathInsideItsFolder)
{
    FileHandset handset;
    // The handset's folder has a sibling that no path may reach.
    std::wstring outside = handset.root + L"-outside";
    CreateDirectoryW(outside.c_str(), nullptr);
    WriteBytes(outside + L"\\kept.txt", "kept");
    WriteBytes(handset.pc + L"\\source.txt", "new");
    std::wstring outsideName = outside.substr(outside.find_last_of(L'\\') + 1);
    std::wstring escapes[] = {L"../" + outsideName + L"/kept.txt", L"a/../../" + outsideName + L"/kept.txt",
                              L"..\\" + outsideName, outside + L"\\kept.txt", L"C:kept.txt",
                              L"\\\\server\\share\\kept.txt", L"//?/" + outside, L"a/b.txt:stream", L"", L"/", L"./.",
                              L"NUL", L"a/con.txt", L"COM1", L"a/...", L"a/b.", L"a*", std::wstring(L"a\0b", 3)};

    for (const std::wstring& path : escapes) {
        Bstr bad(path);
        Bstr good(L"fine.txt");
        Bstr pcFile(handset.pc + L"\\source.txt");
        SCOPED_TRACE(::testing::Message() << "path " << std::string(path.begin(), path.end()));
        ComPtr<ITAMFileList> list;
        EXPECT_EQ(E_INVALIDARG, handset.agent->ListFolder(bad.Get(), 0, 0, &list));
        EXPECT_FALSE(ThreadErrorDescription().empty());
        EXPECT_EQ(E_INVALIDARG, handset.agent->GetFile(bad.Get(), pcFile.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->PutFile(bad.Get(), pcFile.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->RemoveFile(bad.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->CreateFolder(bad.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->DeleteFolder(bad.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->RenameFile(good.Get(), bad.Get()));
        EXPECT_EQ(E_INVALIDARG, handset.agent->RenameFolder(bad.Get(), good.Get()));
    }
    EXPECT_EQ("kept", ReadBytes(outside + L"\\kept.txt"));
    EXPECT_EQ("new", ReadBytes(handset.pc + L"\\source.txt"));
    EXPECT_TRUE(handset.sink->progress.empty());

    // The harmless forms of a path still work.
    EXPECT_EQ(S_OK, handset.agent->CreateFolder(Bstr(L"/a/./").Get()));
    EXPECT_EQ(S_OK, handset.Put(L"\\a//b.txt", handset.pc + L"\\source.txt"));
    EXPECT_EQ("new", ReadBytes(handset.Local(L"a\\b.txt")));
}

TEST(SimFileSystem, ChangesFilesAndFoldersAsAHandsetDoes)
{
    FileHandset handset;
    ASSERT_EQ(S_OK, handset.agent->CreateFolder(Bstr(L"Images").Get()));
    WriteBytes(handset.Local(L"Images\\a.jpg"), "jpeg");

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY), handset.agent->DeleteFolder(Bstr(L"Images").Get()));
    EXPECT_EQ(E_ACCESSDENIED, handset.agent->RenameFile(Bstr(L"Images").Get(), Bstr(L"Pictures").Get()));

    EXPECT_EQ(S_OK, handset.agent->RenameFile(Bstr(L"Images/a.jpg").Get(), Bstr(L"Images/b.jpg").Get()));
    EXPECT_EQ(S_OK, handset.agent->RenameFolder(Bstr(L"Images").Get(), Bstr(L"Pictures").Get()));
    EXPECT_EQ("jpeg", ReadBytes(handset.Local(L"Pictures\\b.jpg")));
    EXPECT_EQ(S_OK, handset.agent->RemoveFile(Bstr(L"Pictures/b.jpg").Get()));
    EXPECT_EQ(S_OK, handset.agent->DeleteFolder(Bstr(L"Pictures").Get()));
    EXPECT_FALSE(Exists(handset.Local(L"Pictures")));
}

TEST(SimFileCopy, CopiesBothWaysByteForByteAndReportsEachBlock)
{
    FileHandset handset;
    handset.MakeFolder(L"Music");
    std::string content = Pattern(5000);
    WriteBytes(handset.pc + L"\\song.mp3", content);

    ASSERT_EQ(S_OK, handset.Put(L"Music/song.mp3", handset.pc + L"\\song.mp3"));
    EXPECT_EQ(content, ReadBytes(handset.Local(L"Music\\song.mp3")));
    std::vector<std::pair<long, long>> blocks = {{1250, 5000}, {2500, 5000}, {3750, 5000}, {5000, 5000}};
    EXPECT_EQ(blocks, handset.sink->progress);
    EXPECT_EQ(std::vector<long>{S_OK}, handset.sink->completions);
    EXPECT_EQ((std::vector<std::wstring>{L"song.mp3 5000"}), handset.Listing(L"Music"));

    handset.sink->progress.clear();
    ASSERT_EQ(S_OK, handset.Get(L"Music/song.mp3", handset.pc + L"\\back.mp3"));
    EXPECT_EQ(content, ReadBytes(handset.pc + L"\\back.mp3"));
    EXPECT_EQ(blocks, handset.sink->progress);
    EXPECT_EQ(2u, handset.sink->completions.size());

    // Small files move in blocks of 1 KiB; an empty one still reports once.
    handset.sink->progress.clear();
    WriteBytes(handset.pc + L"\\small", Pattern(2100));
    ASSERT_EQ(S_OK, handset.Put(L"Music/small", handset.pc + L"\\small"));
    EXPECT_EQ((std::vector<std::pair<long, long>>{{1024, 2100}, {2048, 2100}, {2100, 2100}}), handset.sink->progress);
    handset.sink->progress.clear();
    WriteBytes(handset.Local(L"Music\\empty"), "");
    ASSERT_EQ(S_OK, handset.Get(L"Music/empty", handset.pc + L"\\empty"));
    EXPECT_EQ((std::vector<std::pair<long, long>>{{0, 0}}), handset.sink->progress);
    EXPECT_EQ(4u, handset.sink->completions.size());
    EXPECT_TRUE(Exists(handset.pc + L"\\empty"));
}

TEST(SimFileCopy, StopsOnlyWhenASinkCallsTheCancelOfItsDirection)
{
    FileHandset handset;
    handset.MakeFolder(L"Videos");
    WriteBytes(handset.pc + L"\\clip.3gp", Pattern(5000));

    // A cleared continue flag alone stops nothing.
    handset.sink->onProgress = [](long& continueFlag) { continueFlag = 0; };
    EXPECT_EQ(S_OK, handset.Put(L"Videos/clip.3gp", handset.pc + L"\\clip.3gp"));
    EXPECT_EQ(4u, handset.sink->progress.size());
    EXPECT_EQ(Pattern(5000), ReadBytes(handset.Local(L"Videos\\clip.3gp")));
    DeleteFileW(handset.Local(L"Videos\\clip.3gp").c_str());
    handset.sink->progress.clear();
    handset.sink->completions.clear();

    // The cancel method stops a copy to the handset; nothing of it stays there.
    handset.sink->onProgress = [&](long&) { handset.agent->CancelPutFile(); };
    EXPECT_EQ(E_ABORT, handset.Put(L"Videos/clip.3gp", handset.pc + L"\\clip.3gp"));
    EXPECT_NE(std::wstring::npos, ThreadErrorDescription().find(L"cancelled after 1250 of 5000"));
    EXPECT_EQ(1u, handset.sink->progress.size());
    EXPECT_EQ(std::vector<long>{E_ABORT}, handset.sink->completions);
    EXPECT_EQ(std::vector<std::wstring>{}, handset.Listing(L"Videos"));

    // An older file of the same name survives a cancelled copy.
    WriteBytes(handset.Local(L"Videos\\clip.3gp"), "older");
    EXPECT_EQ(E_ABORT, handset.Put(L"Videos/clip.3gp", handset.pc + L"\\clip.3gp"));
    EXPECT_EQ("older", ReadBytes(handset.Local(L"Videos\\clip.3gp")));
    EXPECT_EQ(std::vector<std::wstring>{L"clip.3gp 5"}, handset.Listing(L"Videos"));

    // The agent's cancel method stops a copy to the PC; the cancel of the other
    // direction does not, and neither carries over to the next copy.
    WriteBytes(handset.Local(L"Videos\\clip.3gp"), Pattern(5000));
    handset.sink->progress.clear();
    handset.sink->onProgress = [&](long&) { handset.agent->CancelPutFile(); };
    EXPECT_EQ(S_OK, handset.Get(L"Videos/clip.3gp", handset.pc + L"\\whole.3gp"));
    EXPECT_EQ(4u, handset.sink->progress.size());
    handset.sink->progress.clear();
    handset.sink->onProgress = [&](long&) { handset.agent->CancelGetFile(); };
    EXPECT_EQ(E_ABORT, handset.Get(L"Videos/clip.3gp", handset.pc + L"\\part.3gp"));
    EXPECT_EQ(1u, handset.sink->progress.size());
    handset.sink->onProgress = nullptr;
    EXPECT_EQ(S_OK, handset.Get(L"Videos/clip.3gp", handset.pc + L"\\again.3gp"));
}

TEST(SimFileCopy, FailsMidwayAsToldAndRefusesACopyInsideACopy)
{
    FileHandset handset;
    handset.MakeFolder(L"Sounds");
    WriteBytes(handset.pc + L"\\ring.wav", Pattern(5000));

    ASSERT_EQ(S_OK, handset.simulator->FailCopyAfter(2, E_FAIL));
    EXPECT_EQ(E_FAIL, handset.Put(L"Sounds/ring.wav", handset.pc + L"\\ring.wav"));
    EXPECT_FALSE(ThreadErrorDescription().empty());
    EXPECT_EQ(2u, handset.sink->progress.size());
    EXPECT_EQ(std::vector<long>{E_FAIL}, handset.sink->completions);
    EXPECT_EQ(std::vector<std::wstring>{}, handset.Listing(L"Sounds"));
    // The failure was for that copy only.
    ASSERT_EQ(S_OK, handset.Put(L"Sounds/ring.wav", handset.pc + L"\\ring.wav"));

    handset.sink->progress.clear();
    const HRESULT kLinkLost = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
    ASSERT_EQ(S_OK, handset.simulator->FailCopyAfter(0, kLinkLost));
    EXPECT_EQ(kLinkLost, handset.Get(L"Sounds/ring.wav", handset.pc + L"\\ring.wav"));
    EXPECT_TRUE(handset.sink->progress.empty());
    EXPECT_EQ(kLinkLost, handset.sink->completions.back());

    // The agent's own method failure still works, before any event.
    handset.sink->progress.clear();
    handset.simulator->FailMethod(Bstr(L"GetFile").Get(), E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, handset.Get(L"Sounds/ring.wav", handset.pc + L"\\ring.wav"));
    EXPECT_TRUE(handset.sink->progress.empty());
    handset.simulator->FailMethod(Bstr(L"GetFile").Get(), S_OK);

    // A handset that tells how a copy ended only in its event answers S_OK to a failed
    // copy and to a cancelled one alike, for that copy only.
    handset.sink->completions.clear();
    WriteBytes(handset.pc + L"\\whole.wav", Pattern(5000));
    ASSERT_EQ(S_OK, handset.simulator->FailCopyAfter(1, E_FAIL));
    handset.simulator->State().transfer.failureOnlyInEvent = true;
    EXPECT_EQ(S_OK, handset.Put(L"Sounds/lost.wav", handset.pc + L"\\whole.wav"));
    handset.simulator->State().transfer.failureOnlyInEvent = true;
    handset.sink->onProgress = [&](long&) { handset.agent->CancelGetFile(); };
    EXPECT_EQ(S_OK, handset.Get(L"Sounds/ring.wav", handset.pc + L"\\cut.wav"));
    EXPECT_EQ((std::vector<long>{E_FAIL, E_ABORT}), handset.sink->completions);
    EXPECT_FALSE(Exists(handset.Local(L"Sounds\\lost.wav")));
    handset.sink->onProgress = nullptr;
    ASSERT_EQ(S_OK, handset.simulator->FailCopyAfter(1, E_FAIL));
    EXPECT_EQ(E_FAIL, handset.Put(L"Sounds/lost.wav", handset.pc + L"\\whole.wav"));

    HRESULT nested = S_OK;
    handset.sink->onProgress = [&](long&) {
        nested = handset.Put(L"Sounds/other.wav", handset.pc + L"\\ring.wav");
    };
    EXPECT_EQ(S_OK, handset.Get(L"Sounds/ring.wav", handset.pc + L"\\ring.wav"));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BUSY), nested);
}

namespace {

// The size of the memory whose root a total size request names, as the handset answers it.
std::string TotalSizeReply(ITAMAgent* agent, std::string_view payload)
{
    std::string request = ByteWriter().U16LE(0x4190).U32LE(static_cast<uint32_t>(payload.size())).Bytes(payload).Take();
    ByteArray bytes(request.data(), request.size());
    EXPECT_EQ(S_OK, agent->WriteStream(bytes.Get(), static_cast<long>(request.size())));
    std::string reply;
    for (;;) {
        ByteArray chunk;
        if (FAILED(agent->ReadStream(64, 2000, chunk.Out())))
            return reply;
        chunk.AppendTo(reply);
    }
}

std::string RootField(const char* root)
{
    return ByteWriter().Field(root, 255).Take();
}

}  // namespace

TEST(SimFileMemory, AnswersFreeSpaceTotalSizesAndLinkInformation)
{
    FileHandset handset;
    ASSERT_EQ(S_OK, handset.simulator->put_Model(202));  // KTM-A280
    WriteBytes(handset.Local(L"tfs4\\a\\users\\Images\\a.jpg"), Pattern(1000));
    WriteBytes(handset.Local(L"tfs4\\a\\users\\Music\\b.mp3"), Pattern(24));

    long free32 = 0;
    double free = 0;
    // The KTM-A280's phone memory is the 118,628,352 bytes its profile states.
    ASSERT_EQ(S_OK, handset.agent->GetFreeBytes(Bstr(L"tfs4/a/users").Get(), &free32));
    EXPECT_EQ(118628352 - 1024, free32);
    ASSERT_EQ(S_OK, handset.agent->GetFreeBytesEx(Bstr(L"/tfs4/a/users/").Get(), &free));
    EXPECT_EQ(118628352 - 1024, free);
    ASSERT_EQ(S_OK, handset.agent->GetFreeBytesEx(Bstr(L"mvfs/mv").Get(), &free));
    EXPECT_EQ(256.0 * (1 << 20), free);

    // Beyond 32 bits the double tells the truth; the 32-bit answer is read unsigned.
    ASSERT_EQ(S_OK, handset.simulator->SetMemory(Bstr(L"/mvfs/mv/").Get(), 3e9));
    ASSERT_EQ(S_OK, handset.agent->GetFreeBytesEx(Bstr(L"mvfs/mv").Get(), &free));
    EXPECT_EQ(3e9, free);
    ASSERT_EQ(S_OK, handset.agent->GetFreeBytes(Bstr(L"mvfs/mv").Get(), &free32));
    EXPECT_EQ(3000000000u, static_cast<uint32_t>(free32));

    // A handset that cannot tell answers 0 and names the reason as its last error.
    long code = -1;
    ASSERT_EQ(S_OK, handset.agent->GetAgentError(&code));
    EXPECT_EQ(0, code);
    ASSERT_EQ(S_OK, handset.simulator->put_FreeSpaceError(17));
    EXPECT_EQ(S_OK, handset.agent->GetFreeBytes(Bstr(L"tfs4/a/users").Get(), &free32));
    EXPECT_EQ(S_OK, handset.agent->GetFreeBytesEx(Bstr(L"tfs4/a/users").Get(), &free));
    EXPECT_EQ(0, free32);
    EXPECT_EQ(0.0, free);
    ASSERT_EQ(S_OK, handset.agent->GetAgentError(&code));
    EXPECT_EQ(17, code);

    TAMLINKINFO link = {};
    ASSERT_EQ(S_OK, handset.agent->GetLinkInfo(&link));
    EXPECT_EQ(4096, link.packetSize);
    EXPECT_EQ(5, link.version);
    ASSERT_EQ(S_OK, handset.simulator->put_LinkVersion(4));
    ASSERT_EQ(S_OK, handset.agent->GetLinkInfo(&link));
    EXPECT_EQ(4, link.version);

    EXPECT_EQ(std::string("\x91\x41\x04\x00\x00\x00\x00\x20\x12\x07", 10),
              TotalSizeReply(handset.agent.Get(), RootField("tfs4/a/users/")));
    ASSERT_EQ(S_OK, handset.simulator->SetMemory(Bstr(L"mvfs/mv").Get(), 0x12345678));
    EXPECT_EQ(std::string("\x91\x41\x04\x00\x00\x00\x78\x56\x34\x12", 10),
              TotalSizeReply(handset.agent.Get(), RootField("/mvfs/mv/")));
    EXPECT_EQ(std::string("\xFF\xFF\x00\x00\x00\x00", 6),
              TotalSizeReply(handset.agent.Get(), RootField("mvfs/mv/").substr(0, 254)));
}

TEST(SimFileMemory, ANewHandsetComesWithItsModelsFolders)
{
    std::wstring kept = kelvra::testing::MakeTempFolder(L"new-a290");
    ComPtr<sim::SimConnection> a290 = sim::SimConnection::Make();
    ASSERT_EQ(S_OK, a290->KeepStateIn(Bstr(kept).Get()));
    ASSERT_EQ(S_OK, a290->put_Model(211));
    FileHandset view;  // lists the same folder through its own connection
    view.simulator->put_FileRoot(Bstr(kept + L"\\files").Get());
    EXPECT_EQ((std::vector<std::wstring>{L"Images/", L"Other files/", L"Sounds/", L"Videos/"}),
              view.Listing(L"/tfs4/a/users"));
    EXPECT_EQ((std::vector<std::wstring>{L"Donwloaded images/", L"My photos/"}), view.Listing(L"/tfs4/a/users/Images"));
    EXPECT_EQ((std::vector<std::wstring>{L"Downloaded sounds/", L"FM radio clips/", L"Music/", L"Voice memo/"}),
              view.Listing(L"/tfs4/a/users/Sounds"));
    EXPECT_EQ(std::vector<std::wstring>{}, view.Listing(L"/mvfs/mv"));

    // A handset whose folder was set by hand gets them on demand; what it holds stays.
    FileHandset a280;
    a280.simulator->State().handset.SetModel(202);
    a280.MakeFolder(L"tfs4");
    a280.MakeFolder(L"tfs4\\a");
    a280.MakeFolder(L"tfs4\\a\\users");
    WriteBytes(a280.Local(L"tfs4\\a\\users\\note.txt"), "mine");
    ASSERT_EQ(S_OK, a280.simulator->MakeModelFolders());
    ASSERT_EQ(S_OK, a280.simulator->MakeModelFolders());
    EXPECT_EQ((std::vector<std::wstring>{L"Images/", L"Music/", L"note.txt 4", L"Other files/", L"Sounds/", L"Videos/"}),
              a280.Listing(L"tfs4/a/users"));
    EXPECT_EQ((std::vector<std::wstring>{L"Downloaded images/"}), a280.Listing(L"tfs4/a/users/Images"));
    EXPECT_EQ((std::vector<std::wstring>{L"Downloaded sounds/", L"Voice memo/"}), a280.Listing(L"tfs4/a/users/Sounds"));
    EXPECT_EQ(std::vector<std::wstring>{}, a280.Listing(L"mvfs/mv"));

    // The KTM-A110 offers no file system.
    FileHandset a110;
    ASSERT_EQ(S_OK, a110.simulator->put_Model(218));
    EXPECT_EQ(S_FALSE, a110.simulator->MakeModelFolders());
    EXPECT_TRUE(RemoveDirectoryW(a110.root.c_str()));  // only an empty folder goes
}
