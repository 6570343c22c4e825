#pragma once
// The embedded pictures of the windows, cut into their images.

#include <QPixmap>

// Image Index of the tool window's 28 button images (16 x 16).
QPixmap ToolButtonImage(int index);
// Image Index of the option dialog's 20 images (32 x 32).
QPixmap OptionImage(int index);
QPixmap SplashPicture();
QPixmap AppIconPicture();
