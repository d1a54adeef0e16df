#include "import/Export.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "import/MipmapChain.h"

#include <QFileInfo>

namespace quorvel {

QString exportFileName(const QString& typed)
{
    return QFileInfo(typed).fileName().contains(u'.') ? typed : typed + QStringLiteral(".bmp");
}

QImage exportedLevel(const TextureDocument& document, int level)
{
    if (level < 1 || level > document.levelCount())
        throw Error(QStringLiteral("Level %1 does not exist; the texture has %2").arg(level).arg(levelsText(document.levelCount())));
    const QImage& image = document.levelImage(level);
    const QSize size = document.levelSize(level);
    // A bitmap without pixels is no picture any program reads back.
    if (size.isEmpty()) throw Error(QStringLiteral("Level %1 is empty (%2 x %3)").arg(level).arg(size.width()).arg(size.height()));
    return image.size() == size ? image : image.copy(QRect(QPoint(0, 0), size));
}

void exportLevel(const TextureDocument& document, int level, const QString& path)
{
    saveBmp24(exportedLevel(document, level), path);
}

void checkExportable(const TextureDocument& document)
{
    if (document.levelCount() == 0) throw Error("There is no level to export: the texture has no levels");
}

void exportCurrentLevel(const TextureDocument& document, const QString& path)
{
    checkExportable(document);
    exportLevel(document, document.currentLevel(), path);
}

} // namespace quorvel
