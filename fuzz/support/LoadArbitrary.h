// Fuzz targets of the picture readers: arbitrary bytes go through a picture's stream loader,
// which must give a picture or raise the system's error, nothing else. Each input is loaded
// twice: from an in-memory buffer, which the readers read straight from its bytes, and through a
// device that hands out a few bytes a read, as a file can, so the readers' windows are refilled
// at every odd place; both must give the same picture or the same message.
#pragma once

#include "base/Error.h"
#include "tests/support/Bytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace quorvel::fuzz {

// The picture's pixels, or the message it failed with.
template <class Picture>
std::pair<QImage, QString> loadFrom(QIODevice& device)
{
    Picture picture;
    try {
        picture.loadFromStream(device);
        return {picture.image(), QString()};
    } catch (const Error& e) {
        return {QImage(), e.message()};
    }
}

template <class Picture>
void loadArbitrary(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto direct = loadFrom<Picture>(buffer);
    test::TrickleStream trickle(bytes);
    if (loadFrom<Picture>(trickle) != direct) std::abort();
}

} // namespace quorvel::fuzz
