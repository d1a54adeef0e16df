#include "graphics/Graphic.h"

#include "base/Error.h"
#include "base/Limits.h"
#include "base/RegularFile.h"
#include "base/SaveFile.h"

#include <QFile>

namespace quorvel {

void Graphic::loadFromFile(const QString& path)
{
    loadFromFile(path, SizeCheck());
}

void Graphic::loadFromFile(const QString& path, const SizeCheck& check)
{
    QFile file;
    // No picture within the cap takes more than six bytes a pixel (a run-length PCX of bright
    // 24-bit noise, at two bytes for each colour byte) and room for headers, palettes and
    // metafile records; a larger file is refused before a byte is read.
    openRegularFile(file, path, OpenMessages::CannotOpen, {kMaxPicturePixels * 6 + (std::int64_t(64) << 20), "a picture"});
    if (check)
        if (const std::optional<QSize> size = sizeFromHeader(file.peek(kHeaderBytes))) check(*size);
    loadFromStream(file);
}

std::optional<QSize> Graphic::sizeFromHeader(const QByteArray&) const
{
    return std::nullopt;
}

void Graphic::saveToStream(QIODevice&) const
{
    throw Error("This kind of picture cannot be saved");
}

void Graphic::saveToFile(const QString& path) const
{
    saveWhole(path, SaveMessages::PictureLayer, [this](QIODevice& file) { saveToStream(file); });
}

} // namespace quorvel
