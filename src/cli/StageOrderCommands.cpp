#include "cli/StageOrderCommands.h"

#include "cli/StageSave.h"
#include "storage/StageSetFile.h"

#include <ostream>
#include <string>
#include <vector>

int RunStageSetEdit(const char* command, const TArgs& args, const TStageSetEdit& edit, std::ostream& out,
                    std::ostream& err, const TNewNote& note)
{
    const auto file = StageFileArg(args);
    const TStageSetOutcome outcome = ChangeStageSet(file, edit);
    if (!outcome)
        throw TToolError("cannot change " + file.string() + ": " + outcome.Error + "; nothing changed");
    if (outcome.Step.Empty())
        err << "stagetool " << command << ": nothing changed\n";
    else if (outcome.TrailingBytes > 0)
        NameDroppedPiece(file, TStageFilePiece{outcome.Step.CountBefore, outcome.TrailingBytes}, command, err);
    for (const TStageSetStep::TChange& change : outcome.Step.Changes) {
        const StageRecord* after = outcome.Step.After(change.Number);
        if (!after)
            continue;
        const int source = outcome.Step.Source[static_cast<std::size_t>(change.Number)];
        out << StageNumberText(change.Number) << '\t' << ListedText(after->Caption, true) << '\t'
            << (source >= 0 ? "moved from " + StageNumberText(source)
                : note      ? note(change.Number)
                            : "empty")
            << '\n';
    }
    if (!out.flush())
        throw TToolError("cannot write to standard output");
    return 0;
}

namespace {

int Number(const TArgs& args, std::size_t index)
{
    return ParseStageNumber(args.Positional[index]);
}

}  // namespace

int RunMove(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const int from = Number(args, 0);
    const int to = Number(args, 1);
    return RunStageSetEdit(
        "move", args, [=](const std::vector<StageRecord>& r) { return MoveStages(r, from, 1, to); }, out, err);
}

int RunCopy(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const int from = Number(args, 0);
    const int to = Number(args, 1);
    return RunStageSetEdit(
        "copy", args, [=](const std::vector<StageRecord>& r) { return CopyStages(r, {from}, to); }, out, err,
        [=](int number) { return number == to ? "copy of " + StageNumberText(from) : std::string("empty"); });
}

int RunSwap(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const int a = Number(args, 0);
    const int b = Number(args, 1);
    return RunStageSetEdit(
        "swap", args, [=](const std::vector<StageRecord>& r) { return SwapStages(r, a, b); }, out, err);
}

int RunInsert(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const int number = Number(args, 0);
    return RunStageSetEdit(
        "insert", args, [=](const std::vector<StageRecord>& r) { return InsertStage(r, number); }, out, err);
}

int RunDelete(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const int number = Number(args, 0);
    return RunStageSetEdit(
        "delete", args, [=](const std::vector<StageRecord>& r) { return DeleteStages(r, {number}); }, out, err);
}

int RunClear(const TArgs& args, std::ostream& out, std::ostream& err)
{
    std::vector<int> numbers;
    for (std::size_t i = 0; i < args.Positional.size(); ++i)
        numbers.push_back(Number(args, i));
    return RunStageSetEdit(
        "clear", args, [=](const std::vector<StageRecord>& r) { return ClearStages(r, numbers); }, out, err);
}
