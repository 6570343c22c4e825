#pragma once
// Tiled maps as a designer's copy of Tiled may write them: a layer's cells
// packed in each of Tiled's layer encodings and swapped into a map's text.

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

enum class TPacking { Csv, Base64, Zlib, Gzip, Zstd, XmlTiles };

// zlib's or gzip's stream of `bytes`.
inline std::string Deflated(const std::string& bytes, bool gzip)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzip ? 16 + MAX_WBITS : MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
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

inline std::string ZstdPacked(const std::string& bytes)
{
#if STAGE_HAVE_ZSTD
    std::string out(ZSTD_compressBound(bytes.size()), '\0');
    out.resize(ZSTD_compress(out.data(), out.size(), bytes.data(), bytes.size(), 3));
    return out;
#else
    (void)bytes;
    throw std::logic_error("no zstd in this build");
#endif
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

// A <data> element holding `gids` packed as `packing` asks.
inline std::string DataElement(const std::vector<std::uint32_t>& gids, TPacking packing)
{
    std::string csv;
    for (const std::uint32_t gid : gids)
        csv += (csv.empty() ? "" : ",") + std::to_string(gid);
    const std::string bytes = LittleEndian(gids);
    switch (packing) {
    case TPacking::Csv: return "<data encoding=\"csv\">\n" + csv + "\n</data>";
    case TPacking::Base64: return "<data encoding=\"base64\">\n   " + Base64(bytes) + "\n  </data>";
    case TPacking::Zlib:
        return "<data encoding=\"base64\" compression=\"zlib\">" + Base64(Deflated(bytes, false)) + "</data>";
    case TPacking::Gzip:
        return "<data encoding=\"base64\" compression=\"gzip\">" + Base64(Deflated(bytes, true)) + "</data>";
    case TPacking::Zstd:
        return "<data encoding=\"base64\" compression=\"zstd\">" + Base64(ZstdPacked(bytes)) + "</data>";
    case TPacking::XmlTiles: break;
    }
    std::string tiles = "<data>";
    for (const std::uint32_t gid : gids)
        tiles += gid == 0 ? "<tile/>" : "<tile gid=\"" + std::to_string(gid) + "\"/>";
    return tiles + "</data>";
}

// `map` with the <data> element of the layer named `layer` replaced.
inline std::string WithLayerData(std::string map, const std::string& layer, const std::string& data)
{
    const std::size_t at = map.find("name=\"" + layer + "\"");
    const std::size_t start = map.find("<data", at);
    const std::size_t end = map.find("</data>", start);
    if (at == std::string::npos || start == std::string::npos || end == std::string::npos)
        throw std::logic_error("no data of layer " + layer);
    return map.replace(start, end + 7 - start, data);
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
