#include "editor/RandomGen.h"

#include <chrono>

std::uint32_t RandomSeed = 0;

void Randomize()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = duration_cast<milliseconds>(now) % duration_cast<milliseconds>(days(1));
    RandomSeed = static_cast<std::uint32_t>(sinceMidnight.count());
}
