#include "cli/StageToolCommands.h"

#include "cli/EditorCommands.h"
#include "cli/StageFileCommands.h"
#include "cli/StageOrderCommands.h"
#include "cli/TextMapCommands.h"
#include "cli/TileCommands.h"
#include "cli/TiledCommands.h"
#include "cli/VersionCommands.h"

const std::vector<TCommand>& StageToolCommands()
{
    static const std::vector<TCommand> commands = {
        {"list", "list [--file F]", {"--file"}, 0, 0, RunList},
        {"export", "export N [--file F] [-o OUT]", {"--file", "-o"}, 1, 1, RunExport},
        {"import", "import IN [--file F] [--stage N]", {"--file", "--stage"}, 1, 1, RunImport},
        {"random", "random N [--seed S] [-o OUT]", {"--seed", "-o"}, 1, 1, RunRandom},
        {"new", "new [--file F] [--count K]", {"--file", "--count"}, 0, 0, RunNew},
        {"render", "render N [--file F] -o OUT.png", {"--file", "-o"}, 1, 1, RunRender},
        {"sheet",
         "sheet [--file F] -o OUT.png [--columns C] [--scale 1|2|4|8]",
         {"--file", "-o", "--columns", "--scale"},
         0,
         0,
         RunSheet},
        {"check", "check [--file F] [--json]", {"--file"}, 0, 0, RunCheck, {"--json"}},
        {"unpack", "unpack [--file F] DIR", {"--file"}, 1, 1, RunUnpack},
        {"pack", "pack DIR [--file F] [--prune]", {"--file"}, 1, 1, RunPack, {"--prune"}},
        {"tiled-export", "tiled-export [--file F] DIR", {"--file"}, 1, 1, RunTiledExport},
        {"tiled-import",
         "tiled-import [--file F] [--stage N] DIR|FILE.tmx ...",
         {"--file", "--stage"},
         1,
         MaxTiledImportInputs,
         RunTiledImport},
        {"move", "move A B [--file F]", {"--file"}, 2, 2, RunMove},
        {"copy", "copy A B [--file F]", {"--file"}, 2, 2, RunCopy},
        {"swap", "swap A B [--file F]", {"--file"}, 2, 2, RunSwap},
        {"insert", "insert N [--file F]", {"--file"}, 1, 1, RunInsert},
        {"delete", "delete N [--file F]", {"--file"}, 1, 1, RunDelete},
        {"clear", "clear N ... [--file F]", {"--file"}, 1, 100, RunClear},
        {"find",
         "find TILE [--layer BG|FG] [--stages A..B] [--file F] [--json] | find --caption TEXT ...",
         {"--file", "--layer", "--stages", "--caption"},
         0,
         1,
         RunFind,
         {"--json"}},
        {"stats", "stats [--file F] [--json]", {"--file"}, 0, 0, RunStats, {"--json"}},
        {"replace",
         "replace FROM TO [--layer BG|FG] [--stages A..B] [--file F]",
         {"--file", "--layer", "--stages"},
         2,
         2,
         RunReplace},
        {"diff", "diff A|- B|- [--json] [--png DIR]", {"--png"}, 2, 2, RunDiff, {"--json"}, ExitTrouble},
        {"textconv", "textconv FILE", {}, 1, 1, RunTextconv, {}, 0},
        {"merge",
         "merge BASE OURS THEIRS [-o OUT] [--prefer ours|theirs] [--json FILE] [--path P]",
         {"-o", "--prefer", "--json", "--path"},
         3,
         3,
         RunMerge,
         {},
         ExitTrouble},
        {"git-setup", "git-setup [DIR]", {}, 0, 1, RunGitSetup},
    };
    return commands;
}

const TCommand* FindStageToolCommand(std::string_view name)
{
    for (const TCommand& command : StageToolCommands())
        if (name == command.Name)
            return &command;
    return nullptr;
}
