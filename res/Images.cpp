// The icon and bitmaps: files under res/art, compiled into the program as Qt resources under
// ":/art" (see the top-level CMakeLists.txt); res/art/make-art.py draws them.

#include "res/Resources.h"

namespace res {

const char* FindImageResource(UINT id) {
    switch (id) {
    case 128:
        return ":/art/icon-128.ico";
    case 157:
        return ":/art/bitmap-157.bmp";
    case 25012:
        return ":/art/bitmap-25012.bmp";
    case 25013:
        return ":/art/bitmap-25013.bmp";
    case 25014:
        return ":/art/bitmap-25014.bmp";
    default:
        return nullptr;
    }
}

} // namespace res
