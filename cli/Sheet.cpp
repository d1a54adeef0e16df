// sheet [--zoom N] OUT.png TEXTURE.m32...: the level chains of textures side by side, for
// looking at how their smaller levels came out. Each texture is one row; its levels go left to
// right, each enlarged to level 1's size times N by repeating whole pixels (never blending), in
// the colour the level view shows (over the background grey). Rows and levels are framed by 4
// pixels of dark grey. The PNG is written whole or not at all.
#include "cli/Commands.h"
#include "base/Error.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace quorvel::cli {

namespace {

constexpr int kGap = 4;
constexpr int kMaxZoom = 16;
// The sheet is refused past this many pixels on a side, long before memory is at stake.
constexpr int kMaxSheetSide = 16384;

[[noreturn]] void usage(const QString& problem)
{
    throw UsageError(QStringLiteral("quorvel-cli sheet: %1\nusage: quorvel-cli sheet %2")
                         .arg(problem, QString::fromLatin1(command("sheet").usage))
                         .toStdString());
}

struct Row {
    QSize tile;
    std::vector<QImage> levels;
};

} // namespace

int sheet(const QStringList& args)
{
    int zoom = 1;
    QStringList paths;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] != u"--zoom") {
            paths << args[i];
            continue;
        }
        const QString text = i + 1 < args.size() ? args[i + 1] : QString();
        const std::optional<std::int32_t> n = wholeNumberOf(text);
        if (i + 1 >= args.size() || !n || *n < 1 || *n > kMaxZoom)
            usage(QStringLiteral("--zoom must be a whole number from 1 to %1, not \"%2\"").arg(kMaxZoom).arg(text));
        zoom = *n;
        ++i;
    }
    if (paths.size() < 2) usage(QStringLiteral("OUT.png and at least one TEXTURE.m32 are needed"));

    std::vector<Row> rows;
    long long width = kGap, height = kGap;
    for (qsizetype i = 1; i < paths.size(); ++i) {
        TextureDocument document;
        document.open(paths[i]);
        if (document.levelCount() == 0) throw Error(QStringLiteral("%1 has no levels").arg(paths[i]));
        Row row{document.levelSize(1) * zoom, {}};
        for (int k = 1; k <= document.levelCount(); ++k) row.levels.push_back(document.levelImage(k));
        width = std::max(width, kGap + (row.tile.width() + kGap) * (long long)(row.levels.size()));
        height += row.tile.height() + kGap;
        rows.push_back(row);
    }
    if (width > kMaxSheetSide || height > kMaxSheetSide)
        throw Error(QStringLiteral("The sheet would be %1 x %2 pixels; it has at most %3 on a side")
                        .arg(width)
                        .arg(height)
                        .arg(kMaxSheetSide));

    QImage out(int(width), int(height), QImage::Format_RGB32);
    if (out.isNull()) throw Error(QStringLiteral("Not enough memory for the sheet"));
    out.fill(qRgb(64, 64, 64));
    {
        QPainter painter(&out);
        int y = kGap;
        for (const Row& row : rows) {
            int x = kGap;
            for (const QImage& level : row.levels) {
                if (!level.isNull()) painter.drawImage(QPoint(x, y), level.scaled(row.tile, Qt::IgnoreAspectRatio, Qt::FastTransformation));
                x += row.tile.width() + kGap;
            }
            y += row.tile.height() + kGap;
        }
    }

    QSaveFile file(paths[0]);
    if (!file.open(QIODevice::WriteOnly) || !out.save(&file, "PNG") || !file.commit())
        throw Error(QStringLiteral("Cannot create file %1").arg(paths[0]));
    return 0;
}

} // namespace quorvel::cli
