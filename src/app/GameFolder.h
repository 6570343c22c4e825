#pragma once
// Where the editor works: the game folder named on its command line (a
// folder, or a stage file in it), else the current folder. The desktop entry
// passes the stage file a file manager opened.

#include "storage/FileLookup.h"

#include <filesystem>
#include <string>
#include <vector>

struct TGameFolder {
    // The stage file and the folder "Map" is looked up in. Without an
    // argument they stay relative to the current folder, as the editor always
    // worked; a named folder or file gives absolute paths.
    std::filesystem::path StageFile = DefaultStageFileName;
    std::filesystem::path PictureFolder;
    // Why the argument was not used (the editor then works in the current
    // folder, unless Refused); empty when it was, or when there was none.
    std::string Error;
    // The argument names nothing that exists: the editor does not start
    // (a mistyped folder must not get a stage file at the first Save).
    bool Refused = false;
};

// The game folder of `arguments`, the program's arguments without its own name
// and without the window system's options: none, or one folder or stage file.
// A path that does not exist is refused, unless it names a stage file
// ("Stage.Dat" in any letter case) in a folder that exists: that is the
// stage file the first Save offers to create.
TGameFolder GameFolderOf(const std::vector<std::string>& arguments);
