// The heap that serves every C++ allocation of the benchmark's process, the component's
// and the simulator's included.
#pragma once

#include <windows.h>

#include <cstddef>

namespace kelvra::bench {

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
    static void* Allocate(size_t size);
    static void Release(void* block) noexcept;

private:
    static constexpr size_t kHeader = 16;  // the block's class, and 16-byte alignment kept
    static constexpr size_t kSmallest = 256;  // classes of 16 bytes up to here
    static constexpr size_t kClasses = 48;  // then four a doubling, up to 64 KiB
    static constexpr size_t kLarge = kClasses;  // larger blocks come from the process heap
    static constexpr size_t kChunk = 1 << 20;

    static size_t ClassOf(size_t size, size_t& rounded);
    // A freed block of the class, or a new one cut from the current chunk.
    void* Take(size_t sizeClass, size_t bytes);

    static SizeClassHeap the;
    void* m_free[kClasses] = {};
    char* m_cursor = nullptr;
    size_t m_left = 0;
    SRWLOCK m_lock = SRWLOCK_INIT;
};

}  // namespace kelvra::bench
