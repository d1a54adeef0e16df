// quorvel-cli decode of the pictures whose readers are our own code and need nothing of Qt's GUI
// library: plain BMP, GIF, PCX and TGA. Loading that library, with the forty libraries it brings,
// costs a process more than decoding and writing a 1024 x 1024 picture does, so the front tries
// this module, which links Qt Core alone, before the commands library. It answers only what it
// answers exactly as the commands library would: an opaque picture, colour only, written as a
// 24-bit BMP. Anything else, a failure of any kind included, it hands back untouched, and the
// commands library then does the work again and reports in its own words.
#include "base/FileNames.h"
#include "base/PathText.h"
#include "base/ProcessMemory.h"
#include "base/RegularFile.h"
#include "base/SameFile.h"
#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"
#include "codecs/TargaPixels.h"
#include "codecs/UniBmp.h"
#include "graphics/BmpReader.h"
#include "graphics/BmpWriter.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <exception>
#include <optional>

namespace {

using namespace quorvel;

// The registry's kinds that this module reads with the same readers.
enum class Kind { Bitmap, Gif, Pcx, Targa };

std::optional<Kind> kindOf(const QString& path)
{
    const QString extension = extensionAfterLastDot(path).toLower();
    if (extension == QLatin1String("bmp")) return Kind::Bitmap;
    if (extension == QLatin1String("gif")) return Kind::Gif;
    if (extension == QLatin1String("pcx")) return Kind::Pcx;
    if (extension == QLatin1String("tga")) return Kind::Targa;
    return std::nullopt;
}

// The picture's colour as the import takes it, opened as every picture is; null where the
// picture classes would make more of it than its decoded colour (a compressed bitmap form, a
// layout the platform's reader decodes).
PixelImage readColour(const QString& path, Kind kind)
{
    QFile file;
    openRegularFile(file, path, OpenMessages::CannotOpen, kPictureFileLimit);
    switch (kind) {
    case Kind::Bitmap: {
        // The magic of either compressed form ends by byte 34.
        if (file.isSequential() || TUniBitmap::formOf(peekHead(file, 34)) != TUniBitmap::Form::Plain) return {};
        BmpPixels read = readBmpPixels(file);
        return read.forPlatform.isEmpty() ? std::move(read.pixels) : PixelImage();
    }
    case Kind::Gif: {
        TSGIF decoder;
        decoder.ReadGif(file);
        return decoder.takePixels();
    }
    case Kind::Pcx: {
        TSPCX256 decoder;
        decoder.ReadPcx(file);
        return decoder.takePixels();
    }
    case Kind::Targa:
        // A Targa picture is drawn on import, and its drawing is its colour bitmap.
        return readTarga(file, TargaColorMap{}, tgaNone, 0).colour;
    }
    return {};
}

} // namespace

// decode IMAGE OUT.bmp, given as the program's arguments: 0 when done, -1 when the commands
// library is to do it.
extern "C" __attribute__((visibility("default"))) int quorvelCliOwnDecode(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], "decode") != 0) return -1;
    const QString input = pathFromBytes(argv[2]), output = pathFromBytes(argv[3]);
    const std::optional<Kind> kind = kindOf(input);
    if (!kind) return -1;
    // As the commands library: a file-size limit makes a write fail instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    keepFreedMemoryForReuse();
    try {
        refuseOutputOverInputs(output, {input});
        const PixelImage colour = readColour(input, *kind);
        // A bitmap with alpha gives its colour through the image class's conversion; that and an
        // empty picture are the commands library's.
        if (colour.isNull() || colour.format() != PixelImage::Format::RGB32) return -1;
        withPictureMemory(colour.width(), colour.height(), [&] { saveBmp24(colour, output); });
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}
