#pragma once
// Counts the test binary's heap allocations (operator new) and the bytes they
// hold, so tests can state "does not allocate" and "holds at most N bytes",
// and makes a chosen allocation fail, so tests can provoke running out of
// memory.

#include <cstddef>
#include <cstdint>

namespace AllocCounter {
std::size_t Allocations();  // operator new calls so far
std::size_t LiveBytes();    // bytes allocated and not yet freed

// The whole C heap (malloc and its kin, under operator new and under Qt's
// containers, which allocate with malloc): the bytes held now, and the most
// held since the last ResetHeapPeak. Counted only where this build can
// (CountsHeap): a sanitizer's allocator takes the place of malloc there.
bool CountsHeap();
std::int64_t HeapBytes();
std::int64_t PeakHeapBytes();
void ResetHeapPeak();

// While it lives, `successes` more allocations go through and the next one
// raises std::bad_alloc; every allocation after that goes through again.
class TFailAllocation {
public:
    explicit TFailAllocation(std::size_t successes);
    ~TFailAllocation();
    TFailAllocation(const TFailAllocation&) = delete;
    TFailAllocation& operator=(const TFailAllocation&) = delete;
};
}  // namespace AllocCounter
