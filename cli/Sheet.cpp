// sheet [--zoom N] OUT.png TEXTURE.m32...: the level chains of textures side by side, for
// looking at how their smaller levels came out. Each texture is one row; its levels go left to
// right, each enlarged to level 1's size times N by repeating whole pixels (never blending), in
// the colour the level view shows (over the background grey). Rows and levels are framed by 4
// pixels of dark grey. The PNG is written whole or not at all. The sheet's size comes from the
// textures' level tables, so that one too large for a picture is refused before any pixel is
// read; the textures are then read one at a time while their rows are drawn.
#include "cli/Commands.h"
#include "base/Error.h"
#include "base/Limits.h"
#include "base/SameFile.h"
#include "document/M32File.h"
#include "document/NumberText.h"
#include "document/TextureDocument.h"
#include "graphics/PictureMemory.h"

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

[[noreturn]] void usage(const QString& problem)
{
    throw usageError("sheet", problem);
}

// One row's tiles, from the texture's level table alone: how many levels it has and level 1's
// size times the zoom. Level 1 is the first level the table marks present.
struct Row {
    QSize tile;
    int levels = 0;
};

Row rowOf(const QString& path, int zoom)
{
    const M32Header header = readM32Header(path);
    Row row;
    for (int k = 0; k < kMaxLevels; ++k) {
        if (header.offsets[k] == 0) continue;
        // A side the texture cannot have counts as empty here; opening the texture says what is wrong.
        if (row.levels++ == 0 && header.widths[k] >= 0 && header.widths[k] <= kMaxLevelSide && header.heights[k] >= 0
            && header.heights[k] <= kMaxLevelSide)
            row.tile = QSize(header.widths[k], header.heights[k]) * zoom;
    }
    if (row.levels == 0) throw Error(QStringLiteral("%1 has no levels").arg(path));
    return row;
}

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
    // A forgotten OUT would otherwise make the first texture the sheet.
    if (!paths[0].endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        usage(QStringLiteral("OUT must end in .png, not \"%1\"").arg(paths[0]));
    const QStringList textures = paths.mid(1);
    refuseOutputOverInputs(paths[0], textures);

    // The sheet's size from the level tables, before any pixel is read.
    std::vector<Row> rows;
    std::int64_t width = kGap, height = kGap;
    for (const QString& path : textures) {
        const Row row = rowOf(path, zoom);
        width = std::max(width, kGap + (row.tile.width() + kGap) * std::int64_t(row.levels));
        height += row.tile.height() + kGap;
        rows.push_back(row);
    }
    if (!pictureSizeAllowed(width, height))
        throw Error(QStringLiteral("The sheet would be %1 x %2 pixels; a picture has at most %3 on a side and %4 in all")
                        .arg(width)
                        .arg(height)
                        .arg(kMaxPictureSide)
                        .arg(kMaxPicturePixels));

    QImage out = allocatePicture(int(width), int(height), QImage::Format_RGB32);
    out.fill(qRgb(64, 64, 64));
    {
        // One texture at a time: only its levels and one enlarged tile are held beside the sheet.
        QPainter painter(&out);
        int y = kGap;
        for (qsizetype t = 0; t < textures.size(); ++t) {
            TextureDocument document;
            document.open(textures[t]);
            const QSize tile = document.levelSize(1) * zoom;
            // The table read above and the texture opened now must agree, or the sheet would be cut.
            if (tile != rows[std::size_t(t)].tile || document.levelCount() != rows[std::size_t(t)].levels)
                throw Error(QStringLiteral("%1 changed while the sheet was made").arg(textures[t]));
            int x = kGap;
            for (int k = 1; k <= document.levelCount(); ++k) {
                const QImage& level = document.levelImage(k);
                if (!level.isNull()) painter.drawImage(QPoint(x, y), level.scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation));
                x += tile.width() + kGap;
            }
            y += tile.height() + kGap;
        }
    }

    QSaveFile file(paths[0]);
    if (!file.open(QIODevice::WriteOnly) || !out.save(&file, "PNG") || !file.commit())
        throw Error(QStringLiteral("Cannot create file %1").arg(paths[0]));
    return 0;
}

} // namespace quorvel::cli
