#include "graphics/Graphic.h"

#include "base/Error.h"
#include "base/RegularFile.h"
#include "base/SaveFile.h"

#include <QFile>

namespace quorvel {

void Graphic::loadFromFile(const QString& path)
{
    QFile file;
    openRegularFile(file, path, OpenMessages::CannotOpen);
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
