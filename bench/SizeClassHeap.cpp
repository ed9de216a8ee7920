#include "SizeClassHeap.h"

#include <new>

namespace kelvra::bench {

constinit SizeClassHeap SizeClassHeap::the;

void* SizeClassHeap::Allocate(size_t size)
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

void SizeClassHeap::Release(void* block) noexcept
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

size_t SizeClassHeap::ClassOf(size_t size, size_t& rounded)
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

void* SizeClassHeap::Take(size_t sizeClass, size_t bytes)
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

}  // namespace kelvra::bench

void* operator new(size_t size)
{
    return kelvra::bench::SizeClassHeap::Allocate(size);
}

void operator delete(void* block) noexcept
{
    kelvra::bench::SizeClassHeap::Release(block);
}

void operator delete(void* block, size_t) noexcept
{
    kelvra::bench::SizeClassHeap::Release(block);
}
