#include "cli/StageFileCommands.h"

#include "cli/CheckReport.h"
#include "cli/StageSave.h"
#include "storage/StageFile.h"

#include <ostream>
#include <string>

int RunList(const TArgs& args, std::ostream& out, std::ostream& /*err*/)
{
    const auto file = StageFileArg(args);
    // Under one lock, so that a replace cannot mix two files in one listing.
    const TStageRecords records =
        ReadAllRecords(file, MaxStageFileRecords, "list shows at most " + std::to_string(MaxStageFileRecords));
    std::string text;
    for (std::size_t n = 0; n < records.Records.size(); ++n) {
        const StageRecord& record = records.Records[n];
        text += TwoDigits(static_cast<std::int64_t>(n)) + "\t" + ListedText(record.Caption, true) + "\t"
                + std::to_string(static_cast<unsigned>(SumEnemyCounts(record.EnemyCount))) + "\t"
                + std::to_string(record.MaxCount) + "\t" + ListedText(record.BG_Bitmap, false) + "\n";
    }
    WriteAll(out, text);
    return 0;
}

int RunNew(const TArgs& args, std::ostream& /*out*/, std::ostream& /*err*/)
{
    const auto file = StageFileArg(args);
    const int count = static_cast<int>(
        args.Has("--count") ? ParseNumber(args.Get("--count", ""), 0, MaxStageNumber + 1, "record count") : 1);
    StageRecord empty;
    EmptyStage(empty);
    const TWriteResult created = CreateStageFile(file, count, empty);
    if (created.AlreadyExists)
        throw TToolError(file.string() + " already exists");
    if (!created)
        throw TToolError("cannot create " + file.string() + ": " + created.Error);
    return 0;
}

int RunCheck(const TArgs& args, std::ostream& out, std::ostream& err)
{
    const auto file = StageFileArg(args);
    const TStageRecords records =
        ReadAllRecords(file, MaxStageFileRecords, "check reads at most " + std::to_string(MaxStageFileRecords));
    if (records.TrailingBytes > 0)
        err << "stagetool check: the last " << records.TrailingBytes << " bytes of " << file.string()
            << " are no whole record and are not checked\n";
    const TCheckReport report = CheckRecords(records.Records, file.parent_path());
    WriteAll(out, args.Has("--json") ? CheckReportJson(report) : CheckReportText(report));
    return report.Count(TSeverity::Error) > 0 ? ExitError : 0;
}
