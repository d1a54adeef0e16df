// Writes the program's icon, as the editor draws it, into PNG files for the hicolor icon theme:
// OUTDIR/NxN/apps/quorvel.png for each size the icon is drawn at.
#include "app/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: export-icon OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QIcon icon = quorvel::programIcon();
    for (const QSize& size : icon.availableSizes()) {
        const QString directory = QStringLiteral("%1x%2/apps").arg(size.width()).arg(size.height());
        const QString path = out.filePath(directory + QStringLiteral("/quorvel.png"));
        if (!out.mkpath(directory) || !icon.pixmap(size).save(path, "PNG")) {
            std::fprintf(stderr, "Cannot create file %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
