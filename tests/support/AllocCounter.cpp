#include "support/AllocCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

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
