#include "storage/FileLookup.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

namespace {

bool SameTextAscii(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entries of folder called part: the one of exactly that name, else
// every one matching it ignoring case, in the order of their names. None
// when the folder cannot be read to its end: a lookup then finds nothing
// rather than raising in the middle of a load or save.
std::vector<std::filesystem::path> MatchingEntries(const std::filesystem::path& folder, const std::string& part)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exact = folder / part;
    if (fs::exists(exact, error))
        return {exact};
    std::vector<fs::path> found;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
        if (SameTextAscii(it->path().filename().string(), part))
            found.push_back(folder / it->path().filename());
    if (error)
        return {};
    std::sort(found.begin(), found.end());
    return found;
}

// The entry of folder called part, as written or else the only one matching
// it ignoring case: of two candidates, neither is "the" file.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder, const std::string& part)
{
    const std::vector<std::filesystem::path> found = MatchingEntries(folder, part);
    return found.size() == 1 ? std::optional(found.front()) : std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> FindPictureFile(const std::filesystem::path& folder, const std::string& name)
{
    std::vector<std::string> parts{"Map"};
    std::string part;
    for (const char c : name + '\\') {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    std::filesystem::path path = folder;
    for (const std::string& p : parts) {
        const auto entry = FindEntry(path, p);
        if (!entry)
            return std::nullopt;
        path = *entry;
    }
    return path;
}

TPictureLookup LookUpPicture(const std::filesystem::path& folder, const std::string& name)
{
    TPictureLookup lookup;
    const auto path = FindPictureFile(folder, name);
    if (!path)
        return lookup;
    lookup.Path = *path;
    std::error_code error;
    if (!std::filesystem::is_regular_file(*path, error)) {
        lookup.Outcome = TPictureLookup::TOutcome::NotAFile;
        return lookup;
    }
    std::string extension = path->extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (extension == ".BMP") {
        lookup.Format = TPictureFormat::Bmp;
    } else if (extension == ".JPG" || extension == ".JPEG") {
        lookup.Format = TPictureFormat::Jpeg;
    } else {
        lookup.Outcome = TPictureLookup::TOutcome::OtherExtension;
        return lookup;
    }
    lookup.Outcome = TPictureLookup::TOutcome::Found;
    return lookup;
}

TPictureState PictureStateOf(const std::filesystem::path& folder, const std::string& name)
{
    // No name, no picture: whatever becomes of "Map" itself changes nothing.
    if (name.empty())
        return {};
    TPictureState state{LookUpPicture(folder, name), std::nullopt};
    if (state.Lookup.Outcome == TPictureLookup::TOutcome::Found)
        state.Stamp = StampPicture(state.Lookup.Path, state.Lookup.Format);
    return state;
}

bool IsStageFileName(const std::string& name)
{
    return SameTextAscii(name, DefaultStageFileName);
}

std::filesystem::path FindStageFile(const std::filesystem::path& file)
{
    if (!file.has_filename())
        return file;
    const auto entry = FindEntry(file.parent_path(), file.filename().string());
    return entry ? *entry : file;
}

std::optional<TPictureStamp> StampPicture(const std::filesystem::path& file, TPictureFormat format)
{
    std::error_code error;
    TPictureStamp stamp{file, format, std::filesystem::file_size(file, error), {}};
    if (!error)
        stamp.Modified = std::filesystem::last_write_time(file, error);
    struct stat status {};
    if (error || ::stat(file.c_str(), &status) != 0)
        return std::nullopt;
    stamp.Device = status.st_dev;
    stamp.Inode = status.st_ino;
    return stamp;
}

std::string StageFileClash(const std::filesystem::path& file)
{
    if (!file.has_filename())
        return {};
    const std::vector<std::filesystem::path> found = MatchingEntries(file.parent_path(), file.filename().string());
    if (found.size() < 2)
        return {};
    std::string names;
    for (std::size_t i = 0; i < found.size(); ++i)
        names += (i == 0 ? "" : i + 1 < found.size() ? ", " : " and ") + found[i].filename().string();
    return names + (found.size() == 2 ? " both exist; remove one" : " all exist; keep one");
}
