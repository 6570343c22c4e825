#pragma once
// Counts the test binary's heap allocations (operator new) and the bytes they
// hold, so tests can state "does not allocate" and "holds at most N bytes",
// and makes a chosen allocation fail, so tests can provoke running out of
// memory.

#include <cstddef>

namespace AllocCounter {
std::size_t Allocations();  // operator new calls so far
std::size_t LiveBytes();    // bytes allocated and not yet freed

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
