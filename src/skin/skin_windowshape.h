// Pictures on screens: loading a skin picture into an image control, and a
// borderless screen cut to the outline of its background picture.
#pragma once

#include "platform/strings.h"

namespace win {
class Control;
class Image;
}  // namespace win

// Loads a picture file into the control: a ".png" file as PNG, any other file
// as BMP (or as PNG when its contents are one). A missing or unreadable file
// changes nothing; false then.
[[nodiscard]] bool LoadPicture(win::Image& control, const String& path);

// Loads the picture into the control and cuts the window to its outline (at
// the picture's own size). A missing or unreadable file changes nothing, so a
// damaged background never makes the whole window disappear.
[[nodiscard]] bool SetShapedBackground(win::Control& window, win::Image& control, const String& path);

namespace win {
class Bitmap;
}

// Reads a skin picture file into picture, as LoadPicture does. False, with
// picture emptied, when the file is missing or unreadable.
[[nodiscard]] bool LoadSkinPicture(const String& path, win::Bitmap& picture);
