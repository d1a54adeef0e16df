// The largest pictures the readers take. Every size is checked against these before a buffer is
// allocated, so a hostile header cannot make a reader ask for more memory than a real file needs.
#pragma once

#include <cstdint>

namespace quorvel {

// A bitmap file's declared picture and a metafile's natural size, in pixels (256 MB as 32-bit
// pixels).
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 26;

// A metafile's natural width or height, in pixels.
constexpr int kMaxMetafileSide = 16384;

// A bitmap carried inside a metafile, in pixels.
constexpr std::int64_t kMaxMetafileBitmapPixels = std::int64_t(32) * 1024 * 1024;

// A TGA, GIF or PCX picture, in pixels: 16384 x 16384, two 32-bit bitmaps of 1 GiB each at most.
constexpr std::uint64_t kMaxCodecPixels = std::uint64_t(1) << 28;

} // namespace quorvel
