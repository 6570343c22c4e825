#include "editor/PictureCache.h"

#include <algorithm>
#include <system_error>

std::shared_ptr<const TGraphic> LoadPicture(const std::filesystem::path& file, TPictureFormat format)
{
    std::shared_ptr<TGraphic> graphic;
    if (format == TPictureFormat::Jpeg)
        graphic = std::make_shared<TJPEGImage>();
    else
        graphic = std::make_shared<TBitmap>();
    graphic->LoadFromFile(file);
    return graphic;
}

std::shared_ptr<const TGraphic> TPictureCache::Load(const std::filesystem::path& file, TPictureFormat format)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    const std::filesystem::file_time_type modified =
        error ? std::filesystem::file_time_type{} : std::filesystem::last_write_time(file, error);
    if (error) {
        // Not measurable: read it as the display would, which reports why.
        ++FDecodes;
        return LoadPicture(file, format);
    }
    ++FUses;
    for (TEntry& entry : FEntries) {
        if (entry.File != file || entry.Format != format || entry.Size != size || entry.Modified != modified)
            continue;
        entry.LastUse = FUses;
        return entry.Picture;
    }

    TEntry entry;
    entry.File = file;
    entry.Format = format;
    entry.Size = size;
    entry.Modified = modified;
    entry.LastUse = FUses;
    ++FDecodes;
    entry.Picture = LoadPicture(file, format);
    entry.Bytes =
        static_cast<std::size_t>(entry.Picture->Width()) * static_cast<std::size_t>(entry.Picture->Height()) * 4;
    std::shared_ptr<const TGraphic> picture = entry.Picture;
    Keep(std::move(entry));
    return picture;
}

// Replaces any older entry of the same file (it changed), then drops the least recently
// used pictures until the pixels fit.
void TPictureCache::Keep(TEntry entry)
{
    for (auto it = FEntries.begin(); it != FEntries.end();) {
        if (it->File == entry.File) {
            FKeptBytes -= it->Bytes;
            it = FEntries.erase(it);
        } else {
            ++it;
        }
    }
    if (entry.Bytes > FMaxBytes)
        return;
    while ((FKeptBytes + entry.Bytes > FMaxBytes || FEntries.size() >= MaxEntries) && !FEntries.empty()) {
        const auto oldest = std::min_element(FEntries.begin(), FEntries.end(),
                                             [](const TEntry& a, const TEntry& b) { return a.LastUse < b.LastUse; });
        FKeptBytes -= oldest->Bytes;
        FEntries.erase(oldest);
    }
    FKeptBytes += entry.Bytes;
    FEntries.push_back(std::move(entry));
}
