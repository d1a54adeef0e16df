#include "import/ImportedPicture.h"

#include "base/PathText.h"
#include "codecs/TargaImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/PictureMemory.h"
#include "graphics/PictureRegistry.h"
#include "import/MipmapChain.h"

#include <QPainter>

#include <algorithm>

namespace quorvel {

bool drawnOnImport(const QString& path)
{
    const QString ending = upperCasedLastCharacters(path, 3);
    return ending == "TGA" || ending == "ICO" || ending == "EMF" || ending == "WMF";
}

namespace {

// The Targa picture's colour with its alpha plane, or a null image when it has none.
QImage targaWithAlpha(const TTarga& targa)
{
    const QImage& plane = targa.alphaPlane();
    if (plane.isNull()) return {};
    QImage image = targa.colorBitmap().image().convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(image.width(), plane.width()), h = std::min(image.height(), plane.height());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* alpha = plane.constScanLine(y);
        for (int x = 0; x < w; ++x) row[x] = (row[x] & 0x00FFFFFFu) | QRgb(alpha[x]) << 24;
    }
    return image;
}

// The picture's straight colour and alpha when its reader has alpha, else a null image.
QImage withOwnAlpha(const Graphic& graphic)
{
    if (const auto* targa = dynamic_cast<const TTarga*>(&graphic)) return targaWithAlpha(*targa);
    if (const auto* icon = dynamic_cast<const Icon*>(&graphic)) return icon->image().convertToFormat(QImage::Format_ARGB32);
    const auto* bitmap = dynamic_cast<const Bitmap*>(&graphic);
    if (bitmap && bitmap->image().hasAlphaChannel()) return bitmap->image().convertToFormat(QImage::Format_ARGB32);
    return {};
}

} // namespace

QImage importedImage(const QString& path, const Graphic& graphic, bool ownAlpha)
{
    if (ownAlpha) {
        const QImage image = withOwnAlpha(graphic);
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
    return loadPicture(path, [](QSize declared) { checkChainLimits(0, declared, false); });
}

QImage loadImportedImage(const QString& path, bool ownAlpha)
{
    const std::unique_ptr<Graphic> graphic = loadPicture(path);
    return importedImage(path, *graphic, ownAlpha);
}

} // namespace quorvel
