#pragma once
// Background pictures decoded once per file, for drawing many stages in a
// row: a stage browser or a sheet of every stage names the same few pictures
// again and again.

#include "engine/Graphics.h"
#include "storage/FileLookup.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The picture in `file` read as the display reads one of that format.
// Raises EInvalidGraphic when it cannot be read or decoded.
std::shared_ptr<const TGraphic> LoadPicture(const std::filesystem::path& file, TPictureFormat format);

// Decoded pictures by the file they came from, each decoded once while it
// stays the same: a file whose size or modification time changed is read
// again, so a long-lived cache follows pictures that a designer replaces.
// Of each picture only the DisplayWidth x DisplayHeight pixels at its
// top-left corner are kept, all that a stage shows of it (the tiling repeats
// it from there), so even the largest picture fits. A file that cannot be
// decoded is kept as its error, raised again (as EInvalidGraphic) for every
// load until the file changes. Keeps at most `maxBytes` of pixels and
// MaxEntries files, dropping those used least recently; a picture larger
// than that is decoded but not kept.
class TPictureCache {
public:
    static constexpr std::size_t DefaultMaxBytes = std::size_t{64} << 20;
    static constexpr std::size_t MaxEntries = 32;

    explicit TPictureCache(std::size_t maxBytes = DefaultMaxBytes) : FMaxBytes(maxBytes) {}

    // As LoadPicture, but at most DisplayWidth x DisplayHeight pixels.
    std::shared_ptr<const TGraphic> Load(const std::filesystem::path& file, TPictureFormat format);

    // How many times a file was read and decoded; the bytes of pixels kept.
    int Decodes() const { return FDecodes; }
    std::size_t KeptBytes() const { return FKeptBytes; }

private:
    struct TEntry {
        TPictureStamp Stamp;
        std::shared_ptr<const TGraphic> Picture;  // or
        std::string Error;                        // why it cannot be decoded
        std::size_t Bytes = 0;
        std::uint64_t LastUse = 0;
    };
    void Keep(TEntry entry);

    std::size_t FMaxBytes;
    std::size_t FKeptBytes = 0;
    std::uint64_t FUses = 0;
    int FDecodes = 0;
    std::vector<TEntry> FEntries;  // a handful: searched in turn
};
