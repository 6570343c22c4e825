// Our BMP decoding paths on any bytes: the display's reader (Qt's decoder
// underneath, with our checks of size, rows and run lengths around it) and
// the image list's own DIB reader, from a file and from a packed DIB. A
// picture of the size it says, or the error the display reports; never a
// crash.
#include "engine/Graphics.h"
#include "fuzz/FuzzCheck.h"
#include "platform/PictureDecode.h"
#include "platform/TextRenderer.h"
#include "platform/WithoutWindows.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <string>

namespace {

void CheckView(const TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    Require(graphic.Width() <= MaxPictureSide && graphic.Height() <= MaxPictureSide, "a picture within the bound");
    const TImageView view = graphic.View();
    // The far corners are read: a view that promised more than it holds shows here.
    (void)view.RGBAt(graphic.Width() - 1, graphic.Height() - 1);
    (void)view.RGBAt(0, graphic.Height() - 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    UseWithoutWindows();
    EnsureGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const TDecodedPicture picture = DecodeBmp(data, size);
        Require(
            picture.Pixels.size() == static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height),
            "a decoded picture has all its pixels");
    } catch (const EInvalidGraphic&) {
    }
    TDIB dib;
    try {
        dib.LoadFromPackedDIB(data, size);
        CheckView(dib);
    } catch (const EInvalidGraphic&) {
    }
    // As a file, through the file header's checks; an anonymous file in memory.
    const int fd = ::memfd_create("bmp", MFD_CLOEXEC);
    if (fd >= 0 && ::write(fd, data, size) == static_cast<ssize_t>(size)) {
        try {
            dib.LoadFromFile("/proc/self/fd/" + std::to_string(fd));
            CheckView(dib);
        } catch (const EInvalidGraphic&) {
        }
    }
    if (fd >= 0)
        ::close(fd);
    return 0;
}
