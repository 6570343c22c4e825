// stagetool: the editor's stage file and text map operations from the command
// line, run through the same core as the editor. The commands are the cli
// library's; this is their table and the dispatch. Errors: one line on
// stderr and exit status 1; usage errors exit 2.
#include "cli/EditorCommands.h"
#include "cli/StageFileCommands.h"
#include "cli/TextMapCommands.h"
#include "cli/TiledCommands.h"
#include "cli/ToolArgs.h"
#include "platform/WithoutWindows.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One line per subcommand.
const std::vector<TCommand>& Commands()
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
        {"pack", "pack DIR [--file F]", {"--file"}, 1, 1, RunPack},
        {"tiled-export", "tiled-export [--file F] DIR", {"--file"}, 1, 1, RunTiledExport},
        {"tiled-import",
         "tiled-import [--file F] [--stage N] DIR|FILE.tmx ...",
         {"--file", "--stage"},
         1,
         MaxTiledImportInputs,
         RunTiledImport},
    };
    return commands;
}

void PrintUsage(std::ostream& out)
{
    out << "usage:\n";
    for (const auto& command : Commands())
        out << "  stagetool " << command.Usage << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    UseWithoutWindows();
    if (argc < 2) {
        PrintUsage(std::cerr);
        return ExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    for (const auto& command : Commands())
        if (name == command.Name)
            return RunCommand(command, std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    std::cerr << "stagetool: unknown command \"" << argv[1] << "\" (try stagetool --help)\n";
    return ExitUsage;
}
