// TUniBitmap: the bitmap class that reads plain Windows bitmaps and their two LZRW1-KH
// compressed forms, and the base of the GIF and PCX picture classes.
#pragma once

#include "graphics/Bitmap.h"

namespace quorvel {

class TUniBitmap : public Bitmap {
public:
    using Bitmap::Bitmap;
};

} // namespace quorvel
