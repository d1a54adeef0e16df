#include "import/ImportedPicture.h"

#include "base/Error.h"
#include "base/PathText.h"
#include "graphics/Bitmap.h"
#include "graphics/PictureMemory.h"
#include "graphics/PictureRegistry.h"
#include "import/MipmapChain.h"

#include <QPainter>

#include <algorithm>

namespace quorvel {

void checkPictureHasPixels(QSize size)
{
    if (size.width() <= 0 || size.height() <= 0)
        throw Error(QStringLiteral("The picture is empty (%1 x %2)").arg(size.width()).arg(size.height()));
}

bool drawnOnImport(const QString& path)
{
    const PictureKind* kind = findPictureKind(pictureExtension(path));
    return kind && kind->drawnOnImport;
}

QImage importedImage(const QString& path, const Graphic& graphic, bool ownAlpha)
{
    if (ownAlpha) {
        const QImage image = graphic.colourAndAlpha();
        if (!image.isNull()) return image;
    }
    const auto* bitmap = dynamic_cast<const Bitmap*>(&graphic);
    if (bitmap && !drawnOnImport(path)) {
        // Only the colour goes on: bitmaps hold straight (not premultiplied) alpha, which the
        // conversion drops without compositing.
        const QImage colour = bitmap->image().convertToFormat(QImage::Format_RGB32);
        if (colour.isNull() && !bitmap->image().isNull()) notEnoughMemory(bitmap->width(), bitmap->height());
        return colour;
    }
    // A picture that holds its drawing ready is not drawn again.
    if (QImage ready = graphic.drawnAtOwnSize(); !ready.isNull()) return ready;
    // The drawing surface of the picture's own size; one that cannot be had is a failure, never
    // an empty picture.
    QImage image = allocatePicture(std::max(graphic.width(), 0), std::max(graphic.height(), 0), QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!image.isNull()) {
        QPainter painter(&image);
        graphic.draw(painter, QPoint(0, 0));
    }
    return image;
}

std::unique_ptr<Graphic> loadLevelPicture(const QString& path)
{
    std::unique_ptr<Graphic> graphic = loadPicture(path, [](QSize declared) { checkChainLimits(0, declared, false); });
    // A picture without pixels would give a texture without levels.
    checkPictureHasPixels(QSize(graphic->width(), graphic->height()));
    return graphic;
}

QImage loadImportedImage(const QString& path, bool ownAlpha)
{
    const std::unique_ptr<Graphic> graphic = loadPicture(path);
    checkPictureHasPixels(QSize(graphic->width(), graphic->height()));
    return importedImage(path, *graphic, ownAlpha);
}

} // namespace quorvel
