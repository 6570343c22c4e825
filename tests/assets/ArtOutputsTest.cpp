// Every picture the art generator writes, pinned by a hash of its bytes, so
// that a change of the art is always deliberate: after one, look at the
// previews (artgen --preview DIR) and copy the new hashes from the failures.
#include "ArtOutputs.h"
#include "ArtPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace {

// FNV-1a, 64 bits, as 16 hex digits.
std::string Hash(const void* data, std::size_t size)
{
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ static_cast<const std::uint8_t*>(data)[i]) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

void ExpectPinned(const art::Outputs& outputs, const std::map<std::string, std::string>& pinned)
{
    std::map<std::string, std::string> hashes;
    for (const art::OutputFile& file : outputs)
        hashes[file.name] = Hash(file.data.data(), file.data.size());
    for (const auto& [name, hash] : hashes) {
        const auto found = pinned.find(name);
        if (found == pinned.end())
            ADD_FAILURE() << name << " is not pinned: {\"" << name << "\", \"" << hash << "\"}";
        else
            EXPECT_EQ(hash, found->second) << name;
    }
    for (const auto& [name, hash] : pinned)
        EXPECT_TRUE(hashes.count(name)) << name << " is no longer written";
}

// clang-format off
TEST(ArtOutputs, EmbeddedPictures)
{
    ExpectPinned(art::artBlobs(), {
        {"ArtBack", "8928f007721f80af"},
        {"ArtFlag", "98aa3958b340a145"},
        {"ArtSplash", "7996587aa35d2787"},
        {"ArtToolButtons", "b7252abbcb718cbd"},
        {"ArtOptionImages", "9f8e80b76da7691c"},
        {"ArtAppIcon", "da655795052f4536"},
    });
}

TEST(ArtOutputs, Previews)
{
    ExpectPinned(art::previews(), {
        {"tiles.png", "a43b110d1779ad16"},
        {"tiles_1x.png", "a8cd1c7f76f6ae4b"},
        {"groups.png", "d1b7211787a6769e"},
        {"anim.png", "83b406250eeceb57"},
        {"flag.png", "c24a5f2473d9b170"},
        {"scene.png", "83523ce9a6b62f30"},
        {"scene_x2.png", "309ac9c387f90bf9"},
        {"scene_zoom.png", "9e6d8b311aa369a1"},
        {"scene_zoom2.png", "bc37472bd483d76a"},
        {"scene_flag.png", "50e6ce036a70d0f2"},
        {"splash.png", "d1d12cc85fd3b2e5"},
        {"buttons.png", "79a60894357ed8c0"},
        {"options.png", "1b4eb15eb5b79542"},
        {"icon.png", "9dec3d3f34df3d0f"},
        {"icon_48.png", "9476b137f85b6f81"},
        {"icon_256.png", "9c1857d1c0671def"},
        {"tanks.png", "66f54e3c15470707"},
    });
}

// The JPEG's bytes are libjpeg's; the picture in it is ours.
TEST(ArtOutputs, Examples)
{
    art::Outputs outputs = art::examples();
    std::erase_if(outputs, [](const art::OutputFile& file) { return file.name.ends_with(".jpg"); });
    const art::Image desert = art::drawDesertExample();
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(desert.px.data());
    outputs.push_back({"desert picture", art::Bytes(pixels, pixels + desert.px.size() * sizeof desert.px[0])});
    ExpectPinned(outputs, {
        {"sky.bmp", "026cee99d1739590"},
        {"big.bmp", "7060d7aba11c43f5"},
        {"desert picture", "343fe55f0f5400d2"},
    });
}

TEST(ArtOutputs, Icons)
{
    ExpectPinned(art::icons(), {
        {"32.png", "442e8b86af0a899c"},
        {"48.png", "b8e5520b2560f374"},
        {"256.png", "02473b089c2a90e0"},
    });
}
// clang-format on

}  // namespace
