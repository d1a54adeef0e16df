#include "graphics/Graphic.h"

#include "base/Error.h"
#include "base/SaveFile.h"

#include <QFile>

namespace quorvel {

void Graphic::loadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file %1").arg(path));
    loadFromStream(file);
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
