#include "cli/StageSetInput.h"

#include "cli/ToolArgs.h"
#include "storage/FileLookup.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

namespace {

TStageRecords ReadStandardInput(bool firstOnly)
{
    TStageRecords records;
    const std::size_t limit = static_cast<std::size_t>(MaxStageFileRecords) * StageRecordSize;
    std::string bytes;
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            records.Error = std::generic_category().message(errno);
            return records;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    records.Read = true;
    records.WholeRecords = static_cast<std::int64_t>(bytes.size() / StageRecordSize);
    records.TrailingBytes = static_cast<std::int64_t>(bytes.size() % StageRecordSize);
    records.TooMany = bytes.size() > limit;
    if (records.TooMany && !firstOnly)
        return records;
    records.Records.resize(
        std::min(static_cast<std::size_t>(records.WholeRecords), static_cast<std::size_t>(MaxStageFileRecords)));
    if (!records.Records.empty())
        std::memcpy(static_cast<void*>(records.Records.data()), bytes.data(), records.Records.size() * StageRecordSize);
    return records;
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
