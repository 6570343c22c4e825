#pragma once
// Tiled's layer data as a designer's copy of Tiled may pack it, and edits of
// a map's text.

#include "stage/TileCodes.h"

#include <zlib.h>
#include <QByteArray>
#if STAGE_HAVE_ZSTD
#include <zstd.h>
#endif

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The compressions of base64 layer data this build reads.
inline std::vector<std::string> TiledCompressions()
{
#if STAGE_HAVE_ZSTD
    return {"zlib", "gzip", "zstd"};
#else
    return {"zlib", "gzip"};
#endif
}

// `bytes` compressed as Tiled names it: "zlib", "gzip", "zstd" or "" (none).
inline std::string Compressed(const std::string& bytes, const std::string& compression)
{
    if (compression.empty())
        return bytes;
#if STAGE_HAVE_ZSTD
    if (compression == "zstd") {
        std::string out(ZSTD_compressBound(bytes.size()), '\0');
        out.resize(ZSTD_compress(out.data(), out.size(), bytes.data(), bytes.size(), 3));
        return out;
    }
#endif
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, compression == "gzip" ? 16 + MAX_WBITS : MAX_WBITS, 8,
                 Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

inline std::string Base64(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64().toStdString();
}

// The tile numbers as Tiled's binary layer data: 32-bit little-endian.
inline std::string LittleEndian(const std::vector<std::uint32_t>& gids)
{
    std::string bytes;
    for (const std::uint32_t gid : gids)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((gid >> shift) & 0xFFu));
    return bytes;
}

// `text` with its first `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::logic_error("no \"" + from + "\" to replace");
    return text.replace(at, from.size(), to);
}

// A layer's cells (column-major, as a record holds them) as the tile numbers
// of a map whose stage tileset starts at `firstGid`, row by row.
inline std::vector<std::uint32_t> GidsOf(const std::int16_t (&cells)[FieldColumns][FieldRows],
                                         std::uint32_t firstGid = 1)
{
    std::vector<std::uint32_t> gids;
    for (int y = 0; y < FieldRows; ++y)
        for (int x = 0; x < FieldColumns; ++x)
            gids.push_back(cells[x][y] < 0 ? 0 : static_cast<std::uint32_t>(cells[x][y]) + firstGid);
    return gids;
}
