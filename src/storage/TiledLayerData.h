#pragma once
// A Tiled tile layer's cells in the encodings Tiled writes: CSV, or base64
// of the 32-bit little-endian numbers, uncompressed or compressed with zlib,
// gzip or (where the library is at hand) zstd.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The cells of a layer as global tile ids (flag bits included), row by row,
// or why they cannot be read.
struct TTiledLayerData {
    std::vector<std::uint32_t> Gids;
    std::string Error;

    explicit operator bool() const { return Error.empty(); }
};

// Decodes a <data> element's text: `encoding` "csv" or "base64", with
// `compression` "", "zlib", "gzip" or "zstd". Exactly `cellCount` cells are
// wanted; compressed data is inflated into at most 4 bytes a cell plus one,
// so a layer that would grow any larger is refused without inflating it.
TTiledLayerData DecodeTiledLayerData(std::string_view encoding, std::string_view compression, std::string_view text,
                                     std::size_t cellCount);

// The cells as Tiled writes CSV: one line a row, commas between the numbers
// and after every row but the last.
std::string EncodeTiledCsv(const std::vector<std::uint32_t>& gids, int width);
