#include "graphics/Graphic.h"

#include "base/Error.h"

#include <QFile>
#include <QSaveFile>

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create file %1").arg(path));
    saveToStream(file);
    if (!file.commit())
        throw Error(QStringLiteral("Cannot create file %1").arg(path));
}

} // namespace quorvel
