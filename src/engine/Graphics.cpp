#include "engine/Graphics.h"

void TBitmap::LoadFromFile(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> data = ReadPictureFile(path);
    FPicture = DecodeBmp(data.data(), data.size());
}

void TJPEGImage::LoadFromFile(const std::filesystem::path& path)
{
    const std::vector<std::uint8_t> data = ReadPictureFile(path);
    FPicture = DecodeJpeg(data.data(), data.size());
}
