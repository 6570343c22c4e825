#include "platform/PictureDecode.h"

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
bool Decode(const std::uint8_t* data, std::size_t size, TDecodedPicture& picture, TJpegError& error)
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
    picture.Width = static_cast<int>(info.output_width);
    picture.Height = static_cast<int>(info.output_height);
    picture.Pixels.resize(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
    while (info.output_scanline < info.output_height) {
        std::uint32_t* row = picture.Pixels.data() + static_cast<std::size_t>(info.output_scanline) * picture.Width;
        if (cmyk) {
            // Four bytes per pixel fit the row exactly; converted in place.
            JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row)};
            jpeg_read_scanlines(&info, rows, 1);
            auto* bytes = reinterpret_cast<std::uint8_t*>(row);
            for (int x = 0; x < picture.Width; ++x) {
                // Stored inverted, as the common writers do.
                const unsigned c = bytes[4 * x], m = bytes[4 * x + 1], y = bytes[4 * x + 2], k = bytes[4 * x + 3];
                row[x] = ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
            }
        } else {
            JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row)};
            jpeg_read_scanlines(&info, rows, 1);
            for (int x = 0; x < picture.Width; ++x)
                row[x] &= 0x00FFFFFFu;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

TDecodedPicture DecodeJpeg(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        throw EInvalidGraphic("JPEG picture cannot be read: the file is empty");
    TDecodedPicture picture;
    TJpegError error;
    if (!Decode(data, size, picture, error)) {
        const std::string message = error.Message;
        if (message.rfind("Picture is too large", 0) == 0)
            throw EInvalidGraphic(message);
        throw EInvalidGraphic("JPEG picture cannot be read: " + message);
    }
    if (picture.Width <= 0 || picture.Height <= 0)
        throw EInvalidGraphic("JPEG picture cannot be read: it has no pixels");
    return picture;
}
