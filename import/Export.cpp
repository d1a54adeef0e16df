#include "import/Export.h"

#include "base/Error.h"
#include "base/SameFile.h"
#include "base/SaveFile.h"
#include "codecs/TargaImage.h"
#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "graphics/PictureMemory.h"
#include "graphics/PictureRegistry.h"
#include "import/MipmapChain.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <vector>

namespace quorvel {

namespace {

void checkLevel(const TextureDocument& document, int level)
{
    if (level < 1 || level > document.levelCount())
        throw Error(QStringLiteral("Level %1 does not exist; the texture has %2").arg(level).arg(levelsText(document.levelCount())));
}

// The resolution a PNG records: 100 dots per inch, as pictures made without a screen have it,
// so that the editor and the command line write the same bytes whatever the screen.
constexpr int kPngDotsPerMeter = 3937;

void savePng(QImage image, const QString& path)
{
    image.setDotsPerMeterX(kPngDotsPerMeter);
    image.setDotsPerMeterY(kPngDotsPerMeter);
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) {
        QImageWriter writer(&file, "png");
        // A writer that cannot put every byte on the device fails as a short write does.
        if (!writer.write(image)) throw WriteFailure(0);
    });
}

void saveTga32(const QImage& stored, const QString& path)
{
    TTarga targa;
    targa.colorBitmap().setImage(stored.convertToFormat(QImage::Format_RGB32));
    QImage alpha = stored.convertToFormat(QImage::Format_Alpha8);
    alpha.reinterpretAsFormat(QImage::Format_Grayscale8);
    targa.setAlphaPlane(alpha);
    targa.SaveDepth = 3;
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) { targa.saveToStream(file); });
}

} // namespace

QString exportFileName(const QString& typed)
{
    return QFileInfo(typed).fileName().contains(u'.') ? typed : typed + QStringLiteral(".bmp");
}

QImage exportedLevel(const TextureDocument& document, int level)
{
    checkLevel(document, level);
    const QImage& image = document.levelImage(level);
    const QSize size = document.levelSize(level);
    // A bitmap without pixels is no picture any program reads back.
    if (size.isEmpty()) throw Error(QStringLiteral("Level %1 is empty (%2 x %3)").arg(level).arg(size.width()).arg(size.height()));
    return image.size() == size ? image : image.copy(QRect(QPoint(0, 0), size));
}

QImage storedLevel(const TextureDocument& document, int level)
{
    checkLevel(document, level);
    const QSize size = document.levelSize(level);
    // Neither a PNG nor a Targa holds a picture without pixels.
    if (size.isEmpty())
        throw Error(QStringLiteral("Level %1 is %2 x %3 pixels: there is nothing to write").arg(level).arg(size.width()).arg(size.height()));
    return storedPixels(document, level);
}

void exportLevel(const TextureDocument& document, int level, const QString& path)
{
    const QString extension = pictureExtension(path).toLower();
    if (extension == u"png") savePng(storedLevel(document, level), path);
    else if (extension == u"tga") saveTga32(storedLevel(document, level), path);
    else saveBmp24(exportedLevel(document, level), path);
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

QString allLevelsFileName(const QString& name, int level, int width, int height)
{
    return QStringLiteral("%1-%2-%3x%4.png").arg(name).arg(level).arg(width).arg(height);
}

QStringList exportAllLevels(const TextureDocument& document, const QString& directory, const QString& name,
                            const QStringList& inputs)
{
    if (document.levelCount() == 0) throw Error("There is no level to export: the texture has no levels");
    // Every level and every name is checked before the first file is written, so that a level
    // without pixels or a name over an input leaves nothing behind.
    const InputFiles readFiles(inputs);
    QStringList paths;
    std::vector<QImage> stored;
    for (int k = 1; k <= document.levelCount(); ++k) {
        const QSize size = document.levelSize(k);
        paths << QDir(directory).filePath(allLevelsFileName(name, k, size.width(), size.height()));
        readFiles.refuseAsOutput(paths.back());
        stored.push_back(storedLevel(document, k));
    }
    for (int k = 0; k < paths.size(); ++k) savePng(stored[std::size_t(k)], paths[k]);
    return paths;
}

} // namespace quorvel
