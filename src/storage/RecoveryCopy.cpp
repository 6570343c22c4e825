#include "storage/RecoveryCopy.h"

#include <charconv>
#include <cstring>

namespace {

constexpr std::string_view Header = "stage-editor recovery 1\n";

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

}  // namespace

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy)
{
    std::string bytes(Header);
    bytes += "stage " + std::to_string(copy.StageNumber) + "\n";
    bytes += "time " + std::to_string(copy.Time) + "\n";
    bytes += "file " + std::to_string(copy.StageFile.size()) + "\n";
    bytes += copy.StageFile;
    bytes += '\n';
    bytes.append(reinterpret_cast<const char*>(&copy.Record), sizeof copy.Record);
    return bytes;
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes)
{
    if (bytes.substr(0, Header.size()) != Header)
        return std::nullopt;
    bytes.remove_prefix(Header.size());
    TRecoveryCopy copy;
    std::size_t pathLength = 0;
    if (!TakeNumber(bytes, "stage", copy.StageNumber) || !TakeNumber(bytes, "time", copy.Time)
        || !TakeNumber(bytes, "file", pathLength))
        return std::nullopt;
    if (copy.StageNumber < 0 || copy.StageNumber > 99 || pathLength == 0 || pathLength > MaxRecoveryPath
        || bytes.size() != pathLength + 1 + sizeof copy.Record || bytes[pathLength] != '\n')
        return std::nullopt;
    copy.StageFile.assign(bytes.substr(0, pathLength));
    if (copy.StageFile.front() != '/' || copy.StageFile.find('\0') != std::string::npos)
        return std::nullopt;
    std::memcpy(static_cast<void*>(&copy.Record), bytes.data() + pathLength + 1, sizeof copy.Record);
    return copy;
}
