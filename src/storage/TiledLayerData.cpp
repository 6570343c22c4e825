#include "storage/TiledLayerData.h"

#include <zlib.h>
#include <QByteArray>
#if STAGE_HAVE_ZSTD
#include <zstd.h>
#endif

#include <charconv>
#include <memory>

namespace {

TTiledLayerData Refused(std::string why)
{
    return TTiledLayerData{{}, std::move(why)};
}

std::string CountText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " cell" : " cells");
}

bool IsSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

TTiledLayerData DecodeCsv(std::string_view text, std::size_t cellCount)
{
    TTiledLayerData data;
    data.Gids.reserve(cellCount);
    std::size_t at = 0;
    const auto skipSpace = [&] {
        while (at < text.size() && IsSpace(text[at]))
            ++at;
    };
    skipSpace();
    while (at < text.size()) {
        if (data.Gids.size() == cellCount)
            return Refused("its CSV data holds more than the " + CountText(cellCount) + " the map has");
        std::uint32_t gid = 0;
        const auto [stop, error] = std::from_chars(text.data() + at, text.data() + text.size(), gid);
        if (error != std::errc() || stop == text.data() + at)
            return Refused("its CSV data holds \"" + std::string(text.substr(at, 12))
                           + "\" where a tile number should be (cell " + std::to_string(data.Gids.size()) + ")");
        data.Gids.push_back(gid);
        at = static_cast<std::size_t>(stop - text.data());
        skipSpace();
        if (at < text.size() && text[at] == ',') {
            ++at;
            skipSpace();
        } else if (at < text.size()) {
            return Refused("its CSV data holds \"" + std::string(1, text[at]) + "\" after cell "
                           + std::to_string(data.Gids.size() - 1));
        }
    }
    if (data.Gids.size() != cellCount)
        return Refused("its CSV data holds " + CountText(data.Gids.size()) + ", not the " + CountText(cellCount)
                       + " the map has");
    return data;
}

// The inflated bytes, at most `limit`: inflating stops there, so a layer
// whose data grows beyond it costs no more than that.
struct TInflated {
    std::string Bytes;
    std::string Error;
};

TInflated InflateZlib(const QByteArray& packed, bool gzip, std::size_t limit)
{
    TInflated out;
    z_stream stream{};
    if (inflateInit2(&stream, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK)
        return {{}, "zlib cannot start"};
    const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, inflateEnd);
    out.Bytes.resize(limit);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.Bytes.data());
    stream.avail_out = static_cast<uInt>(limit);
    const std::string name = gzip ? "gzip" : "zlib";
    for (;;) {
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END || (result == Z_OK && stream.avail_out == 0))
            break;
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            return {{}, name + " data ends too soon"};
        if (result != Z_OK)
            return {{},
                    name + " data is damaged" + (stream.msg ? std::string(" (") + stream.msg + ")" : std::string())};
    }
    out.Bytes.resize(limit - stream.avail_out);
    return out;
}

#if STAGE_HAVE_ZSTD
TInflated InflateZstd(const QByteArray& packed, std::size_t limit)
{
    TInflated out;
    const std::unique_ptr<ZSTD_DStream, std::size_t (*)(ZSTD_DStream*)> stream(ZSTD_createDStream(), ZSTD_freeDStream);
    if (!stream)
        return {{}, "zstd cannot start"};
    out.Bytes.resize(limit);
    ZSTD_inBuffer in{packed.data(), static_cast<std::size_t>(packed.size()), 0};
    ZSTD_outBuffer buffer{out.Bytes.data(), limit, 0};
    std::size_t result = 1;
    while (result != 0 && buffer.pos < buffer.size) {
        result = ZSTD_decompressStream(stream.get(), &buffer, &in);
        if (ZSTD_isError(result))
            return {{}, std::string("zstd data is damaged (") + ZSTD_getErrorName(result) + ")"};
        if (result != 0 && in.pos == in.size && buffer.pos < buffer.size)
            return {{}, "zstd data ends too soon"};
    }
    out.Bytes.resize(buffer.pos);
    return out;
}
#endif

TTiledLayerData DecodeBase64(std::string_view compression, std::string_view text, std::size_t cellCount)
{
    QByteArray packed;
    packed.reserve(static_cast<qsizetype>(text.size()));
    for (const char ch : text)
        if (!IsSpace(ch))
            packed.push_back(ch);
    auto decoded = QByteArray::fromBase64Encoding(packed, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return Refused("its base64 data is damaged");
    const std::size_t wanted = cellCount * 4;
    TInflated bytes;
    if (compression.empty()) {
        bytes.Bytes.assign(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size()));
    } else if (compression == "zlib" || compression == "gzip") {
        bytes = InflateZlib(decoded.decoded, compression == "gzip", wanted + 1);
    } else if (compression == "zstd") {
#if STAGE_HAVE_ZSTD
        bytes = InflateZstd(decoded.decoded, wanted + 1);
#else
        return Refused(
            "its data is compressed with zstd, which this build cannot read; save the map with zlib or "
            "gzip compression");
#endif
    } else {
        return Refused("its data is compressed with \"" + std::string(compression)
                       + "\", which Tiled does not write (zlib, gzip or zstd)");
    }
    if (!bytes.Error.empty())
        return Refused("its " + bytes.Error);
    if (bytes.Bytes.size() > wanted && !compression.empty())
        return Refused("its data is larger than the " + std::to_string(wanted) + " bytes the map's "
                       + CountText(cellCount) + " need; it is not read");
    if (bytes.Bytes.size() != wanted)
        return Refused("its data holds " + std::to_string(bytes.Bytes.size()) + " bytes, not the "
                       + std::to_string(wanted) + " the map's " + CountText(cellCount) + " need");
    TTiledLayerData data;
    data.Gids.resize(cellCount);
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.Bytes.data());
    for (std::size_t i = 0; i < cellCount; ++i)
        data.Gids[i] = static_cast<std::uint32_t>(raw[4 * i]) | static_cast<std::uint32_t>(raw[4 * i + 1]) << 8
                       | static_cast<std::uint32_t>(raw[4 * i + 2]) << 16
                       | static_cast<std::uint32_t>(raw[4 * i + 3]) << 24;
    return data;
}

}  // namespace

TTiledLayerData DecodeTiledLayerData(std::string_view encoding, std::string_view compression, std::string_view text,
                                     std::size_t cellCount)
{
    if (encoding == "csv") {
        if (!compression.empty())
            return Refused("its CSV data claims a compression, which CSV never has");
        return DecodeCsv(text, cellCount);
    }
    if (encoding == "base64")
        return DecodeBase64(compression, text, cellCount);
    return Refused("its data is encoded as \"" + std::string(encoding)
                   + "\", which Tiled does not write (csv or base64)");
}

std::string EncodeTiledCsv(const std::vector<std::uint32_t>& gids, int width)
{
    std::string text;
    text.reserve(gids.size() * 3);
    for (std::size_t i = 0; i < gids.size(); ++i) {
        text += std::to_string(gids[i]);
        if (i + 1 < gids.size())
            text += (i + 1) % static_cast<std::size_t>(width) == 0 ? ",\n" : ",";
    }
    return text;
}
