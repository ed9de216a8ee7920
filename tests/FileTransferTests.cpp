// Copies between the handset and the PC with the host watching and cancelling through
// the device data object's events, and the folder and file changes of the file table.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "FileTestSupport.h"
#include "KelvraFile.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

struct WatchedHandset : FileHandset {
    std::vector<Progress> calls;
    size_t cancelAt = 0;
    std::wstring folder = MakeTempFolder(L"files");

    explicit WatchedHandset(int resource = kA290) : FileHandset(resource)
    {
        WatchProgress(device.Get(), calls, cancelAt);
        Agent().AddFile(L"/tfs4/a/users/Images/cat.jpg", "0123456789");
    }
    ComPtr<IItem> FileItem(const wchar_t* name, const std::wstring& pcPath)
    {
        ComPtr<IItem> item = NewItem(QELDT_FILE);
        SetColumn(item.Get(), L"Reserved1", L"/Images");
        SetColumn(item.Get(), L"Name", name);
        SetColumn(item.Get(), L"FileSize", L"10");
        SetColumn(item.Get(), L"PCPath", pcPath.c_str());
        return item;
    }
    bool Subscribed() const
    {
        const auto& sinks = connection->events.Sinks();
        return std::any_of(sinks.begin(), sinks.end(), [](const auto& sink) { return sink != nullptr; });
    }
};

}  // namespace

TEST(FileCopy, ToThePcReportsEveryBlockOnBothEventPoints)
{
    WatchedHandset handset;
    std::wstring target = handset.folder + L"\\cat.jpg";
    ComPtr<IItem> item = handset.FileItem(L"cat.jpg", target);
    ASSERT_EQ(S_OK, item->ReadBlobTo(0, nullptr));
    EXPECT_EQ("0123456789", FileBytes(target));
    // The start, then 4, 8 and 10 bytes: each to the interface sink, then the dispatch one.
    ASSERT_EQ(8u, handset.calls.size());
    const LONG done[] = {0, 4, 8, 10};
    for (size_t at = 0; at < 8; ++at) {
        EXPECT_EQ(at % 2 ? "dispatch" : "interface", handset.calls[at].sink);
        EXPECT_EQ(done[at / 2], handset.calls[at].done);
        EXPECT_EQ(10, handset.calls[at].total);
    }
    EXPECT_FALSE(handset.Subscribed());
    EXPECT_TRUE(handset.Called(L"GetFile /tfs4/a/users/Images/cat.jpg"));
    EXPECT_EQ(2, handset.Agent().modes.back());
}

TEST(FileCopy, ToThePhoneStoresTheFileAndTheDefaultFlags)
{
    WatchedHandset handset;
    std::wstring source = handset.folder + L"\\new.jpg";
    std::ofstream(source.c_str(), std::ios::binary) << "abcdefghij";
    ComPtr<IItem> item = handset.FileItem(L"new.jpg", source);
    ASSERT_EQ(S_OK, item->WriteBlobFrom(0, nullptr));
    EXPECT_EQ("abcdefghij", handset.Agent().files[L"/tfs4/a/users/Images/new.jpg"]);
    ExpectColumn(item.Get(), L"Status", VT_I4, L"129");
    ExpectColumn(item.Get(), L"NotAllowedOperation", VT_I4, L"4");
    EXPECT_EQ(8u, handset.calls.size());
    EXPECT_FALSE(handset.Subscribed());
}

TEST(FileCopy, CancelledOnTheFirstEventMovesNothing)
{
    WatchedHandset handset;
    handset.cancelAt = 1;
    std::wstring target = handset.folder + L"\\cat.jpg";
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.FileItem(L"cat.jpg", target)->ReadBlobTo(0, nullptr));
    EXPECT_NE(L"", ErrorText());
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(handset.Called(L"GetFile /tfs4/a/users/Images/cat.jpg"));

    std::wstring source = handset.folder + L"\\new.jpg";
    std::ofstream(source.c_str(), std::ios::binary) << "abcdefghij";
    handset.calls.clear();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.FileItem(L"new.jpg", source)->WriteBlobFrom(0, nullptr));
    EXPECT_EQ(0u, handset.Agent().files.count(L"/tfs4/a/users/Images/new.jpg"));
    EXPECT_FALSE(handset.Subscribed());
}

TEST(FileCopy, CancelledMidwayLeavesNoPartialFileOnEitherSide)
{
    WatchedHandset handset;
    handset.cancelAt = 3;  // the interface sink's call after the first block
    std::wstring target = handset.folder + L"\\cat.jpg";
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.FileItem(L"cat.jpg", target)->ReadBlobTo(0, nullptr));
    EXPECT_TRUE(handset.Called(L"CancelGetFile"));
    EXPECT_FALSE(Exists(target));

    std::wstring source = handset.folder + L"\\new.jpg";
    std::ofstream(source.c_str(), std::ios::binary) << "abcdefghij";
    handset.calls.clear();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.FileItem(L"new.jpg", source)->WriteBlobFrom(0, nullptr));
    EXPECT_TRUE(handset.Called(L"CancelPutFile"));
    EXPECT_EQ(0u, handset.Agent().files.count(L"/tfs4/a/users/Images/new.jpg"));
    EXPECT_FALSE(handset.Subscribed());
}

TEST(FileCopy, AFailingCopyToThePcIsReportedAndRemoved)
{
    WatchedHandset handset;
    handset.Agent().failAfterBlocks = 2;
    handset.Agent().failure = HRESULT_FROM_WIN32(ERROR_GEN_FAILURE);
    std::wstring target = handset.folder + L"\\cat.jpg";
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), handset.FileItem(L"cat.jpg", target)->ReadBlobTo(0, nullptr));
    EXPECT_FALSE(Exists(target));
    EXPECT_FALSE(handset.Subscribed());
}

TEST(FileCopy, AgentEventsReachTheItemThroughItsDispatchToo)
{
    WatchedHandset handset;
    ComPtr<IItem> item = handset.FileItem(L"cat.jpg", handset.folder + L"\\cat.jpg");
    ComPtr<ITAMAgentEvents> events;
    ASSERT_EQ(S_OK, item.As(&events));
    LONG proceed = 1;
    VARIANTARG arguments[3];
    arguments[2].vt = VT_I4;
    arguments[2].lVal = 5;
    arguments[1].vt = VT_I4;
    arguments[1].lVal = 9;
    arguments[0].vt = VT_I4 | VT_BYREF;
    arguments[0].plVal = &proceed;
    DISPPARAMS parameters = {arguments, nullptr, 3, 0};
    EXPECT_EQ(S_OK, events->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr));
    ASSERT_EQ(2u, handset.calls.size());
    EXPECT_EQ(5, handset.calls[0].done);
    EXPECT_EQ(9, handset.calls[1].total);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              events->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr));
}

TEST(FileChange, KtmA230RenamesAnEmptyFolderByCreateAndDelete)
{
    FileHandset handset(kA230);
    handset.Agent().AddFolder(L"efs2/users/Old");
    ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
    SetColumn(folder.Get(), L"Reserved1", L"/");
    SetColumn(folder.Get(), L"Name", L"Old");
    SetColumn(folder.Get(), L"Reserved2", L"New");
    ULONG before = CKelvraFile::LastFolderId();
    handset.Agent().calls.clear();
    ASSERT_EQ(S_OK, handset.Files()->UpdateItem(folder.Get()));
    std::vector<std::wstring> expected = {L"ListFolder efs2/users/Old", L"CreateFolder efs2/users/New",
                                          L"DeleteFolder efs2/users/Old"};
    EXPECT_EQ(expected, handset.Agent().calls);
    EXPECT_EQ(L"New", ColumnText(folder.Get(), L"Name"));
    ExpectColumn(folder.Get(), L"FolderID", VT_UI4, std::to_wstring(before + 1));
}

TEST(FileChange, KtmA230RefusesToRenameAFolderThatHoldsAnything)
{
    FileHandset handset(kA230);
    handset.Agent().AddFile(L"efs2/users/Old/keep.txt", "k");
    ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
    SetColumn(folder.Get(), L"Reserved1", L"/");
    SetColumn(folder.Get(), L"Name", L"Old");
    SetColumn(folder.Get(), L"Reserved2", L"New");
    handset.Agent().calls.clear();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY), handset.Files()->UpdateItem(folder.Get()));
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"not empty"));
    EXPECT_EQ(std::vector<std::wstring>{L"ListFolder efs2/users/Old"}, handset.Agent().calls);
    EXPECT_EQ(1u, handset.Agent().folders.count(L"efs2/users/Old"));
    EXPECT_EQ(0u, handset.Agent().folders.count(L"efs2/users/New"));
}

TEST(FileChange, OtherModelsRenameInOneRequestAndFilesByCommand)
{
    FileHandset handset(kA290, L"KTM-A100");
    ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
    SetColumn(folder.Get(), L"Reserved1", L"\\");
    SetColumn(folder.Get(), L"Name", L"Old");
    SetColumn(folder.Get(), L"Reserved2", L"New");
    ASSERT_EQ(S_OK, handset.Files()->UpdateItem(folder.Get()));

    ComPtr<IItem> file = handset.NewItem(QELDT_FILE);
    SetColumn(file.Get(), L"Reserved1", L"/Images");
    SetColumn(file.Get(), L"Name", L"a.jpg");
    SetColumn(file.Get(), L"Reserved2", L"b.jpg");
    for (const wchar_t* command : {L"SET_WALLPAPER", L"SOMETHING", L"RENAME"}) {
        SetColumn(file.Get(), L"Reserved3", command);
        EXPECT_EQ(S_OK, handset.Files()->UpdateItem(file.Get()));
    }
    SetColumn(file.Get(), L"Reserved2", L"..\\b.jpg");
    EXPECT_EQ(E_INVALIDARG, handset.Files()->UpdateItem(file.Get()));
    std::vector<std::wstring> expected = {L"RenameFolder /mvfs/mv/Old /mvfs/mv/New",
                                          L"RenameFile /tfs4/a/users/Images/a.jpg /tfs4/a/users/Images/b.jpg"};
    EXPECT_EQ(expected, handset.Agent().calls);
}

TEST(FileChange, FoldersAreMadeAndEntriesDeleted)
{
    FileHandset handset(kA290);
    ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
    SetColumn(folder.Get(), L"Reserved1", L"/Images");
    SetColumn(folder.Get(), L"Name", L"Trips");
    SUID suid = 0;
    ASSERT_EQ(S_OK, handset.Files()->CreateItem(folder.Get(), &suid));
    EXPECT_EQ(static_cast<SUID>(CKelvraFile::LastFolderId()), suid);
    ExpectColumn(folder.Get(), L"LimitFileType", VT_BSTR, L"106;101;112;120;109");
    ExpectColumn(folder.Get(), L"Status", VT_UI4, L"3");
    ASSERT_EQ(S_OK, handset.Files()->DeleteItem(folder.Get()));

    ComPtr<IItem> file = handset.NewItem(QELDT_FILE);
    SetColumn(file.Get(), L"Reserved1", L"\\Music");
    SetColumn(file.Get(), L"Name", L"a.mp3");
    ASSERT_EQ(S_OK, handset.Files()->DeleteItem(file.Get()));
    std::vector<std::wstring> expected = {L"CreateFolder /tfs4/a/users/Images/Trips",
                                          L"DeleteFolder /tfs4/a/users/Images/Trips",
                                          L"RemoveFile /mvfs/mv/Music/a.mp3"};
    EXPECT_EQ(expected, handset.Agent().calls);
}
