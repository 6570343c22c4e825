#pragma once
// Everything the art generator writes, as named files in memory: one list
// per mode of artgen. Names are relative to the folder written into.
#include "ArtWriters.h"

#include <string>
#include <vector>

namespace art {

struct OutputFile {
    std::string name;
    Bytes data;
};
using Outputs = std::vector<OutputFile>;

// The embedded pictures, named as src/art/ArtData.h declares them.
Outputs artBlobs();
// ArtData.cpp: those pictures as C++ byte arrays.
Outputs artData();
// Previews, scaled up, to look at the art.
Outputs previews();
// The example stages' background pictures.
Outputs examples();
// The desktop's icons: 32.png, 48.png, 256.png.
Outputs icons();

}  // namespace art
