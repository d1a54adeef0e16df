// Fuzz targets of the picture readers: arbitrary bytes go through a picture's stream loader,
// which must give a picture or raise the system's error, nothing else.
#pragma once

#include "base/Error.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace quorvel::fuzz {

template <class Picture>
void loadArbitrary(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    Picture picture;
    try {
        picture.loadFromStream(buffer);
    } catch (const Error&) {
    }
}

} // namespace quorvel::fuzz
