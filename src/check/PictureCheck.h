#pragma once
// Whether the pictures a stage names would show: looked up in "Map" exactly
// as the display looks them up, and decoded by the same decoders.

#include "storage/FileLookup.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TPictureCheck {
public:
    // Pictures are looked up in "Map" inside `folder` (the stage file's folder).
    explicit TPictureCheck(std::filesystem::path folder) : FFolder(std::move(folder)) {}

    // Empty when the picture `name` (non-empty) would be found and decoded;
    // otherwise one line saying why not: not in Map, not a file, an
    // extension the display does not load, or what decoding it met (damaged,
    // cut short, larger than the size bound). Each file is read and decoded
    // once while it stays unchanged (same size and modification time).
    std::string Problem(const std::string& name);

    // How many times a file was read and decoded.
    int Decodes() const { return FDecodes; }

private:
    struct TDecoded {
        TPictureStamp Stamp;
        std::string Error;  // empty: it decodes
    };

    std::filesystem::path FFolder;
    std::vector<TDecoded> FDecoded;  // a few files: searched in turn
    int FDecodes = 0;
};
