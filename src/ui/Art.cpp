#include "ui/Art.h"

#include "art/ArtData.h"

#include <QBitmap>
#include <QImage>

#include <map>

namespace {

QImage Decode(const TArtBlob& blob)
{
    if (!blob.Data || blob.Size == 0)
        return {};
    return QImage::fromData(blob.Data, static_cast<int>(blob.Size), "BMP");
}

// The UI images key out one colour; everything else is opaque.
QPixmap Keyed(const QImage& image)
{
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(
        image.createMaskFromColor(qRgb(ArtUiKey.Red, ArtUiKey.Green, ArtUiKey.Blue), Qt::MaskInColor)));
    return pixmap;
}

// The strip is decoded once; the windows ask for its images one by one.
QPixmap Cell(const TArtBlob& blob, int index, int size)
{
    static std::map<const TArtBlob*, QImage> strips;
    auto found = strips.find(&blob);
    if (found == strips.end())
        found = strips.emplace(&blob, Decode(blob)).first;
    const QImage& strip = found->second;
    if (strip.isNull() || index < 0 || (index + 1) * size > strip.width())
        return {};
    return Keyed(strip.copy(index * size, 0, size, size));
}

}  // namespace

QPixmap ToolButtonImage(int index)
{
    return Cell(ArtToolButtons, index, 16);
}

QPixmap OptionImage(int index)
{
    return Cell(ArtOptionImages, index, 32);
}

QPixmap SplashPicture()
{
    return QPixmap::fromImage(Decode(ArtSplash));
}

QPixmap AppIconPicture()
{
    return Keyed(Decode(ArtAppIcon));
}
