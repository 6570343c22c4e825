#include "platform/PictureDecode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg's own error handler ends the process; this one jumps back to the
// decoder with the message instead.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    // Data that end early are a damaged file, not a grey picture.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        ErrorExit(info);
}

// Only plain data live in this frame: the jump may leave it at any point.
// Every row is decoded, into `row` (one row of the whole width); the rows
// and columns within keepWidth x keepHeight go on into the picture.
bool Decode(const std::uint8_t* data, std::size_t size, int keepWidth, int keepHeight, TDecodedPicture& picture,
            std::vector<std::uint32_t>& row, TJpegError& error)
{
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = ErrorExit;
    error.Manager.emit_message = EmitMessage;
    error.Message[0] = 0;
    if (setjmp(error.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width > MaxPictureSide || info.image_height > MaxPictureSide) {
        std::snprintf(error.Message, sizeof error.Message,
                      "Picture is too large (%ux%u); at most %dx%d pixels are allowed", info.image_width,
                      info.image_height, MaxPictureSide, MaxPictureSide);
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    info.scale_num = 1;
    info.scale_denom = 1;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    picture.Width = std::min(width, keepWidth);
    picture.Height = std::min(static_cast<int>(info.output_height), keepHeight);
    picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
    row.resize(static_cast<std::size_t>(width));
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        // Four bytes per pixel fit the row exactly, CMYK as well.
        JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row.data())};
        jpeg_read_scanlines(&info, rows, 1);
        if (y >= picture.Height)
            continue;
        std::uint32_t* out = picture.Pixels.data() + static_cast<std::size_t>(y) * picture.Width;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(row.data());
        for (int x = 0; x < picture.Width; ++x) {
            if (cmyk) {
                // Stored inverted, as the common writers do.
                const unsigned c = bytes[4 * x], m = bytes[4 * x + 1], yellow = bytes[4 * x + 2], k = bytes[4 * x + 3];
                out[x] = ((c * k / 255) << 16) | ((m * k / 255) << 8) | (yellow * k / 255);
            } else {
                out[x] = row[static_cast<std::size_t>(x)] & 0x00FFFFFFu;
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

TDecodedPicture DecodeJpeg(const std::uint8_t* data, std::size_t size, int keepWidth, int keepHeight)
{
    if (size == 0)
        throw EInvalidGraphic("JPEG picture cannot be read: the file is empty");
    TDecodedPicture picture;
    std::vector<std::uint32_t> row;
    TJpegError error;
    if (!Decode(data, size, std::max(keepWidth, 1), std::max(keepHeight, 1), picture, row, error)) {
        const std::string message = error.Message;
        if (message.rfind("Picture is too large", 0) == 0)
            throw EInvalidGraphic(message);
        throw EInvalidGraphic("JPEG picture cannot be read: " + message);
    }
    if (picture.Width <= 0 || picture.Height <= 0)
        throw EInvalidGraphic("JPEG picture cannot be read: it has no pixels");
    return picture;
}
