// Art generator: draws every picture the program embeds and writes them as
// C++ byte arrays (ArtData.cpp), as previews, or as the example backgrounds.
//
//   artgen OUTDIR             writes OUTDIR/ArtData.cpp
//   artgen --preview DIR      writes PNG previews (scaled up) into DIR
//   artgen --examples DIR     writes the example background pictures into DIR
//   artgen --icons DIR        writes the desktop's icons as DIR/32.png, 48.png, 256.png
#include "ArtOutputs.h"
#include "ArtPictures.h"

#include <filesystem>
#include <iostream>
#include <set>

using namespace art;

namespace {

// Each file is written beside its target and renamed, so an interrupted run
// leaves no half file.
void writeAll(const std::string& dir, const Outputs& files)
{
    std::filesystem::create_directories(dir);
    for (const OutputFile& file : files) {
        const std::string path = dir + "/" + file.name, tmp = path + ".tmp";
        writeFile(tmp, file.data);
        std::filesystem::rename(tmp, path);
    }
}

void printColourCounts()
{
    const Image tiles = drawTiles(), flag = drawFlag();
    std::set<Color> bc(tiles.px.begin(), tiles.px.end()), fc(flag.px.begin(), flag.px.end());
    std::set<Color> both = bc;
    both.insert(fc.begin(), fc.end());
    std::cout << "colours: tiles " << bc.size() << ", flag " << fc.size() << ", together " << both.size() << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() == 2 && args[0] == "--preview") {
            writeAll(args[1], previews());
            printColourCounts();
        } else if (args.size() == 2 && args[0] == "--examples") {
            writeAll(args[1], examples());
        } else if (args.size() == 2 && args[0] == "--icons") {
            writeAll(args[1], icons());
        } else if (args.size() == 1 && args[0].rfind("--", 0) != 0) {
            writeAll(args[0], artData());
        } else {
            std::cerr << "usage: artgen OUTDIR | --preview DIR | --examples DIR | --icons DIR\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "artgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
