#include "platform/PngEncode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>

std::optional<std::string> EncodePng(const std::vector<std::uint32_t>& pixels, int width, int height, int compression)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return std::nullopt;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint32_t* from = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | from[x];
    }
    // Qt's quality runs the other way: 0 is the smallest file, 100 the fastest.
    const int quality = compression < 0 ? -1 : (9 - std::min(compression, 9)) * 100 / 9;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG", quality))
        return std::nullopt;
    buffer.close();
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}
