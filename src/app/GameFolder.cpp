#include "app/GameFolder.h"

#include <system_error>

namespace fs = std::filesystem;

TGameFolder GameFolderOf(const std::vector<std::string>& arguments)
{
    TGameFolder game;
    if (arguments.empty())
        return game;
    if (arguments.size() > 1) {
        game.Error = "Only one game folder or stage file can be opened; working in the current folder.";
        return game;
    }
    std::error_code error;
    const fs::path given = fs::absolute(fs::path(arguments.front()), error);
    if (error) {
        game.Error = "Cannot open \"" + arguments.front() + "\": " + error.message() + ".";
        return game;
    }
    if (fs::is_directory(given, error)) {
        game.StageFile = given / DefaultStageFileName;
        game.PictureFolder = given;
        return game;
    }
    const fs::path folder = given.parent_path();
    const bool folderExists = fs::is_directory(folder, error);
    if (!fs::exists(fs::symlink_status(given, error))
        && (!folderExists || !IsStageFileName(given.filename().string()))) {
        game.Error = "Cannot open \"" + arguments.front() + "\": there is no such "
                     + (folderExists ? "file or folder." : "folder.");
        game.Refused = true;
        return game;
    }
    game.StageFile = given;
    game.PictureFolder = folder;
    return game;
}
