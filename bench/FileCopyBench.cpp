#include "FileCopyBench.h"

#include <fstream>
#include <stdexcept>

#include "BenchSession.h"
#include "ItemColumns.h"
#include "TableSpec.h"

namespace kelvra::bench {

namespace {

constexpr int kModel = 211;  // KTM-A290
const wchar_t kFolder[] = L"/Images";

std::wstring Name(int i)
{
    return L"photo" + std::to_wstring(1000 + i) + L".jpg";
}

ComPtr<IItem> FileItem(IDataTable* table, int i, const std::wstring& pcPath)
{
    ComPtr<IItem> item = NewItemOf(table, QELDT_FILE);
    SetText(item.Get(), L"Reserved1", kFolder);
    SetText(item.Get(), L"Name", Name(i));
    SetText(item.Get(), L"FileSize", std::to_wstring(FileCopyBench::kFileBytes));
    SetText(item.Get(), L"PCPath", pcPath);
    return item;
}

// The copies' bytes: every one of the n files must have arrived whole.
uint64_t CopiedBytes(const std::wstring& folder, int n)
{
    uint64_t bytes = 0;
    for (int i = 0; i < n; ++i) {
        uint64_t size = FileSize(folder + L"\\" + Name(i));
        if (size != FileCopyBench::kFileBytes)
            throw std::runtime_error("a copied file holds " + std::to_string(size) + " bytes instead of " +
                                     std::to_string(FileCopyBench::kFileBytes));
        bytes += size;
    }
    return bytes;
}

// Where the simulator keeps a folder of the phone memory, below the handset's file root.
std::wstring PcFolderOf(BenchSession& session, const std::wstring& folder)
{
    std::wstring path = session.FileRoot() + session.Device().Model().Text(L"PhoneRootPath_Path") + folder;
    for (wchar_t& c : path)
        c = c == L'/' ? L'\\' : c;
    return path;
}

std::string Noted(const std::string& note)
{
    return "(the file's bytes, which the agent copies without packets)" + (note.empty() ? "" : " " + note);
}

}  // namespace

void FileCopyBench::Run(const std::vector<int>& wanted)
{
    for (const PhaseSize& size :
         SizesWithin(wanted, kPhoneMemory / static_cast<LONG>(kFileBytes), "the phone memory holds"))
        Run(size.n, size.note);
}

void FileCopyBench::Run(int n, const std::string& note)
{
    BenchSession session(kModel, m_platform);
    session.UseFileSystem();
    std::wstring source = session.Folder() + L"\\source.jpg";
    std::ofstream(source.c_str(), std::ios::binary) << std::string(kFileBytes, '\x5A');
    std::wstring copies = session.Folder() + L"\\copies";
    CreateDirectoryW(copies.c_str(), nullptr);
    IDataTable* table = session.Table(DTID_FILE);

    PhaseFigures toHandset = session.Measure([&] {
        for (int i = 0; i < n; ++i)
            Check(FileItem(table, i, source)->WriteBlobFrom(0, nullptr), "Copying a file to the handset");
    });
    toHandset.bytes += CopiedBytes(PcFolderOf(session, kFolder), n);
    m_report.Add({"files", "to-handset", session.ModelName(), n, toHandset, Noted(note)});

    PhaseFigures toPc = session.Measure([&] {
        for (int i = 0; i < n; ++i)
            Check(FileItem(table, i, copies + L"\\" + Name(i))->ReadBlobTo(0, nullptr), "Copying a file to the PC");
    });
    toPc.bytes += CopiedBytes(copies, n);
    m_report.Add({"files", "to-pc", session.ModelName(), n, toPc, Noted(note)});
}

}  // namespace kelvra::bench
