#include "import/PictureKinds.h"

#include "codecs/QtPicture.h"
#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"
#include "codecs/TargaImage.h"
#include "codecs/UniBmp.h"
#include "graphics/Icon.h"
#include "graphics/PictureRegistry.h"
#include "graphics/metafile/Metafile.h"

#include <memory>

namespace quorvel {

namespace {

template <class Reader>
GraphicFactory reader()
{
    return [] { return std::make_unique<Reader>(); };
}

} // namespace

void registerAllPictureKinds()
{
    static bool done = false;
    if (done) return;
    done = true;

    // In the order of program start: the graphics layer's own kinds, the codecs', then the
    // import's. Icons, metafiles and Targa pictures can only be drawn, so the import draws them
    // onto a bitmap; the others are bitmaps already.
    //  extension, description, reader, filter, list order, drawn on import
    const PictureKind kinds[] = {
        {"wmf", "Metafiles", reader<Metafile>(), "Metafile", 6, true},
        {"emf", "Enhanced Metafiles", reader<Metafile>(), "Metafile", 5, true},
        {"ico", "Icons", reader<Icon>(), "Icon Files", 4, true},
        {"bmp", "BMP-Format", reader<TUniBitmap>(), "Windows Bitmap", 1, false},
        {"blz", "BLZ-Format", reader<TUniBitmap>(), "Windows Bitmap", 2, false},
        {"dib", "DIB-Format", reader<TUniBitmap>(), "Windows Bitmap", 3, false},
        {"gif", "GIF Image", reader<TSGIFBitmap>(), "Compuserver GIF", 7, false},
        {"pcx", "PCX Image", reader<TSPCXBitmap>(), "ZSoft PCX", 8, false},
        {"tga", "TGA Image", reader<TTarga>(), "Targa", 9, true},
    };
    for (const PictureKind& kind : kinds) registerPictureKind(kind);

    // The kinds the platform's image plugins read, each offered only where its plugin is
    // installed; our own readers keep their extensions.
    struct PlatformKind {
        const char* extension;
        const char* format; // the plugin's name
        const char* label;  // in messages
        const char* filter;
        int listOrder;
    };
    const PlatformKind platformKinds[] = {
        {"png", "png", "PNG", "PNG Image", 10},
        {"jpg", "jpeg", "JPEG", "JPEG Image", 11},
        {"jpeg", "jpeg", "JPEG", "JPEG Image", 11},
        {"webp", "webp", "WebP", "WebP Image", 12},
        {"tif", "tiff", "TIFF", "TIFF Image", 13},
        {"tiff", "tiff", "TIFF", "TIFF Image", 13},
    };
    for (const PlatformKind& kind : platformKinds) {
        const QByteArray format = kind.format;
        const QString label = QString::fromLatin1(kind.label);
        registerPictureKind({kind.extension, QStringLiteral("%1 Image").arg(label),
                             [format, label] { return std::make_unique<QtPicture>(format, label); }, kind.filter,
                             kind.listOrder, false, [format] { return QtPicture::readable(format); }});
    }
}

} // namespace quorvel
