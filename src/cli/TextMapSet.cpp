#include "cli/TextMapSet.h"

#include "cli/ToolArgs.h"
#include "stage/StageRules.h"
#include "stage/TextMapStage.h"
#include "storage/TextMap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string_view>
#include <system_error>

namespace {

bool AnyByte(const std::uint8_t* bytes, std::size_t size)
{
    return std::any_of(bytes, bytes + size, [](std::uint8_t b) { return b != 0; });
}

bool HasTail(const TShortString& text)
{
    if (text.Length > MaxShortString)
        return true;
    return AnyByte(reinterpret_cast<const std::uint8_t*>(text.Chars) + text.Length, MaxShortString - text.Length);
}

// What in a string ends or splits its text map line.
const char* LineBreaker(const TShortString& text)
{
    const std::string value = text.Str();
    if (value.find('\0') != std::string::npos)
        return "a NUL byte, which ends the whole text map there";
    if (value.find_first_of("\r\n") != std::string::npos)
        return "a line break (CR or LF), which ends its line in a text map";
    return nullptr;
}

// True when `path` lies in `folder` or below it (both absolute and normal).
bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end()
           && path != folder;
}

}  // namespace

std::string ExportedTextMap(int number, const StageRecord& record)
{
    return WriteTextMap(AppliedStage(record), number);
}

TImportedStage BuildImportedStage(const TTextMap& map)
{
    StageRecord empty;
    EmptyStage(empty);
    return TImportedStage{ImportedStage(map, empty), ImportedStageNumber(map.StageNumber)};
}

std::optional<TImportedStage> ImportedTextMap(const std::string& bytes)
{
    const std::optional<TTextMap> map = ReadTextMap(NormaliseTextLines(bytes));
    if (!map)
        return std::nullopt;
    return BuildImportedStage(*map);
}

std::vector<std::string> StoredLosses(const StageRecord& record)
{
    std::vector<std::string> losses;
    if (AnyByte(reinterpret_cast<const std::uint8_t*>(record.EnemyCount + EnemyTypeCount),
                sizeof record.EnemyCount - EnemyTypeCount * sizeof record.EnemyCount[0]))
        losses.push_back("EnemyCount slots 16..31 hold values (a map keeps slots 0..15)");
    if (AnyByte(record.Reserved1, sizeof record.Reserved1) || AnyByte(record.Reserved2, sizeof record.Reserved2)
        || AnyByte(record.Reserved3, sizeof record.Reserved3))
        losses.push_back("reserved bytes are not zero");
    for (const auto& [name, text] : StoredStrings(record))
        if (HasTail(*text))
            losses.push_back(std::string("bytes past the end of ") + name + " are not zero");
    int pairs = 0;
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y)
            pairs += IsExclusiveBG(record.BG[x][y]) && IsExclusiveFG(record.FG[x][y]);
    if (pairs > 0)
        losses.push_back(Counted(pairs, "cell") + Holds(pairs)
                         + " BG 4..7 under FG 24..63, of which the editor keeps the FG code");
    return losses;
}

std::array<std::pair<const char*, const TShortString*>, 3> StoredStrings(const StageRecord& record)
{
    return {std::pair{"Caption", &record.Caption}, std::pair{"BG_Bitmap", &record.BG_Bitmap},
            std::pair{"SI_Bitmap", &record.SI_Bitmap}};
}

int CellsOutside(const StageRecord& record, int low, int high)
{
    int outside = 0;
    for (int x = 0; x < FieldColumns; ++x)
        for (int y = 0; y < FieldRows; ++y)
            for (const int code : {record.BG[x][y], record.FG[x][y]})
                outside += code < low || code > high;
    return outside;
}

std::vector<std::string> TextMapLosses(const StageRecord& record, const std::string& exported)
{
    std::vector<std::string> losses = StoredLosses(record);
    for (const auto& [name, text] : StoredStrings(record))
        if (const char* why = LineBreaker(*text))
            losses.push_back(std::string(name) + " holds " + why);
    for (const auto& [name, tile] :
         {std::pair{"BG_H_Tile", record.BG_H_Tile}, std::pair{"BG_V_Tile", record.BG_V_Tile}})
        if (tile > 1)
            losses.push_back(std::string(name) + " is " + std::to_string(tile) + " (a text map keeps 0 or 1)");
    if (const int outside = CellsOutside(record, EmptyCode, 254); outside > 0)
        losses.push_back(Counted(outside, "cell") + Holds(outside)
                         + " codes outside -1..254 (such as -2 from an incomplete import), which come back empty");

    // Whatever else the text cannot carry shows in the round trip itself.
    const auto back = ImportedTextMap(exported);
    const bool same = back && std::memcmp(&back->Record, &record, sizeof record) == 0;
    if (!same && losses.empty())
        losses.push_back("its text map reads back differently");
    return losses;
}

std::string NumberedName(int number, std::string_view extension)
{
    if (number < 0 || number > MaxStageNumber)
        return {};
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return digits + std::string(extension);
}

int NumberedNameNumber(std::string_view name, std::string_view extension)
{
    if (name.size() != 2 + extension.size() || name.substr(2) != extension || name[0] < '0' || name[0] > '9'
        || name[1] < '0' || name[1] > '9')
        return -1;
    return (name[0] - '0') * 10 + (name[1] - '0');
}

std::map<int, std::filesystem::path> NumberedFilesIn(const std::filesystem::path& dir, std::string_view extension,
                                                     const char* command, std::ostream& err,
                                                     const std::vector<std::string_view>& passedOver)
{
    std::map<int, std::filesystem::path> files;
    std::vector<std::string> ignored;
    std::error_code error;
    std::filesystem::directory_iterator it(dir, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const int number = NumberedNameNumber(name, extension); number >= 0)
            files.emplace(number, it->path());
        else if (std::find(passedOver.begin(), passedOver.end(), name) == passedOver.end())
            ignored.push_back(it->path().string());
    }
    if (error)
        throw TToolError("cannot read the folder " + dir.string() + ": " + error.message());
    std::sort(ignored.begin(), ignored.end());
    for (const std::string& name : ignored)
        err << "stagetool " << command << ": ignoring " << name << " (not named NN" << extension << ")\n";
    return files;
}

std::string TextMapName(int number)
{
    return NumberedName(number, ".txt");
}

int TextMapNumber(const std::string& name)
{
    return NumberedNameNumber(name, ".txt");
}

void MakeOutputFolder(const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir, error))
        throw TToolError("cannot make the folder " + dir.string() + (error ? ": " + error.message() : ""));
}

void CheckFolderTargets(const std::filesystem::path& dir, const std::vector<std::string>& names,
                        const std::filesystem::path& stageFile)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path home = fs::canonical(dir, error);
    if (error)
        throw TToolError("cannot find the folder " + dir.string() + ": " + error.message());
    std::map<fs::path, fs::path> reached;  // where each name's bytes would land -> the name
    for (const std::string& name : names) {
        const fs::path target = dir / name;
        CheckNotStageFile(target, stageFile, target.string());
        const fs::path real = fs::weakly_canonical(target, error);
        if (error)
            throw TToolError("cannot follow " + target.string() + ": " + error.message() + "; nothing written");
        if (fs::is_symlink(fs::symlink_status(target, error))) {
            if (!Inside(real, home))
                throw TToolError(target.string() + " is a link that leads out of " + dir.string() + " (to "
                                 + real.string() + "); nothing written");
            if (!fs::exists(target, error))
                throw TToolError(target.string() + " is a link to a missing file; nothing written");
        }
        // A FIFO, a device or a folder there would fail or block part way,
        // after the other maps were written.
        if (fs::exists(target, error) && !fs::is_regular_file(target, error))
            throw TToolError(target.string() + " is not a regular file; nothing written");
        const auto [other, first] = reached.emplace(real, target);
        if (!first)
            throw TToolError(target.string() + " and " + other->second.string() + " lead to the same file "
                             + real.string() + "; nothing written");
    }
}
