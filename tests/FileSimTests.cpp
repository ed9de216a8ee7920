// The file table end to end over the simulated handset, whose files live in a folder of
// the PC: its model's folders, copies both ways with the host watching, a cancelled and
// a failing copy, and the renames of a create-and-delete model.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "FileTestSupport.h"
#include "KelvraFile.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

struct SimFiles : Handset {
    std::wstring root = MakeTempFolder(L"handset-files");
    std::wstring pc = MakeTempFolder(L"pc-files");
    std::vector<Progress> calls;
    size_t cancelAt = 0;

    explicit SimFiles(int resource) : Handset(resource)
    {
        EXPECT_EQ(S_OK, connection->put_FileRoot(Bstr(root).Get()));
        EXPECT_EQ(S_OK, connection->put_Model(resource));
        WatchProgress(device.Get(), calls, cancelAt);
    }
    std::wstring Local(std::wstring handsetPath) const
    {
        std::replace(handsetPath.begin(), handsetPath.end(), L'/', L'\\');
        return root + (handsetPath.front() == L'\\' ? L"" : L"\\") + handsetPath;
    }
    ComPtr<IItem> NewItem(QELDATATYPE type)
    {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, Table(DTID_FILE)->NewItem(type, 0, 0, item.GetAddressOf()));
        return item;
    }
    ComPtr<IItem> FileItem(const wchar_t* folder, const wchar_t* name, const std::wstring& pcPath)
    {
        ComPtr<IItem> item = NewItem(QELDT_FILE);
        SetColumn(item.Get(), L"Reserved1", folder);
        SetColumn(item.Get(), L"Name", name);
        SetColumn(item.Get(), L"PCPath", pcPath.c_str());
        return item;
    }
};

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 13 + i / 7);
    return bytes;
}

IItem* Named(const std::vector<ComPtr<IItem>>& items, const wchar_t* name)
{
    for (const auto& item : items) {
        if (ColumnText(item.Get(), L"Name") == name)
            return item.Get();
    }
    ADD_FAILURE() << "no item " << NarrowUtf8(name);
    return items.front().Get();
}

}  // namespace

TEST(FileSimulator, ListsTheModelsFoldersAndCopiesBothWaysByteForByte)
{
    SimFiles handset(211);  // KTM-A290
    std::string content = Pattern(20000);
    std::ofstream(handset.Local(L"/tfs4/a/users/Images/01 Blue sky.bmp").c_str(), std::ios::binary) << content;

    auto items = ListAll(handset.Table(DTID_FILE).Get());
    ExpectColumn(Named(items, L"Donwloaded images"), L"NotAllowedOperation", VT_UI4, L"323");
    ExpectColumn(Named(items, L"My photos"), L"LimitFileType", VT_BSTR, L"106;101;112;120;109");
    ExpectColumn(Named(items, L"01 Blue sky.bmp"), L"NotAllowedOperation", VT_UI4, L"259");
    ExpectColumn(Named(items, L"01 Blue sky.bmp"), L"FileSize", VT_UI4, L"20000");

    std::wstring copy = handset.pc + L"\\sky.bmp";
    ASSERT_EQ(S_OK, handset.FileItem(L"/Images", L"01 Blue sky.bmp", copy)->ReadBlobTo(0, nullptr));
    EXPECT_EQ(content, FileBytes(copy));
    ASSERT_GT(handset.calls.size(), 4u);
    EXPECT_EQ(20000, handset.calls.back().done);
    EXPECT_EQ("dispatch", handset.calls.back().sink);

    handset.calls.clear();
    ASSERT_EQ(S_OK, handset.FileItem(L"\\", L"back.bmp", copy)->WriteBlobFrom(0, nullptr));
    EXPECT_EQ(content, FileBytes(handset.Local(L"/mvfs/mv/back.bmp")));
    EXPECT_EQ(20000, handset.calls.back().done);
}

TEST(FileSimulator, ACancelledOrFailingCopyLeavesNoPartialFile)
{
    SimFiles handset(211);
    std::ofstream(handset.Local(L"/tfs4/a/users/Images/big.bmp").c_str(), std::ios::binary) << Pattern(20000);
    std::wstring copy = handset.pc + L"\\big.bmp";

    handset.cancelAt = 3;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CANCELLED),
              handset.FileItem(L"/Images", L"big.bmp", copy)->ReadBlobTo(0, nullptr));
    EXPECT_FALSE(Exists(copy));

    handset.cancelAt = 0;
    ASSERT_EQ(S_OK, handset.connection->FailCopyAfter(2, HRESULT_FROM_WIN32(ERROR_GEN_FAILURE)));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_GEN_FAILURE),
              handset.FileItem(L"/Images", L"big.bmp", copy)->ReadBlobTo(0, nullptr));
    EXPECT_FALSE(Exists(copy));
}

TEST(FileSimulator, KtmA230RenamesOnlyAnEmptyFolder)
{
    SimFiles handset(208);
    CreateDirectoryW(handset.Local(L"efs2/users/Empty").c_str(), nullptr);
    CreateDirectoryW(handset.Local(L"efs2/users/Full").c_str(), nullptr);
    std::ofstream(handset.Local(L"efs2/users/Full/keep.txt").c_str()) << "keep";
    auto rename = [&](const wchar_t* from, const wchar_t* to) {
        ComPtr<IItem> folder = handset.NewItem(QELDT_FOLDER);
        SetColumn(folder.Get(), L"Reserved1", L"/");
        SetColumn(folder.Get(), L"Name", from);
        SetColumn(folder.Get(), L"Reserved2", to);
        return handset.Table(DTID_FILE)->UpdateItem(folder.Get());
    };
    EXPECT_EQ(S_OK, rename(L"Empty", L"Renamed"));
    EXPECT_TRUE(Exists(handset.Local(L"efs2/users/Renamed")));
    EXPECT_FALSE(Exists(handset.Local(L"efs2/users/Empty")));

    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY), rename(L"Full", L"Moved"));
    EXPECT_EQ("keep", FileBytes(handset.Local(L"efs2/users/Full/keep.txt")));
    EXPECT_FALSE(Exists(handset.Local(L"efs2/users/Moved")));
}
