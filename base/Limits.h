// The largest picture any reader takes. Every declared size is checked against it before a buffer
// is allocated, so a hostile header cannot make a reader ask for more memory than a real file
// of that size needs.
#pragma once

#include <cstdint>

namespace quorvel {

// A picture's pixels (256 MB as 32-bit pixels) and either of its sides.
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 26;
constexpr std::int64_t kMaxPictureSide = 16384;

// Whether a picture of `width` x `height` pixels is within the cap (an empty one is). A reader
// that has always taken longer strips of few pixels names its own side limit.
constexpr bool pictureSizeAllowed(std::int64_t width, std::int64_t height, std::int64_t maxSide = kMaxPictureSide)
{
    return width >= 0 && height >= 0 && width <= maxSide && height <= maxSide && width * height <= kMaxPicturePixels;
}

// The largest picture file a reader opens. No picture within the cap takes more than six bytes a
// pixel (a run-length PCX of bright 24-bit noise, at two bytes for each colour byte) and room for
// headers, palettes and metafile records; a larger file is refused before a byte is read.
constexpr std::int64_t kMaxPictureFileBytes = kMaxPicturePixels * 6 + (std::int64_t(64) << 20);

// A metafile's natural width or height, in pixels.
constexpr int kMaxMetafileSide = int(kMaxPictureSide);

// A bitmap carried inside a metafile, in pixels.
constexpr std::int64_t kMaxMetafileBitmapPixels = std::int64_t(32) * 1024 * 1024;

} // namespace quorvel
