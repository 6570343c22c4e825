#include "editor/PictureCache.h"

#include <algorithm>

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
    const std::optional<TPictureStamp> stamp = StampPicture(file, format);
    if (!stamp) {
        // Not measurable: read it as the display would, which reports why.
        ++FDecodes;
        return LoadPicture(file, format);
    }
    ++FUses;
    for (TEntry& entry : FEntries) {
        if (entry.Stamp != *stamp)
            continue;
        entry.LastUse = FUses;
        return entry.Picture;
    }

    TEntry entry;
    entry.Stamp = *stamp;
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
        if (it->Stamp.File == entry.Stamp.File) {
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
