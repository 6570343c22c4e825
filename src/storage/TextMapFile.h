#pragma once
// Reading a text map file whole, with a bound: a text map is about 8 KB, so a
// file far larger is the wrong file, and reading it whole could exhaust the
// memory.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

constexpr std::size_t MaxTextMapBytes = std::size_t{16} << 20;  // 16 MB

// The file's bytes, or why they could not be read in words for the user (the
// caller adds the file's name).
struct TTextMapRead {
    std::string Bytes;
    std::string Error;

    explicit operator bool() const { return Error.empty(); }
};

// Reads the regular file `file` whole. A FIFO, socket, device or folder is
// refused without waiting for a writer, and a file of more than `maxBytes`
// (whole megabytes) is refused as more than `what` holds, after reading at most one byte
// more than that. Tiled's maps are read this way too.
TTextMapRead ReadTextMapFile(const std::filesystem::path& file, std::size_t maxBytes = MaxTextMapBytes,
                             std::string_view what = "a text map");
