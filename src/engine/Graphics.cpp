#include "engine/Graphics.h"

void TBitmap::LoadCorner(const std::filesystem::path& path, int width, int height)
{
    const std::vector<std::uint8_t> data = ReadPictureFile(path);
    FPicture = DecodeBmp(data.data(), data.size(), width, height);
}

void TJPEGImage::LoadCorner(const std::filesystem::path& path, int width, int height)
{
    const std::vector<std::uint8_t> data = ReadPictureFile(path);
    FPicture = DecodeJpeg(data.data(), data.size(), width, height);
}
