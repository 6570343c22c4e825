#include "cli/StageSetInput.h"

#include "cli/ToolArgs.h"
#include "storage/FileLookup.h"

#include <unistd.h>
#include <cerrno>
#include <optional>
#include <system_error>

namespace {

TStageRecords ReadStandardInput(bool firstOnly)
{
    const std::size_t limit = static_cast<std::size_t>(MaxStageFileRecords) * StageRecordSize;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            TStageRecords failed;
            failed.Error = std::generic_category().message(errno);
            return failed;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return StageRecordsOfBytes(bytes, MaxStageFileRecords, firstOnly);
}

}  // namespace

TStageRecords ReadStageSetInput(const std::string& name, bool firstOnly)
{
    if (name == "-")
        return ReadStandardInput(firstOnly);
    const auto file = FindStageFile(name);
    return firstOnly ? ReadFirstStageRecords(file, MaxStageFileRecords) : ReadStageRecords(file, MaxStageFileRecords);
}

std::vector<StageRecord> WholeStageSet(const std::string& name)
{
    const std::string label = name == "-" ? "standard input" : FindStageFile(name).string();
    TStageRecords records = ReadStageSetInput(name);
    if (!records.Read)
        throw TToolError("cannot read " + label + ": " + records.Error);
    if (records.TooMany)
        throw TToolError(label + " holds more than " + std::to_string(MaxStageFileRecords)
                         + " records; it is no stage file");
    if (const std::optional<TStageFilePiece> piece = StageFilePieceOf(records))
        throw TToolError(StageFilePieceText(label, *piece));
    return std::move(records.Records);
}
