// The game folder named on the command line.
#include "app/GameFolder.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class GameFolder : public TScratchDirTest {
protected:
    GameFolder() : TScratchDirTest("game-folder") {}
};

TEST_F(GameFolder, NamedFolderOrStageFile)
{
    const fs::path game = Dir / "game";
    fs::create_directories(game / "Map");
    WriteFile(game / "STAGE.DAT", "x");

    fs::create_directories(Dir / "empty");
    WriteFile(game / "levels.bin", "x");
    struct Case {
        std::vector<std::string> Arguments;
        fs::path StageFile;
        fs::path PictureFolder;
        bool Error;
        bool Refused = false;  // the editor does not start
    };
    // clang-format off
    const Case cases[] = {
        {{}, "Stage.Dat", "", false},                        // the current folder, as always
        {{game.string()}, game / "Stage.Dat", game, false},  // STAGE.DAT is found ignoring case when loaded
        {{(game / "STAGE.DAT").string()}, game / "STAGE.DAT", game, false},
        {{(game / "levels.bin").string()}, game / "levels.bin", game, false},       // an existing file, as named
        {{(Dir / "empty").string()}, Dir / "empty" / "Stage.Dat", Dir / "empty", false},  // the first Save asks
        {{(Dir / "empty" / "stage.dat").string()}, Dir / "empty" / "stage.dat", Dir / "empty", false},
        {{(game / "New.Dat").string()}, "Stage.Dat", "", true, true},  // no stage file's name: mistyped
        {{(Dir / "gaem").string()}, "Stage.Dat", "", true, true},      // a mistyped folder gets no stage file
        {{(game / "missing" / "Stage.Dat").string()}, "Stage.Dat", "", true, true},
        {{game.string(), game.string()}, "Stage.Dat", "", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.empty() ? "(none)" : c.Arguments.front());
        const TGameFolder found = GameFolderOf(c.Arguments);
        EXPECT_EQ(found.StageFile, c.StageFile);
        EXPECT_EQ(found.PictureFolder, c.PictureFolder);
        EXPECT_EQ(!found.Error.empty(), c.Error) << found.Error;
        EXPECT_EQ(found.Refused, c.Refused) << found.Error;
    }
}

TEST_F(GameFolder, RelativeArgumentBecomesAbsolute)
{
    fs::create_directory(Dir / "game");
    const fs::path before = fs::current_path();
    fs::current_path(Dir);
    const TGameFolder found = GameFolderOf({"game"});
    fs::current_path(before);
    EXPECT_EQ(found.StageFile, Dir / "game" / "Stage.Dat");
    EXPECT_EQ(found.PictureFolder, Dir / "game");
}
