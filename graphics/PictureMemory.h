// Memory for whole pictures. A picture within the size cap may still not fit in the memory the
// program has; that is a failure naming the size, never an empty picture or a library's own text.
#pragma once

#include "graphics/PixelImage.h"

#include <QImage>

#include <cstdint>
#include <new>
#include <utility>

namespace quorvel {

// Raises "Not enough memory for a W x H picture".
[[noreturn]] void notEnoughMemory(std::int64_t width, std::int64_t height);

// A new image of the size, or the failure above.
QImage allocatePicture(int width, int height, QImage::Format format);
// The image class over a reader's pixels, taking their block over without a copy; a null image
// for null pixels.
QImage adoptPixels(PixelImage&& pixels);

// The same for a texture's level: "Not enough memory for a W x H level".
[[noreturn]] void notEnoughMemoryForLevel(std::int64_t width, std::int64_t height);
QImage allocateLevel(int width, int height, QImage::Format format);

// Lets the platform's image readers allocate as much as the largest picture within the cap needs
// at 32 bits a pixel (they refuse anything above their own, lower limit otherwise), and no more.
void allowCapAllocations();

// Runs `work`, turning an allocation that fails inside it into the failure above.
template <class Work>
decltype(auto) withPictureMemory(std::int64_t width, std::int64_t height, Work&& work)
{
    try {
        return std::forward<Work>(work)();
    } catch (const std::bad_alloc&) {
        notEnoughMemory(width, height);
    }
}

} // namespace quorvel
