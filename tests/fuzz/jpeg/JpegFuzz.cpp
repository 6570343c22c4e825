// Our JPEG decoding on any bytes: a picture of the size it says, or the
// error the display reports; never a crash. libjpeg itself is not
// instrumented; our error handling, size checks and row copies are. A
// corner kept is that corner of the whole picture.
#include "fuzz/FuzzCheck.h"
#include "platform/PictureDecode.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const TDecodedPicture whole = DecodeJpeg(data, size);
        Require(whole.Width > 0 && whole.Height > 0 && whole.Width <= MaxPictureSide && whole.Height <= MaxPictureSide,
                "a decoded picture has a size within the bound");
        Require(whole.Pixels.size() == static_cast<std::size_t>(whole.Width) * static_cast<std::size_t>(whole.Height),
                "a decoded picture has all its pixels");
        const TDecodedPicture corner = DecodeJpeg(data, size, 3, 2);
        Require(corner.Width == std::min(whole.Width, 3) && corner.Height == std::min(whole.Height, 2),
                "a corner has the size asked for");
        for (int y = 0; y < corner.Height; ++y)
            for (int x = 0; x < corner.Width; ++x)
                Require(corner.Pixels[static_cast<std::size_t>(y * corner.Width + x)]
                            == whole.Pixels[static_cast<std::size_t>(y * whole.Width + x)],
                        "a corner is the whole picture's corner");
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
