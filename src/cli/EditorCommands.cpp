#include "cli/EditorCommands.h"

#include "cli/Render.h"
#include "cli/Sheet.h"
#include "cli/StageFileCommands.h"
#include "cli/StageSave.h"
#include "editor/RandomGen.h"
#include "editor/WindowlessEditor.h"
#include "storage/FileLookup.h"

#include <ostream>
#include <string>

int RunRandom(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    const int number = ParseStageNumber(args.Positional[0]);
    TWindowlessEditor editor(number, TFormUse::Editor);  // seeded from the clock, as the editor is
    if (args.Has("--seed"))
        RandomSeed = static_cast<std::uint32_t>(ParseNumber(args.Get("--seed", ""), 0, UINT32_MAX, "seed"));
    editor.Form.GenerateRandomStage();
    // The stage file only matters as a name -o must not take: two of
    // another case are no reason to refuse.
    CheckOutputIsNotStageFile(args, FindStageFile(args.Get("--file", DefaultStageFileName)));
    WriteOutput(args, editor.Form.ExportTextMap(), out);
    return 0;
}

int RunRender(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const int number = ParseStageNumber(args.Positional[0]);
    if (!args.Has("-o"))
        throw TUsageError("-o OUT.png is required");
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    RenderStagePreview(number, file, args.Get("-o", ""), err);
    return 0;
}

int RunSheet(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    if (!args.Has("-o"))
        throw TUsageError("-o OUT.png is required");
    TSheetOptions options;
    if (args.Has("--columns"))
        options.Columns = static_cast<int>(ParseNumber(args.Get("--columns", ""), 1, MaxStageFileRecords, "columns"));
    if (args.Has("--scale")) {
        const std::string scale = args.Get("--scale", "");
        if (scale != "1" && scale != "2" && scale != "4" && scale != "8")
            throw TUsageError("scale must be 1, 2, 4 or 8, not \"" + scale + "\"");
        options.Scale = scale[0] - '0';
    }
    const auto file = StageFileArg(args);
    CheckOutputIsNotStageFile(args, file);
    const TStageRecords records =
        ReadAllRecords(file, MaxStageFileRecords, "a sheet shows at most " + std::to_string(MaxStageFileRecords));
    const TSheet sheet = MakeSheet(records, file.parent_path(), options);
    for (const std::string& problem : sheet.PictureProblems)
        err << "stagetool sheet: " << problem << "\n";
    // Fast compression: a sheet is large, and speed matters more than bytes here.
    WritePngFile(args.Get("-o", ""), sheet.Pixels, sheet.Layout.Width, sheet.Layout.Height, "the sheet", 1);
    return 0;
}
