#include "codecs/QtPicture.h"

#include "base/Error.h"
#include "base/Limits.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QBuffer>
#include <QImageReader>

namespace quorvel {

namespace {

// Whether the entropy-coded data of the last scan is followed by the end-of-image marker. The
// decoder fills a picture whose data stops early with grey and calls it read; stuffed bytes keep
// FF D9 out of the scan data itself, so the marker after the last start-of-scan tells a whole
// file from a cut one.
bool jpegEnds(const QByteArray& bytes)
{
    const qsizetype scan = bytes.lastIndexOf(QByteArrayLiteral("\xFF\xDA"));
    return scan >= 0 && bytes.indexOf(QByteArrayLiteral("\xFF\xD9"), scan + 2) >= 0;
}

// The plugin of `format` reading `bytes`, by that format alone and without turning the picture.
struct PluginReader {
    PluginReader(const QByteArray& bytes, const QByteArray& format)
    {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(format);
        reader.setDecideFormatFromContent(false);
        reader.setAutoTransform(false);
    }
    QBuffer buffer;
    QImageReader reader;
};

} // namespace

QtPicture::QtPicture(QByteArray format, QString label) : format_(std::move(format)), label_(std::move(label)) {}

std::optional<QSize> QtPicture::sizeFromHeader(const QByteArray& head) const
{
    PluginReader plugin(head, format_);
    QImageReader& reader = plugin.reader;
    // A file of another kind is left to the load, which says why, once.
    if (!reader.canRead()) return std::nullopt;
    const QSize size = reader.size();
    if (!size.isValid()) return std::nullopt;
    return size;
}

bool QtPicture::readable(const QByteArray& format)
{
    // Listing the formats loads every image plugin, so it is done once, and only when a kind
    // of theirs is first needed.
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    return formats.contains(format);
}

void QtPicture::loadFromStream(QIODevice& stream)
{
    const QByteArray bytes = readToEnd(stream);
    const auto invalid = [&](const QString& reason) {
        throw Error(QStringLiteral("%1 image is not valid: %2").arg(label_, reason));
    };
    PluginReader plugin(bytes, format_);
    QImageReader& reader = plugin.reader;
    const QSize size = reader.size();
    if (!size.isValid()) {
        // Asking for the size gives no reason; reading a file whose header cannot be read fails
        // before any pixel is allocated, and says why.
        PluginReader again(bytes, format_);
        QImageReader& why = again.reader;
        if (why.canRead() && !why.read().isNull()) invalid(QStringLiteral("its size cannot be read"));
        invalid(why.error() == QImageReader::UnknownError ? QStringLiteral("not a %1 file").arg(label_) : why.errorString());
    }
    if (!pictureSizeAllowed(size.width(), size.height()))
        throw Error(QStringLiteral("%1 image is too large").arg(label_));
    if (format_ == "jpeg" && !jpegEnds(bytes)) invalid(QStringLiteral("the image data ends early"));

    allowCapAllocations();
    const QImage image = withPictureMemory(size.width(), size.height(), [&] {
        // A plugin that cannot have the memory says only that it could not read the file: the
        // picture it will make is asked for first, so that a shortage is told as one.
        allocatePicture(size.width(), size.height(), QImage::Format_ARGB32);
        const QImage read = reader.read();
        if (read.isNull()) invalid(reader.errorString());
        if (read.size() != size) invalid(QStringLiteral("the picture is not the size its header gives"));
        const QImage converted = toBitmapFormat(read);
        if (converted.isNull()) notEnoughMemory(size.width(), size.height());
        return converted;
    });
    setImage(image);
}

} // namespace quorvel
