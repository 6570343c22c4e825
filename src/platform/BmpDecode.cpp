#include "platform/PictureDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <string>

std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& path)
{
    // Without waiting: a FIFO or device of a picture's name never stops the
    // editor, and only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw EInvalidGraphic("Cannot open file \"" + path.string() + "\"");
    std::vector<std::uint8_t> data;
    const auto readAll = [&]() -> std::string {
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
            return "Cannot open file \"" + path.string() + "\": it is not a regular file";
        // Even an 8192 x 8192 picture stored at 32 bits fits well below this.
        if (status.st_size > (off_t{1} << 30))
            return "File \"" + path.string() + "\" is too large for a picture";
        data.resize(static_cast<std::size_t>(status.st_size));
        for (std::size_t done = 0; done < data.size();) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return "Cannot read file \"" + path.string() + "\"";
            done += static_cast<std::size_t>(got);
        }
        return {};
    };
    const std::string problem = readAll();
    ::close(fd);
    if (!problem.empty())
        throw EInvalidGraphic(problem);
    return data;
}

namespace {

void CheckSize(int width, int height)
{
    if (width > MaxPictureSide || height > MaxPictureSide)
        throw EInvalidGraphic("Picture is too large (" + std::to_string(width) + "x" + std::to_string(height)
                              + "); at most " + std::to_string(MaxPictureSide) + "x" + std::to_string(MaxPictureSide)
                              + " pixels are allowed");
}

std::uint32_t Read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
           | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Qt's reader shows a file whose rows stop early as if it were whole; a
// truncated file is a damaged one, so the rows are checked to be all there.
void CheckRowsComplete(const std::uint8_t* data, std::size_t size)
{
    if (size < 30)
        throw EInvalidGraphic("Bitmap image is not valid");
    const std::uint32_t offset = Read32(data + 10);
    const std::uint32_t header = Read32(data + 14);
    std::uint64_t width, height, bpp, compression = 0;
    if (header == 12) {
        width = data[18] | (data[19] << 8);
        height = data[20] | (data[21] << 8);
        bpp = data[24] | (data[25] << 8);
    } else {
        if (size < 34)
            throw EInvalidGraphic("Bitmap image is not valid");
        width = Read32(data + 18);
        const auto signedHeight = static_cast<std::int32_t>(Read32(data + 22));
        height = signedHeight < 0 ? -static_cast<std::int64_t>(signedHeight) : signedHeight;
        bpp = data[28] | (data[29] << 8);
        compression = size >= 34 ? Read32(data + 30) : 0;
    }
    if (offset >= size)
        throw EInvalidGraphic("Bitmap image is not valid: no pixel rows");
    if (compression == 1 || compression == 2) {
        // Run-length data must reach their end-of-bitmap code.
        std::size_t at = offset;
        while (at + 2 <= size) {
            const std::uint8_t count = data[at], value = data[at + 1];
            at += 2;
            if (count > 0 || value == 0)
                continue;
            if (value == 1)
                return;
            if (value == 2) {
                at += 2;
                continue;
            }
            const std::size_t bytes = compression == 1 ? value : (value + 1u) / 2;
            at += bytes + (bytes & 1);
        }
        throw EInvalidGraphic("Bitmap image is not valid: the run-length data are truncated");
    }
    if (width > static_cast<std::uint64_t>(MaxPictureSide) || height > static_cast<std::uint64_t>(MaxPictureSide))
        return;  // refused by the size check
    const std::uint64_t stride = ((width * bpp + 31) / 32) * 4;
    if (offset + stride * height > size)
        throw EInvalidGraphic("Bitmap image is not valid: the pixel rows are truncated");
}

}  // namespace

TDecodedPicture DecodeBmp(const std::uint8_t* data, std::size_t size, int keepWidth, int keepHeight)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        throw EInvalidGraphic("Bitmap image is not valid");
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The reader's own limit (128 MB) would refuse pictures below our 8192 x
    // 8192 bound, which CheckSize enforces before anything is decoded.
    QImageReader::setAllocationLimit(320);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    if (declared.isValid())
        CheckSize(declared.width(), declared.height());
    CheckRowsComplete(data, size);
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw EInvalidGraphic("Bitmap image is not valid");
    CheckSize(image.width(), image.height());
    TDecodedPicture picture;
    picture.Width = std::min(image.width(), std::max(keepWidth, 1));
    picture.Height = std::min(image.height(), std::max(keepHeight, 1));
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono
        || image.format() == QImage::Format_MonoLSB) {
        for (const QRgb c : image.colorTable())
            picture.Palette.push_back(c & 0x00FFFFFFu);
    }
    const QImage rgb = image.copy(0, 0, picture.Width, picture.Height).convertToFormat(QImage::Format_RGB32);
    picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint32_t* out = picture.Pixels.data() + static_cast<std::size_t>(y) * picture.Width;
        for (int x = 0; x < picture.Width; ++x)
            out[x] = row[x] & 0x00FFFFFFu;
    }
    return picture;
}
