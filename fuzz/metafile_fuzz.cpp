// The metafile reader on arbitrary bytes, both forms: a picture that draws, or "Metafile is not
// valid", nothing else. Drawing goes onto a small image so each input stays quick.
#include "base/Error.h"
#include "graphics/metafile/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// Fontconfig keeps what it allocates for font fallback past any one input; that is not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Fonts need an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    quorvel::Metafile metafile;
    try {
        metafile.load(bytes);
    } catch (const quorvel::Error&) {
        return 0;
    }
    const int width = std::min(metafile.width(), 256);
    const int height = std::min(metafile.height(), 256);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    metafile.draw(painter, QRect(0, 0, width, height));
    return 0;
}
