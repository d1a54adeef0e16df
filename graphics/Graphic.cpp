#include "graphics/Graphic.h"

#include "base/Error.h"
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
    openRegularFile(file, path, OpenMessages::CannotOpen, kPictureFileLimit);
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
