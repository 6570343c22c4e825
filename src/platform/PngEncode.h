#pragma once
// Pictures written as PNG, encoded whole in memory so that the file can go
// out through the one safe write.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The PNG file of width x height pixels (0x00RRGGBB, top row first; the top
// byte is ignored), or nothing when it cannot be encoded (no memory, a size
// of 0 or beyond what PNG holds, fewer pixels than the size needs).
// `compression` is zlib's level, 0 (fastest) to 9 (smallest); -1 takes the
// encoder's default.
std::optional<std::string> EncodePng(const std::vector<std::uint32_t>& pixels, int width, int height,
                                     int compression = -1);
