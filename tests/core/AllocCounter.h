#pragma once
// Counts the test binary's heap allocations (operator new) and the bytes they
// hold, so tests can state "does not allocate" and "holds at most N bytes".

#include <cstddef>

namespace AllocCounter {
std::size_t Allocations();  // operator new calls so far
std::size_t LiveBytes();    // bytes allocated and not yet freed
}  // namespace AllocCounter
