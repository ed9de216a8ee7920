// Lists, creates and updates N contacts through IDataTable against the simulator, with
// the pauses switched off, and prints what each record costs: CPU time, packets, bytes,
// and the process's memory. The bare packet exchange is measured alongside. Every C++
// allocation of the component and the simulator is served from size classes, as the
// Windows heap serves small blocks (see SizeClassHeap).
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "DeviceDataKELVRA.h"
#include "KelvraBase.h"
#include "ByteCursor.h"
#include "Platform.h"
#include "SimConnection.h"
#include "SimModelDatabase.h"

using namespace kelvra;

namespace {

// Wine's heap keeps its free blocks of one to four KiB on a single first-fit list, and
// an allocation walks that list until it finds a block large enough. The simulated
// handset keeps its records in this process, each one put there while the buffers of
// the write that made it were in use; freed, those buffers leave pieces too small for a
// record between the records, and every later allocation of a record's size walks past
// all of them. A phase's figures then weigh how earlier phases happened to lay out the
// heap: a change in how contacts are created moved the listing's figure by a quarter,
// and even a change in this program's own allocations moved it by a tenth. The
// component runs on Windows, whose heap serves small blocks from size classes; so does
// this heap, for the component and the simulator alike, and a freed block goes back to
// its class for the next block of that size.
class SizeClassHeap {
public:
    static void* Allocate(size_t size)
    {
        size_t rounded = 0;
        size_t sizeClass = ClassOf(size, rounded);
        void* start = sizeClass == kLarge ? HeapAlloc(GetProcessHeap(), 0, size + kHeader)
                                          : the.Take(sizeClass, rounded + kHeader);
        if (!start)
            throw std::bad_alloc();
        *static_cast<size_t*>(start) = sizeClass;
        return static_cast<char*>(start) + kHeader;
    }

    static void Release(void* block) noexcept
    {
        if (!block)
            return;
        void* start = static_cast<char*>(block) - kHeader;
        size_t sizeClass = *static_cast<size_t*>(start);
        if (sizeClass == kLarge) {
            HeapFree(GetProcessHeap(), 0, start);
            return;
        }
        AcquireSRWLockExclusive(&the.m_lock);
        *static_cast<void**>(start) = the.m_free[sizeClass];
        the.m_free[sizeClass] = start;
        ReleaseSRWLockExclusive(&the.m_lock);
    }

private:
    static constexpr size_t kHeader = 16;  // the block's class, and 16-byte alignment kept
    static constexpr size_t kSmallest = 256;  // classes of 16 bytes up to here
    static constexpr size_t kClasses = 48;  // then four a doubling, up to 64 KiB
    static constexpr size_t kLarge = kClasses;  // larger blocks come from the process heap
    static constexpr size_t kChunk = 1 << 20;

    static size_t ClassOf(size_t size, size_t& rounded)
    {
        size = size ? size : 1;
        if (size <= kSmallest) {
            rounded = (size + 15) / 16 * 16;
            return rounded / 16 - 1;
        }
        size_t sizeClass = kSmallest / 16;
        for (size_t top = kSmallest; sizeClass < kClasses; top *= 2) {
            for (size_t step = 1; step <= 4; ++step, ++sizeClass) {
                if (size <= top + top / 4 * step) {
                    rounded = top + top / 4 * step;
                    return sizeClass;
                }
            }
        }
        return kLarge;
    }

    // A freed block of the class, or a new one cut from the current chunk.
    void* Take(size_t sizeClass, size_t bytes)
    {
        AcquireSRWLockExclusive(&m_lock);
        void* block = m_free[sizeClass];
        if (block) {
            m_free[sizeClass] = *static_cast<void**>(block);
        } else {
            if (m_left < bytes) {
                m_cursor = static_cast<char*>(VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
                m_left = m_cursor ? kChunk : 0;
            }
            if (m_left >= bytes) {
                block = m_cursor;
                m_cursor += bytes;
                m_left -= bytes;
            }
        }
        ReleaseSRWLockExclusive(&m_lock);
        return block;
    }

    static SizeClassHeap the;
    void* m_free[kClasses] = {};
    char* m_cursor = nullptr;
    size_t m_left = 0;
    SRWLOCK m_lock = SRWLOCK_INIT;
};

constinit SizeClassHeap SizeClassHeap::the;

class QuietPlatform : public Platform {
public:
    void Sleep(DWORD) override {}
    void DebugOutput(const wchar_t*) override {}
    std::wstring AppDataFolder() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::wstring folder = std::wstring(temp) + L"kelvra-bench";
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }
};

// The simulated handset answers in-process and every pause is off, so a phase keeps
// its one thread busy: its elapsed time is its CPU time, measured far more finely than
// the process CPU clock allows.
double CpuSeconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Committed private memory of the process.
double PrivateMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage / (1024.0 * 1024.0);
}

struct Session {
    ComPtr<CDeviceDataKELVRA> device = CDeviceDataKELVRA::Make();
    ComPtr<sim::SimConnection> handset = sim::SimConnection::Make();
    ComPtr<sim::SimModelDatabase> models = sim::SimModelDatabase::Make();
    ComPtr<IDataTable> phonebook;

    Session()
    {
        // KTM-A290 holds 2000 contacts.
        for (auto [key, value] : {std::pair{L"PhoneInfo.FromRes", L"true"}, std::pair{L"PhoneInfo.ResID", L"211"},
                                  std::pair{L"Datastore.Phonebook.PB_GROUP", L"true"},
                                  std::pair{L"Phonebook.Photo", L"false"}})
            models->SetValue(Bstr(key).Get(), Bstr(value).Get());
        device->SetConneciton(static_cast<ISimHandset*>(handset.Get()), static_cast<ISimModelDatabase*>(models.Get()));
        device->ListDataTable();
        device->GetDataTable(DTID_PHONEBOOK, phonebook.GetAddressOf());
    }
    sim::SimHandset& Sim() { return handset->State().handset; }
};

struct Figures {
    double cpu;
    long packets;
    uint64_t bytes;
};

Figures Measure(Session& session, const std::function<void()>& work)
{
    double cpu = CpuSeconds();
    long packets = session.Sim().RequestCount();
    uint64_t bytes = session.Sim().BytesIn() + session.Sim().BytesOut();
    work();
    return {CpuSeconds() - cpu, session.Sim().RequestCount() - packets,
            session.Sim().BytesIn() + session.Sim().BytesOut() - bytes};
}

void Print(const char* phase, int n, const Figures& f, double bareCpuPerPacket)
{
    double perRecord = f.cpu / n * 1e6;
    double packets = static_cast<double>(f.packets) / n;
    double ratio = bareCpuPerPacket > 0 && packets > 0 ? perRecord / (bareCpuPerPacket * packets) : 0;
    printf("  %-8s %8.1f us/record %8.2f packets/record %10.0f bytes/record %8.1fx bare\n", phase, perRecord, packets,
           static_cast<double>(f.bytes) / n, ratio);
}

void SetText(IItem* item, ULONG column, const std::wstring& text)
{
    item->SetValue(column, Variant::FromText(text).Get());
}

void Run(int n)
{
    Session session;

    Figures created = Measure(session, [&] {
        for (int i = 0; i < n; ++i) {
            ComPtr<IItem> item;
            session.phonebook->NewItem(QELDT_PHONEBOOK, 0, 0, item.GetAddressOf());
            SetText(item.Get(), 2, L"Contact " + std::to_wstring(i));  // FIRST_NAME
            SetText(item.Get(), 6, L"010-" + std::to_wstring(1000 + i) + L"-0000");  // TEL_NUM_0
            SetText(item.Get(), 37, L"contact" + std::to_wstring(i) + L"@example.org");  // EMAIL_ADDR_0
            SUID suid = 0;
            session.phonebook->CreateItem(item.Get(), &suid);
        }
    });

    double before = PrivateMegabytes();  // the handset's records are in memory by now
    std::vector<ComPtr<IItem>> items;
    Figures listed = Measure(session, [&] {
        session.phonebook->ListItemsAllBegin();
        for (;;) {
            ComPtr<IItem> item;
            if (FAILED(session.phonebook->NextItem(item.GetAddressOf())) || !item)
                break;
            items.push_back(item);
        }
    });
    double peak = PrivateMegabytes();

    Figures updated = Measure(session, [&] {
        for (auto& item : items) {
            SetText(item.Get(), 64, L"updated");  // NOTES
            session.phonebook->UpdateItem(item.Get());
        }
    });
    items.clear();
    double after = PrivateMegabytes();
    for (int again = 0; again < 3; ++again) {
        session.phonebook->ListItemsAllBegin();
        for (;;) {
            ComPtr<IItem> item;
            if (FAILED(session.phonebook->NextItem(item.GetAddressOf())) || !item)
                break;
        }
    }
    double afterRepeats = PrivateMegabytes();

    // The bare exchange: the same record reads with no table, item or codec around them.
    CKelvraBase link(session.device->Agent());
    Figures bare = Measure(session, [&] {
        for (int i = 1; i <= n; ++i) {
            uint32_t received = 0;
            link.ExchangeAlloc(ByteWriter().U16LE(0x4120).U32LE(8).U32LE(1).U32LE(static_cast<uint32_t>(i)).Take(),
                               received, 2000);
        }
    });
    double bareCpuPerPacket = bare.cpu / bare.packets * 1e6;

    printf("N = %d contacts (model KTM-A290, %zu-byte records)\n", n, session.Sim().FindRecord(1, 1)->size());
    Print("create", n, created, bareCpuPerPacket);
    Print("list", n, listed, bareCpuPerPacket);
    Print("update", n, updated, bareCpuPerPacket);
    Print("bare", n, bare, bareCpuPerPacket);
    printf("  memory: %.1f MB before listing, %.1f MB holding every listed item, %.1f MB after releasing "
           "them, %.1f MB after three more listings\n\n",
           before, peak, after, afterRepeats);
}

}  // namespace

void* operator new(size_t size)
{
    return SizeClassHeap::Allocate(size);
}

void operator delete(void* block) noexcept
{
    SizeClassHeap::Release(block);
}

void operator delete(void* block, size_t) noexcept
{
    SizeClassHeap::Release(block);
}

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    QuietPlatform quiet;
    Platform::Install(&quiet);
    std::vector<int> sizes = {100, 1000, 2000};
    if (argc > 1)
        sizes = {atoi(argv[1])};
    for (int n : sizes)
        Run(n);
    Platform::Install(nullptr);
    CoUninitialize();
    return 0;
}
