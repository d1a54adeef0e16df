#include "document/EditorTitle.h"

#include "base/FileNames.h"
#include "base/Paths.h"

namespace quorvel {

QString editorTitle(const QString& path, int version)
{
    const QString title = QString::fromLatin1(kEditorTitle);
    if (path.isEmpty()) return title;
    return QStringLiteral("%1 \"%2\" (M32 v%3)").arg(title, shownPath(namestr(path))).arg(version);
}

QString saveChangesQuestion(const QString& path)
{
    return QStringLiteral("Save changes to \"%1\"?").arg(path.isEmpty() ? QStringLiteral("untitled") : namestr(path));
}

QString zoomStatus(int zoom)
{
    return QStringLiteral("Zoom %1x").arg(zoom);
}

QString levelStatus(int level, QSize size)
{
    return QStringLiteral("Level %1: %2 x %3").arg(level).arg(size.width()).arg(size.height());
}

QString pixelStatus(QPoint pixel, QRgb stored)
{
    return QStringLiteral("x %1, y %2 \u2014 R %3 G %4 B %5 A %6")
        .arg(pixel.x())
        .arg(pixel.y())
        .arg(qRed(stored))
        .arg(qGreen(stored))
        .arg(qBlue(stored))
        .arg(qAlpha(stored));
}

} // namespace quorvel
