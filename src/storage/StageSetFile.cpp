#include "storage/StageSetFile.h"

#include "storage/FileLookup.h"
#include "storage/StageFile.h"

#include <optional>
#include <system_error>

namespace {

// The edit worked out on the file's records as read.
TStageSetOutcome Plan(const TStageRecords& current, const TStageSetEdit& edit, bool mayCreate,
                      std::vector<StageRecord>* after)
{
    TStageSetOutcome outcome;
    if (!current.Read && !mayCreate) {
        outcome.Error = "there is no stage file";
        return outcome;
    }
    if (current.WholeRecords > MaxStageFileRecords) {
        outcome.Error = "it holds " + std::to_string(current.WholeRecords) + " records, more than a stage file holds";
        return outcome;
    }
    TStageSetResult result = edit(current.Records);
    if (!result.Error.empty()) {
        outcome.Error = std::move(result.Error);
        return outcome;
    }
    outcome.Step = MakeStageSetStep(current.Records, result);
    outcome.TrailingBytes = current.TrailingBytes;
    if (after)
        *after = std::move(result.Records);
    return outcome;
}

}  // namespace

std::string StageFileBytes(const std::vector<StageRecord>& records)
{
    std::string bytes;
    bytes.reserve(records.size() * sizeof(StageRecord));
    for (const StageRecord& record : records)
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    return bytes;
}

TStageSetOutcome PreviewStageSet(const std::filesystem::path& file, const TStageSetEdit& edit, bool mayCreate)
{
    TStageRecords current = ReadFirstStageRecords(file, MaxStageFileRecords);
    if (!current.Read && !StageFileMissing(file)) {
        TStageSetOutcome outcome;
        outcome.Error = "it cannot be read";
        return outcome;
    }
    return Plan(current, edit, mayCreate, nullptr);
}

TStageSetOutcome ChangeStageSet(const std::filesystem::path& file, const TStageSetEdit& edit, bool mayCreate)
{
    TStageSetOutcome outcome;
    const TWriteResult written =
        ReplaceStageFile(file, MaxStageFileRecords, [&](const TStageRecords& current) -> TStageFileContent {
            std::vector<StageRecord> after;
            outcome = Plan(current, edit, mayCreate, &after);
            if (!outcome)
                return TStageFileContent{{}, outcome.Error};
            if (outcome.Step.Empty())
                return TStageFileContent{{}, {}, true};
            return TStageFileContent{StageFileBytes(after), {}};
        });
    if (!written) {
        outcome = TStageSetOutcome{};
        outcome.Error = written.Error;
    }
    return outcome;
}
