#include "graphics/PictureRegistry.h"

#include "graphics/Bitmap.h"
#include "base/Error.h"
#include "graphics/Icon.h"
#include "graphics/metafile/Metafile.h"

namespace quorvel {

namespace {

QList<PictureKind>& registry()
{
    static QList<PictureKind> kinds;
    return kinds;
}

} // namespace

void registerPictureKind(const QString& extension, const QString& description, GraphicFactory create)
{
    registry().append(PictureKind{extension.toLower(), description, std::move(create)});
}

const PictureKind* findPictureKind(const QString& extension)
{
    const QString wanted = extension.toLower();
    const QList<PictureKind>& kinds = registry();
    for (auto it = kinds.crbegin(); it != kinds.crend(); ++it)
        if (it->extension == wanted) return &*it;
    return nullptr;
}

const QList<PictureKind>& pictureKinds()
{
    return registry();
}

std::unique_ptr<Graphic> loadPicture(const QString& path, const Graphic::SizeCheck& check)
{
    const QString extension = pictureExtension(path);
    const PictureKind* kind = findPictureKind(extension);
    if (!kind) throw Error(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    std::unique_ptr<Graphic> graphic = kind->create();
    graphic->loadFromFile(path, check);
    return graphic;
}

void registerStandardPictureKinds()
{
    registerPictureKind("wmf", "Metafiles", [] { return std::make_unique<Metafile>(); });
    registerPictureKind("emf", "Enhanced Metafiles", [] { return std::make_unique<Metafile>(); });
    registerPictureKind("ico", "Icons", [] { return std::make_unique<Icon>(); });
    registerPictureKind("bmp", "Bitmaps", [] { return std::make_unique<Bitmap>(); });
}

} // namespace quorvel
