#pragma once
// The pictures of the program, each drawn by code.
#include "ArtCanvas.h"
#include "art/ArtData.h"

namespace art {

constexpr Color keyColor(TArtKey key)
{
    return rgb(key.Red, key.Green, key.Blue);
}
constexpr Color BackKey = keyColor(ArtBackKey);  // transparent colour of the tile set
constexpr Color FlagKey = keyColor(ArtFlagKey);  // transparent colour of the flag
constexpr Color UiKey = keyColor(ArtUiKey);      // transparent colour of the UI images
constexpr Color StageColor = rgb(40, 32, 16);    // default stage background

Image drawTiles();                                        // 256x64, 64 tiles of 16x16
Image drawFlag();                                         // 256x96, 24 patterns of 32x32
Image drawSplash(const Image& tiles, const Image& flag);  // 400x300
Image drawToolButtons(const Image& tiles);                // 448x16
Image drawOptionImages();                                 // 640x32
Image drawAppIcon();                                      // 32x32
RgbaImage drawDesktopIcon(int size);                      // size x size, the app icon for the desktop's menus
Image drawTank(int type);                                 // 32x32 enemy tank of type 0..15

Image drawSkyExample();                    // 128x128, tiles seamlessly
Image drawDesertExample();                 // 320x240, tiles seamlessly
Image drawBigExample(const Image& tiles);  // 640x480

}  // namespace art
