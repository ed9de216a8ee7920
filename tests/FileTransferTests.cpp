// Copies between the simulated handset and the PC with the host watching and cancelling
// through the device data object's events, and the file table's folder and file changes.
#include <gtest/gtest.h>

#include <functional>

#include "FileTestSupport.h"
#include "KelvraFile.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

const std::string kContent(20000, 'k');  // four blocks of 5000 bytes in the simulator

size_t FilesIn(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// A host sink that acts on every progress event of the point it is advised on.
class ActingHost : public ComObject<ActingHost, HostSinkBase> {
public:
    explicit ActingHost(std::function<void()> act) : m_act(std::move(act)) {}
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        m_act();
        return S_OK;
    }

private:
    std::function<void()> m_act;
};

void Advise(CDeviceDataKELVRA& device, REFIID point, std::function<void()> act)
{
    ComPtr<IConnectionPoint> found;
    ASSERT_EQ(S_OK, device.FindConnectionPoint(point, found.GetAddressOf()));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, found->Advise(static_cast<IDispatch*>(ActingHost::Make(std::move(act)).Get()), &cookie));
}

struct CopyHandset : SimFiles {
    std::wstring onPc = pc + L"\\sky.bmp";
    std::wstring onPhone = Local(L"/tfs4/a/users/Images/sky.bmp");

    CopyHandset() : SimFiles(kA290) { std::ofstream(onPc.c_str(), std::ios::binary) << kContent; }
    HRESULT Get() { return Entry(QELDT_FILE, L"/Images", L"sky.bmp", L"PCPath", onPc)->ReadBlobTo(0, nullptr); }
    HRESULT Put() { return Entry(QELDT_FILE, L"/Images", L"sky.bmp", L"PCPath", onPc)->WriteBlobFrom(0, nullptr); }
};

}  // namespace

TEST(FileCopy, BothWaysByteForByteWithEveryBlockOnBothEventPoints)
{
    CopyHandset handset;
    ComPtr<IItem> item = handset.Entry(QELDT_FILE, L"/Images", L"sky.bmp", L"PCPath", handset.onPc);
    ASSERT_EQ(S_OK, item->WriteBlobFrom(0, nullptr));
    EXPECT_EQ(kContent, FileBytes(handset.onPhone));
    ExpectColumn(item.Get(), L"Status", VT_I4, L"129");
    ExpectColumn(item.Get(), L"NotAllowedOperation", VT_I4, L"4");

    DeleteFileW(handset.onPc.c_str());
    handset.calls.clear();
    ASSERT_EQ(S_OK, handset.Get());
    EXPECT_EQ(kContent, FileBytes(handset.onPc));
    // The start, then each block: the interface sink first, then the dispatch one.
    ASSERT_EQ(10u, handset.calls.size());
    const LONG done[] = {0, 5000, 10000, 15000, 20000};
    for (size_t at = 0; at < 10; ++at) {
        EXPECT_EQ(at % 2 ? "dispatch" : "interface", handset.calls[at].sink);
        EXPECT_EQ(done[at / 2], handset.calls[at].done);
    }
}

TEST(FileCopy, CancelledOnTheFirstEventMovesNothing)
{
    CopyHandset handset;
    handset.cancelAt = 1;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.Put());
    EXPECT_NE(L"", ErrorText());
    EXPECT_FALSE(Exists(handset.onPhone));

    // The PC file the copy would have replaced is left as it was.
    handset.File(L"/tfs4/a/users/Images/sky.bmp", std::string(100, 'h'));
    handset.calls.clear();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.Get());
    EXPECT_EQ(kContent, FileBytes(handset.onPc));
    EXPECT_EQ(1u + 1, handset.calls.size());  // the start event on both points, no block
}

// The simulator goes on with a copy whose continue flag was cleared unless its cancel
// method of the copy's direction is called: a wrong one would let the copy run whole.
TEST(FileCopy, CancelledMidwayOrFailingLeavesNoPartialFileOnEitherSide)
{
    CopyHandset handset;
    handset.cancelAt = 3;  // the interface sink's call after the first block
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.Put());
    EXPECT_FALSE(Exists(handset.onPhone));

    // A copy to the PC that stops leaves no part of itself, and the PC file it would
    // have replaced as it was.
    const std::string older = "the PC's own older file";
    std::ofstream(handset.onPc.c_str(), std::ios::binary | std::ios::trunc) << older;
    handset.File(L"/tfs4/a/users/Images/sky.bmp", kContent);
    handset.calls.clear();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), handset.Get());
    EXPECT_EQ(older, FileBytes(handset.onPc));
    EXPECT_EQ(4u, handset.calls.size());

    handset.cancelAt = 0;
    ASSERT_EQ(S_OK, handset.connection->FailCopyAfter(2, HRESULT_FROM_WIN32(ERROR_GEN_FAILURE)));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), handset.Get());
    EXPECT_NE(L"", ErrorText());
    EXPECT_EQ(older, FileBytes(handset.onPc));
    DeleteFileW(handset.Local(L"/tfs4/a/users/Images/sky.bmp").c_str());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), handset.Get());  // no such file on the handset
    EXPECT_EQ(older, FileBytes(handset.onPc));
    EXPECT_EQ(1u, FilesIn(handset.pc));

    // A whole copy replaces it.
    handset.File(L"/tfs4/a/users/Images/sky.bmp", kContent);
    EXPECT_EQ(S_OK, handset.Get());
    EXPECT_EQ(kContent, FileBytes(handset.onPc));
    EXPECT_EQ(1u, FilesIn(handset.pc));
}

TEST(FileCopy, AnAgentAnsweringSuccessForACopyThatDidNotEndWholeStillFails)
{
    CopyHandset handset;
    const std::string older(kContent.size(), 'p');  // the PC's own, as many blocks long
    std::ofstream(handset.onPc.c_str(), std::ios::binary | std::ios::trunc) << older;
    handset.File(L"/tfs4/a/users/Images/sky.bmp", kContent);
    sim::TransferControl& next = handset.connection->State().transfer;
    const HRESULT kBroken = HRESULT_FROM_WIN32(ERROR_GEN_FAILURE);

    // Cancelled after the first block, or failed after the second, and S_OK from the
    // agent all the same: the copy fails, and neither side's older file changes.
    for (bool toPc : {true, false}) {
        SCOPED_TRACE(toPc ? "to the PC" : "to the handset");
        handset.calls.clear();
        handset.cancelAt = 3;
        next.failureOnlyInEvent = true;
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED), toPc ? handset.Get() : handset.Put());
        EXPECT_NE(L"", ErrorText());
        EXPECT_EQ(4u, handset.calls.size());

        handset.cancelAt = 0;
        ASSERT_EQ(S_OK, handset.connection->FailCopyAfter(2, kBroken));
        next.failureOnlyInEvent = true;
        EXPECT_EQ(kBroken, toPc ? handset.Get() : handset.Put());
        EXPECT_NE(std::wstring::npos, ErrorText().find(L"reported the copy of \"sky.bmp\" as failed"));

        EXPECT_EQ(older, FileBytes(handset.onPc));
        EXPECT_EQ(kContent, FileBytes(handset.onPhone));
        EXPECT_EQ(1u, FilesIn(handset.pc));
    }
}

TEST(FileCopy, AHostReleasingTheDeviceDataObjectInsideAProgressEventIsToldToTheEnd)
{
    CopyHandset handset;
    ComPtr<IDataTable> files = handset.Files();
    ComPtr<IItem> info = handset.NewItem(QELDT_FILE_INFO);
    // The file table answers while the device data object lives, and refuses once it has gone.
    auto alive = [&] { return files->ReadItem(info.Get()) == S_OK; };
    std::vector<bool> heard;
    Advise(*handset.device.Get(), IID_IDeviceDataEvents, [&] { handset.device.Reset(); });
    Advise(*handset.device.Get(), DIID__IDeviceDataEvents, [&] { heard.push_back(alive()); });

    // The host's own reference is its last: the object outlives the event that lets it go.
    LONG proceed = 1;
    CDeviceDataKELVRA* device = handset.device.Get();
    EXPECT_EQ(S_OK, device->FireProgress(1, 2, &proceed));
    EXPECT_EQ(std::vector<bool>{true}, heard);
    EXPECT_EQ(nullptr, handset.device.Get());
    EXPECT_FALSE(alive());
}

TEST(FileCopy, AHostReleasingTheDeviceDataObjectDuringACopyHearsItWholeToTheEnd)
{
    CopyHandset handset;
    handset.File(L"/tfs4/a/users/Images/sky.bmp", kContent);
    DeleteFileW(handset.onPc.c_str());
    ComPtr<IDataTable> files = handset.Files();
    ComPtr<IItem> info = handset.NewItem(QELDT_FILE_INFO);
    ComPtr<IItem> item = handset.Entry(QELDT_FILE, L"/Images", L"sky.bmp", L"PCPath", handset.onPc);
    auto alive = [&] { return files->ReadItem(info.Get()) == S_OK; };
    std::vector<bool> heard;
    // After the first block the host lets go of its last reference.
    Advise(*handset.device.Get(), IID_IDeviceDataEvents, [&] {
        if (heard.size() == 1)
            handset.device.Reset();
        heard.push_back(alive());
    });

    ASSERT_EQ(S_OK, item->ReadBlobTo(0, nullptr));
    EXPECT_EQ(kContent, FileBytes(handset.onPc));
    // The start and four blocks, each heard with the object alive; it goes with the copy.
    EXPECT_EQ(std::vector<bool>(5, true), heard);
    EXPECT_EQ(nullptr, handset.device.Get());
    EXPECT_FALSE(alive());
    // A later copy through the same item fails cleanly and leaves the PC file whole.
    EXPECT_EQ(E_UNEXPECTED, item->ReadBlobTo(0, nullptr));
    EXPECT_EQ(kContent, FileBytes(handset.onPc));
}

TEST(FileCopy, AgentEventsReachTheItemThroughItsDispatchToo)
{
    CopyHandset handset;
    ComPtr<IItem> item = handset.NewItem(QELDT_FILE);
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
    EXPECT_EQ(5, handset.calls[1].done);
    EXPECT_EQ(9, handset.calls[1].total);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              events->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr));
}

TEST(FileChange, KtmA230RenamesOnlyAnEmptyFolderByCreateAndDelete)
{
    SimFiles handset(kA230);
    handset.Folder(L"efs2/users/Empty");
    handset.File(L"efs2/users/Full/keep.txt", "keep");
    ComPtr<IItem> empty = handset.Entry(QELDT_FOLDER, L"/", L"Empty", L"Reserved2", L"Renamed");
    ULONG before = CKelvraFile::LastFolderId();
    ASSERT_EQ(S_OK, handset.Files()->UpdateItem(empty.Get()));
    EXPECT_TRUE(Exists(handset.Local(L"efs2/users/Renamed")));
    EXPECT_FALSE(Exists(handset.Local(L"efs2/users/Empty")));
    EXPECT_EQ(L"Renamed", ColumnText(empty.Get(), L"Name"));
    ExpectColumn(empty.Get(), L"FolderID", VT_UI4, std::to_wstring(before + 1));

    // A file stands where the new folder would be made, so making it would fail with
    // another error than the handset's own refusal to delete a folder that holds a file:
    // the refusal comes before any folder is made.
    handset.File(L"efs2/users/Moved", "in the way");
    ComPtr<IItem> full = handset.Entry(QELDT_FOLDER, L"/", L"Full", L"Reserved2", L"Moved");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY), handset.Files()->UpdateItem(full.Get()));
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"can rename only an empty folder"));
    EXPECT_EQ("keep", FileBytes(handset.Local(L"efs2/users/Full/keep.txt")));
    EXPECT_EQ("in the way", FileBytes(handset.Local(L"efs2/users/Moved")));
}

TEST(FileChange, ARenameByCreateAndDeleteWhoseOldFolderStaysTakesTheNewOneBack)
{
    SimFiles handset(kA230);
    handset.Folder(L"efs2/users/Empty");
    // The handset cannot delete a folder someone holds open.
    HANDLE held = CreateFileW(handset.Local(L"efs2/users/Empty").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                              nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ComPtr<IItem> empty = handset.Entry(QELDT_FOLDER, L"/", L"Empty", L"Reserved2", L"Renamed");
    HRESULT hr = handset.Files()->UpdateItem(empty.Get());
    std::wstring error = ErrorText();
    CloseHandle(held);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), hr);
    EXPECT_NE(std::wstring::npos, error.find(L"efs2/users/Empty")) << NarrowUtf8(error);
    EXPECT_TRUE(Exists(handset.Local(L"efs2/users/Empty")));
    EXPECT_FALSE(Exists(handset.Local(L"efs2/users/Renamed")));
    EXPECT_EQ(L"Empty", ColumnText(empty.Get(), L"Name"));
}

TEST(FileChange, OtherModelsRenameInOneRequestAndFilesByCommand)
{
    SimFiles handset(kA290, false, L"KTM-A100");
    handset.File(L"/mvfs/mv/Full/keep.txt", "keep");
    ComPtr<IItem> full = handset.Entry(QELDT_FOLDER, L"\\", L"Full", L"Reserved2", L"Moved");
    ASSERT_EQ(S_OK, handset.Files()->UpdateItem(full.Get()));
    EXPECT_EQ("keep", FileBytes(handset.Local(L"/mvfs/mv/Moved/keep.txt")));

    handset.File(L"/tfs4/a/users/Images/a.jpg", "a");
    ComPtr<IItem> file = handset.Entry(QELDT_FILE, L"/Images", L"a.jpg", L"Reserved2", L"b.jpg");
    for (const wchar_t* command : {L"SET_WALLPAPER", L"SOMETHING"}) {
        SetColumn(file.Get(), L"Reserved3", command);
        EXPECT_EQ(S_OK, handset.Files()->UpdateItem(file.Get()));
        EXPECT_TRUE(Exists(handset.Local(L"/tfs4/a/users/Images/a.jpg")));
    }
    SetColumn(file.Get(), L"Reserved3", L"RENAME");
    ASSERT_EQ(S_OK, handset.Files()->UpdateItem(file.Get()));
    EXPECT_EQ("a", FileBytes(handset.Local(L"/tfs4/a/users/Images/b.jpg")));
    SetColumn(file.Get(), L"Name", L"b.jpg");
    SetColumn(file.Get(), L"Reserved2", L"..\\b.jpg");
    EXPECT_EQ(E_INVALIDARG, handset.Files()->UpdateItem(file.Get()));
}

TEST(FileChange, FoldersAreMadeAndEntriesDeleted)
{
    SimFiles handset(kA290);
    ComPtr<IItem> folder = handset.Entry(QELDT_FOLDER, L"/Images", L"Trips");
    SUID suid = 0;
    ASSERT_EQ(S_OK, handset.Files()->CreateItem(folder.Get(), &suid));
    EXPECT_TRUE(Exists(handset.Local(L"/tfs4/a/users/Images/Trips")));
    EXPECT_EQ(static_cast<SUID>(CKelvraFile::LastFolderId()), suid);
    ExpectColumn(folder.Get(), L"LimitFileType", VT_BSTR, L"106;101;112;120;109");
    ExpectColumn(folder.Get(), L"Status", VT_UI4, L"3");
    ASSERT_EQ(S_OK, handset.Files()->DeleteItem(folder.Get()));
    EXPECT_FALSE(Exists(handset.Local(L"/tfs4/a/users/Images/Trips")));

    handset.File(L"/mvfs/mv/Music/a.mp3", "a");
    ASSERT_EQ(S_OK, handset.Files()->DeleteItem(handset.Entry(QELDT_FILE, L"\\Music", L"a.mp3").Get()));
    EXPECT_FALSE(Exists(handset.Local(L"/mvfs/mv/Music/a.mp3")));

    // An item that names no entry, or climbs out of its folder, deletes nothing.
    EXPECT_EQ(E_INVALIDARG, handset.Files()->DeleteItem(handset.Entry(QELDT_FOLDER, L"/Images", L"").Get()));
    handset.Folder(L"/tfs4/a/users/Spare");
    EXPECT_EQ(E_INVALIDARG, handset.Files()->DeleteItem(handset.Entry(QELDT_FOLDER, L"/Images/..", L"Spare").Get()));
    EXPECT_TRUE(Exists(handset.Local(L"/tfs4/a/users/Images")));
    EXPECT_TRUE(Exists(handset.Local(L"/tfs4/a/users/Spare")));
    EXPECT_EQ(E_POINTER, handset.Files()->NewItem(QELDT_FILE, 0, 0, nullptr));
}
