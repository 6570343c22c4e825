#pragma once
// The four mouse tools of the tool window, in the order of its buttons; the
// values are the buttons' tags.

#include <cstdint>

enum class TToolMode : std::uint8_t { Select = 0, Fill = 1, Pencil = 2, Box = 3 };
