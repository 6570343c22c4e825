#include "support/AllocCounter.h"

#include <malloc.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

// The C heap is counted by taking the place of malloc and its kin (as
// glibc allows a program to) and handing each call on to glibc's own, with
// the block's usable size as its weight. (valloc and pvalloc, which nothing
// here calls, are not counted.)
#if defined(__SANITIZE_ADDRESS__)
#define STAGE_COUNT_HEAP 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define STAGE_COUNT_HEAP 0
#endif
#endif
#ifndef STAGE_COUNT_HEAP
#define STAGE_COUNT_HEAP 1
#endif

#if STAGE_COUNT_HEAP
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}
#endif

namespace {
std::atomic<std::int64_t> heapBytes{0};
std::atomic<std::int64_t> peakHeapBytes{0};

[[maybe_unused]] void* Counted(void* pointer)
{
    if (pointer) {
        const std::int64_t held = heapBytes += static_cast<std::int64_t>(malloc_usable_size(pointer));
        for (std::int64_t peak = peakHeapBytes; held > peak && !peakHeapBytes.compare_exchange_weak(peak, held);) {
        }
    }
    return pointer;
}

[[maybe_unused]] void Uncounted(void* pointer)
{
    if (pointer)
        heapBytes -= static_cast<std::int64_t>(malloc_usable_size(pointer));
}
}  // namespace

#if STAGE_COUNT_HEAP
extern "C" {
void* malloc(std::size_t size)
{
    return Counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size)
{
    return Counted(__libc_calloc(count, size));
}
void* realloc(void* pointer, std::size_t size)
{
    Uncounted(pointer);
    void* moved = __libc_realloc(pointer, size);
    if (moved)
        return Counted(moved);
    // A failed realloc leaves the block where it was; realloc(p, 0) freed it.
    if (size != 0)
        Counted(pointer);
    return nullptr;
}
void* reallocarray(void* pointer, std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return realloc(pointer, count * size);
}
void free(void* pointer)
{
    Uncounted(pointer);
    __libc_free(pointer);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    return Counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    void* pointer = memalign(alignment, size);
    if (!pointer)
        return ENOMEM;
    *out = pointer;
    return 0;
}
}
#endif

// Each block carries its size in a 16-byte header, so the live byte count
// stays exact whichever delete form frees it.
namespace {
std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> liveBytes{0};
// Allocations left before the one that fails; -1 when none is to fail.
std::atomic<long long> failAfter{-1};
constexpr std::size_t Header = 16;

void* Allocate(std::size_t size)
{
    long long left = failAfter.load();
    while (left >= 0 && !failAfter.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0)
        throw std::bad_alloc();
    auto* block = static_cast<unsigned char*>(std::malloc(size + Header));
    if (!block)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    ++allocations;
    liveBytes += size;
    return block + Header;
}

void Release(void* pointer) noexcept
{
    if (!pointer)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - Header;
    liveBytes -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}
}  // namespace

std::size_t AllocCounter::Allocations()
{
    return allocations;
}
std::size_t AllocCounter::LiveBytes()
{
    return liveBytes;
}

bool AllocCounter::CountsHeap()
{
    return STAGE_COUNT_HEAP != 0;
}
std::int64_t AllocCounter::HeapBytes()
{
    return heapBytes;
}
std::int64_t AllocCounter::PeakHeapBytes()
{
    return peakHeapBytes;
}
void AllocCounter::ResetHeapPeak()
{
    peakHeapBytes = heapBytes.load();
}

AllocCounter::TFailAllocation::TFailAllocation(std::size_t successes)
{
    failAfter = static_cast<long long>(successes);
}

AllocCounter::TFailAllocation::~TFailAllocation()
{
    failAfter = -1;
}

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* pointer) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    Release(pointer);
}
// The nothrow forms too: a sanitizer's runtime would otherwise give them
// blocks without the header, which the deletes above then misread (the
// standard library's temporary buffers take them).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    Release(pointer);
}
