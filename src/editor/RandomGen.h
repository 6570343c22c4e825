#pragma once
// The program-wide linear congruential generator used by the random stage and
// the fill tool. The exact sequence matters: generated stages depend on it.

#include <cstdint>

extern std::uint32_t RandomSeed;

// Advances the state once and returns an integer in 0..n-1 (n >= 1).
inline std::uint32_t Random(std::uint32_t n)
{
    RandomSeed = RandomSeed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandomSeed) * n) >> 32);
}

// Seeds from the UTC time of day in milliseconds.
void Randomize();
