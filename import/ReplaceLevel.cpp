#include "import/ReplaceLevel.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/PictureMemory.h"
#include "import/ChainFilters.h"
#include "import/ImportedPicture.h"
#include "import/MipmapChain.h"

namespace quorvel {

void checkReplacement(const TextureDocument& document, int level, const QImage& picture)
{
    if (level < 1 || level > document.levelCount())
        throw Error(QStringLiteral("Level %1 does not exist; the texture has %2").arg(level).arg(levelsText(document.levelCount())));
    const QSize size = document.levelSize(level);
    if (picture.size() != size)
        throw Error(QStringLiteral("The picture is %1 x %2; level %3 is %4 x %5")
                        .arg(picture.width())
                        .arg(picture.height())
                        .arg(level)
                        .arg(size.width())
                        .arg(size.height()));
}

void replaceLevel(TextureDocument& document, int level, const QImage& picture, bool usePictureAlpha)
{
    checkReplacement(document, level, picture);
    const QSize size = document.levelSize(level);
    const auto converted = [&](QImage::Format format) {
        QImage image = picture.convertToFormat(format);
        if (image.isNull() && !picture.isNull()) notEnoughMemory(size.width(), size.height());
        return image;
    };
    // Straight colour: the alpha is dropped without compositing.
    const QImage colour = converted(QImage::Format_RGB32);
    QImage alpha;
    if (usePictureAlpha && picture.hasAlphaChannel()) {
        alpha = converted(QImage::Format_Alpha8);
        alpha.reinterpretAsFormat(QImage::Format_Grayscale8);
    } else {
        alpha = document.alphaPlane(level).copy(QRect(QPoint(0, 0), size));
    }
    document.setLevelPixels(level, blendedOverGrey(colour, alpha), alpha);
}

void replaceLevelFromFile(TextureDocument& document, int level, const QString& path, bool usePictureAlpha)
{
    replaceLevel(document, level, loadImportedImage(path, usePictureAlpha), usePictureAlpha);
}

} // namespace quorvel
