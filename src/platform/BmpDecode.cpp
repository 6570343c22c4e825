#include "platform/PictureDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <fstream>
#include <string>

std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw EInvalidGraphic("Cannot open file \"" + path.string() + "\"");
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0)
        throw EInvalidGraphic("Cannot read file \"" + path.string() + "\"");
    // Even an 8192 x 8192 picture stored at 32 bits fits well below this.
    if (size > (std::streamoff{1} << 30))
        throw EInvalidGraphic("File \"" + path.string() + "\" is too large for a picture");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!data.empty() && !file.read(reinterpret_cast<char*>(data.data()), size))
        throw EInvalidGraphic("Cannot read file \"" + path.string() + "\"");
    return data;
}

namespace {

void CheckSize(int width, int height)
{
    if (width > MaxPictureSide || height > MaxPictureSide)
        throw EInvalidGraphic("Picture is too large (" + std::to_string(width) + "x" + std::to_string(height) +
                              "); at most " + std::to_string(MaxPictureSide) + "x" +
                              std::to_string(MaxPictureSide) + " pixels are allowed");
}

} // namespace

TDecodedPicture DecodeBmp(const std::uint8_t* data, std::size_t size)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        throw EInvalidGraphic("Bitmap image is not valid");
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    if (declared.isValid())
        CheckSize(declared.width(), declared.height());
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw EInvalidGraphic("Bitmap image is not valid");
    CheckSize(image.width(), image.height());
    TDecodedPicture picture;
    picture.Width = image.width();
    picture.Height = image.height();
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
        image.format() == QImage::Format_MonoLSB) {
        for (const QRgb c : image.colorTable())
            picture.Palette.push_back(c & 0x00FFFFFFu);
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint32_t* out = picture.Pixels.data() + static_cast<std::size_t>(y) * picture.Width;
        for (int x = 0; x < picture.Width; ++x)
            out[x] = row[x] & 0x00FFFFFFu;
    }
    return picture;
}
