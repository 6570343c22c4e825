#include "storage/RecoveryCopy.h"

#include <charconv>
#include <cstring>

namespace {

constexpr std::string_view Header = "stage-editor recovery 2\n";
constexpr std::string_view FirstHeader = "stage-editor recovery 1\n";

constexpr std::string_view BaseRecord = "base record\n";
constexpr std::string_view NoBase = "base none\n";
constexpr std::string_view UnknownBase = "base unknown\n";

// Reads "<key> <decimal>\n" from the front of `bytes`.
template <typename T>
bool TakeNumber(std::string_view& bytes, std::string_view key, T& value)
{
    if (bytes.substr(0, key.size()) != key || bytes.size() <= key.size() || bytes[key.size()] != ' ')
        return false;
    bytes.remove_prefix(key.size() + 1);
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos || end == 0 || end > 20)
        return false;
    const auto [last, error] = std::from_chars(bytes.data(), bytes.data() + end, value);
    if (error != std::errc() || last != bytes.data() + end)
        return false;
    bytes.remove_prefix(end + 1);
    return true;
}

// Takes `line` from the front of `bytes`.
bool TakeLine(std::string_view& bytes, std::string_view line)
{
    if (!bytes.starts_with(line))
        return false;
    bytes.remove_prefix(line.size());
    return true;
}

void AppendRecord(std::string& bytes, const StageRecord& record)
{
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

StageRecord TakeRecord(std::string_view& bytes)
{
    StageRecord record;
    std::memcpy(static_cast<void*>(&record), bytes.data(), sizeof record);
    bytes.remove_prefix(sizeof record);
    return record;
}

}  // namespace

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy)
{
    std::string bytes(Header);
    bytes += "stage " + std::to_string(copy.StageNumber) + "\n";
    bytes += "origin " + std::to_string(copy.Origin) + "\n";
    bytes += !copy.Base ? UnknownBase : *copy.Base ? BaseRecord : NoBase;
    bytes += "time " + std::to_string(copy.Time) + "\n";
    bytes += "file " + std::to_string(copy.StageFile.size()) + "\n";
    bytes += copy.StageFile;
    bytes += '\n';
    if (copy.Base && *copy.Base)
        AppendRecord(bytes, **copy.Base);
    AppendRecord(bytes, copy.Record);
    return bytes;
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes)
{
    const bool first = TakeLine(bytes, FirstHeader);
    if (!first && !TakeLine(bytes, Header))
        return std::nullopt;
    TRecoveryCopy copy;
    if (!TakeNumber(bytes, "stage", copy.StageNumber))
        return std::nullopt;
    bool baseRecord = false;
    if (!first) {
        if (!TakeNumber(bytes, "origin", copy.Origin) || copy.Origin < -1 || copy.Origin > MaxStageNumber)
            return std::nullopt;
        baseRecord = TakeLine(bytes, BaseRecord);
        if (baseRecord || TakeLine(bytes, NoBase))
            copy.Base.emplace();
        else if (!TakeLine(bytes, UnknownBase))
            return std::nullopt;
    }
    std::size_t pathLength = 0;
    if (!TakeNumber(bytes, "time", copy.Time) || !TakeNumber(bytes, "file", pathLength))
        return std::nullopt;
    const std::size_t records = (baseRecord ? 2 : 1) * sizeof(StageRecord);
    if (copy.StageNumber < 0 || copy.StageNumber > MaxStageNumber || pathLength == 0 || pathLength > MaxRecoveryPath
        || bytes.size() != pathLength + 1 + records || bytes[pathLength] != '\n')
        return std::nullopt;
    copy.StageFile.assign(bytes.substr(0, pathLength));
    if (copy.StageFile.front() != '/' || copy.StageFile.find('\0') != std::string::npos)
        return std::nullopt;
    bytes.remove_prefix(pathLength + 1);
    if (baseRecord)
        copy.Base->emplace(TakeRecord(bytes));
    copy.Record = TakeRecord(bytes);
    return copy;
}
