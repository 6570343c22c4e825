// stagetool: the editor's stage file and text map operations from the command
// line, run through the same core as the editor. The commands are the cli
// library's (StageToolCommands); this is the dispatch. Errors: one line on
// stderr and exit status 1 (2 for diff and merge); usage errors exit 2.
#include "cli/StageToolCommands.h"
#include "platform/WithoutWindows.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

void PrintUsage(std::ostream& out)
{
    out << "usage:\n";
    for (const auto& command : StageToolCommands())
        out << "  stagetool " << command.Usage << "\n";
    out << "exit status: 0 done, 1 failed, 2 usage error; but, as diff(1) and git:\n"
           "  diff: 0 the same, 1 different, 2 trouble; merge: 0 merged cleanly, 1 conflicts, 2 trouble\n";
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
    if (const TCommand* command = FindStageToolCommand(name))
        return RunCommand(*command, std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    std::cerr << "stagetool: unknown command \"" << argv[1] << "\" (try stagetool --help)\n";
    return ExitUsage;
}
