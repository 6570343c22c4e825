#include "cli/VersionCommands.h"

#include "cli/DiffPictures.h"
#include "cli/DiffReport.h"
#include "cli/GitSetup.h"
#include "cli/MergeReport.h"
#include "cli/StageSetInput.h"
#include "cli/TextView.h"
#include "storage/FileLookup.h"
#include "storage/SafeWrite.h"
#include "storage/StageSetFile.h"

#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <ostream>

namespace {

// `readAs`, when given, is what the merge read of the output (it is OURS):
// a save that landed in it since would be lost, so it must still hold that.
void WriteMerged(const std::string& output, const std::vector<StageRecord>& records,
                 const std::vector<StageRecord>* readAs)
{
    const std::string bytes = StageFileBytes(records);
    // A stage file the editor or stagetool may have open is written under
    // its lock, so that no save lands in the file it replaces.
    const TWriteResult written =
        IsStageFileName(std::filesystem::path(output).filename().string())
            ? ReplaceStageFile(FindStageFile(output), readAs ? MaxStageFileRecords : 0,
                               [&](const TStageRecords& current) {
                                   if (readAs && StageFileBytes(current.Records) != StageFileBytes(*readAs))
                                       return TStageFileContent{{}, "it changed while merge ran; nothing written"};
                                   return TStageFileContent{bytes, {}};
                               })
            : SafeWriteFile(output, bytes);
    if (!written)
        throw TToolError("cannot write " + output + ": " + written.Error);
}

TMergeSide PreferArg(const TArgs& args)
{
    const std::string prefer = args.Get("--prefer", "ours");
    if (prefer != "ours" && prefer != "theirs")
        throw TUsageError("--prefer takes ours or theirs, not \"" + prefer + "\"");
    return prefer == "ours" ? TMergeSide::Ours : TMergeSide::Theirs;
}

}  // namespace

int RunDiff(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const std::string& nameA = args.Positional[0];
    const std::string& nameB = args.Positional[1];
    if (nameA == "-" && nameB == "-")
        throw TUsageError("only one of A and B can be standard input");
    const std::vector<StageRecord> a = WholeStageSet(nameA);
    const std::vector<StageRecord> b = WholeStageSet(nameB);
    const TStageSetDiff diff(a, b);
    if (args.Has("--png")) {
        std::vector<std::filesystem::path> stageFiles;
        for (const std::string& name : {nameA, nameB})
            if (name != "-")
                stageFiles.push_back(FindStageFile(name));
        const std::filesystem::path pictures = nameB == "-" ? "." : FindStageFile(nameB).parent_path();
        WriteDiffPictures(diff, args.Get("--png", ""), pictures.empty() ? "." : pictures, stageFiles, err);
    }
    WriteAll(out, args.Has("--json") ? DiffJson(diff, nameA, nameB) : DiffText(diff));
    return diff.Differs() ? 1 : 0;
}

int RunTextconv(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    WriteAll(out, StageFileTextView(args.Positional[0]));
    return 0;
}

int RunMerge(const TArgs& args, std::ostream& /*out*/, std::ostream& err)
{
    const TMergeSide prefer = PreferArg(args);
    const std::vector<std::string>& names = args.Positional;
    if (std::count(names.begin(), names.end(), "-") > 1)
        throw TUsageError("only one of BASE, OURS and THEIRS can be standard input");
    if (names[1] == "-" && !args.Has("-o"))
        throw TUsageError("OURS is standard input: name the result with -o");
    const std::string output = args.Get("-o", names[1]);
    // The report must not land on a stage file the merge reads or writes.
    if (args.Has("--json"))
        for (const std::string& name : {output, names[0], names[1], names[2]})
            if (name != "-")
                CheckNotStageFile(args.Get("--json", ""), FindStageFile(name), "--json " + args.Get("--json", ""));
    const TMergeInputs inputs{WholeStageSet(names[0]), WholeStageSet(names[1]), WholeStageSet(names[2])};
    const TStageMerge merge =
        MergeStageSets(inputs.Base, inputs.Ours, inputs.Theirs, prefer, static_cast<std::size_t>(MaxStageFileRecords));
    if (!merge.Error.empty())
        throw TToolError(merge.Error + "; nothing written");
    const bool intoOurs = names[1] != "-" && SameFile(FindStageFile(output), FindStageFile(names[1]));
    WriteMerged(output, merge.Records, intoOurs ? &inputs.Ours : nullptr);

    const std::string shown = args.Get("--path", output);
    if (args.Has("--json")) {
        const std::string json = args.Get("--json", "");
        if (const TWriteResult written = SafeWriteFile(json, ConflictJson(merge.Conflicts, inputs, shown, prefer));
            !written)
            throw TToolError("merged into " + output + ", but cannot write " + json + ": " + written.Error);
    }
    if (merge.Conflicts.empty())
        return 0;
    const int count = static_cast<int>(merge.Conflicts.size());
    err << ConflictLines(merge.Conflicts, inputs, shown);
    if (args.Has("--prefer")) {
        err << "stagetool merge: " << shown << ": " << Counted(count, "conflict") << " resolved with "
            << args.Get("--prefer", "") << "\n";
        return 0;
    }
    err << "stagetool merge: " << shown << ": " << Counted(count, "conflict")
        << ", each kept as ours; the file is a valid stage file (resolve with --prefer, or in the editor)\n";
    return ExitError;
}

int RunGitSetup(const TArgs& args, std::ostream& out, std::ostream& err)
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw TToolError("cannot find this program's own path: " + error.message());
    SetUpGit(args.Positional.empty() ? "." : args.Positional[0], program, out, err);
    return 0;
}
