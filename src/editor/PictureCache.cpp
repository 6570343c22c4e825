#include "editor/PictureCache.h"

#include "editor/Main.h"

#include <algorithm>

namespace {

// The picture in `file`, of which only the top-left width x height pixels stay.
std::shared_ptr<const TGraphic> DecodePicture(const std::filesystem::path& file, TPictureFormat format, int width,
                                              int height)
{
    std::shared_ptr<TDecodedGraphic> graphic;
    if (format == TPictureFormat::Jpeg)
        graphic = std::make_shared<TJPEGImage>();
    else
        graphic = std::make_shared<TBitmap>();
    graphic->LoadCorner(file, width, height);
    return graphic;
}

}  // namespace

std::shared_ptr<const TGraphic> LoadPicture(const std::filesystem::path& file, TPictureFormat format)
{
    return DecodePicture(file, format, MaxPictureSide, MaxPictureSide);
}

std::shared_ptr<const TGraphic> TPictureCache::Load(const std::filesystem::path& file, TPictureFormat format)
{
    const std::optional<TPictureStamp> stamp = StampPicture(file, format);
    if (!stamp) {
        // Not measurable: read it as the display would, which reports why.
        ++FDecodes;
        return DecodePicture(file, format, DisplayWidth, DisplayHeight);
    }
    ++FUses;
    for (TEntry& entry : FEntries) {
        if (entry.Stamp != *stamp)
            continue;
        entry.LastUse = FUses;
        if (!entry.Picture)
            throw EInvalidGraphic(entry.Error);
        return entry.Picture;
    }

    TEntry entry;
    entry.Stamp = *stamp;
    entry.LastUse = FUses;
    ++FDecodes;
    try {
        entry.Picture = DecodePicture(file, format, DisplayWidth, DisplayHeight);
        entry.Bytes =
            static_cast<std::size_t>(entry.Picture->Width()) * static_cast<std::size_t>(entry.Picture->Height()) * 4;
    } catch (const EInvalidGraphic& error) {
        // Damaged files stay damaged until they change: not decoded again.
        entry.Error = error.what();
        Keep(std::move(entry));
        throw;
    }
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
