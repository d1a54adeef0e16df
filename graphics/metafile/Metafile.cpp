#include "graphics/metafile/Metafile.h"

#include "base/Error.h"
#include "base/Limits.h"
#include "graphics/metafile/MetafileSurface.h"
#include "graphics/metafile/MetafilePlayers.h"
#include "graphics/StreamWindow.h"

#include <QIODevice>
#include <QPainter>

#include <cmath>

namespace quorvel {

using metafile::MetafileSurface;
using metafile::Form;
using metafile::Record;

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr double kPixelsPerInch = 96;

int naturalSide(double v)
{
    if (!std::isfinite(v)) metafile::invalid();
    const double rounded = std::round(std::abs(v));
    if (rounded < 1 || rounded > kMaxMetafileSide) metafile::invalid();
    return int(rounded);
}

} // namespace

void Metafile::loadFromStream(QIODevice& stream)
{
    load(readToEnd(stream));
}

Metafile::Header Metafile::readHeader(const QByteArray& bytes)
{
    const Record file(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
    const bool emf = file.has(0, 88) && file.u32(0) == 1 && file.u32(40) == kEmfSignature;
    const Header header = emf ? readEmfHeader(bytes) : readWmfHeader(bytes);
    if (!pictureSizeAllowed(header.width, header.height)) metafile::invalid();
    return header;
}

// An enhanced metafile's header: its frame (or, without one, its bounds) in device pixels and
// the picture's natural size.
Metafile::Header Metafile::readEmfHeader(const QByteArray& bytes)
{
    const Record file(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
    int width = 0, height = 0;
    qsizetype objectSlots = 0;
    QRectF frame;
    double pixelsPerMm = kPixelsPerInch / 25.4;
    if (file.u32(4) < 88) metafile::invalid(); // a header record shorter than a header
    // The frame is the picture's extent in hundredths of a millimetre; the reference
    // device's size in pixels and millimetres turns it into device pixels.
    const QRectF frameHmm(QPointF(file.i32(24), file.i32(28)), QPointF(file.i32(32), file.i32(36)));
    const QRectF bounds(QPointF(file.i32(8), file.i32(12)), QPointF(file.i32(16) + 1.0, file.i32(20) + 1.0));
    objectSlots = file.u16(56);
    double devX = file.i32(72), devY = file.i32(76);
    double mmX = file.i32(80), mmY = file.i32(84);
    const qint64 headerSize = file.u32(4);
    // The size in micrometres is more precise, when the header has it: some writers put
    // the description where it would be, so it is only taken when it agrees.
    if (headerSize >= 108 && file.has(100, 8)) {
        const double umX = file.i32(100) / 1000.0, umY = file.i32(104) / 1000.0;
        if (umX > 0 && umY > 0 && std::abs(umX - mmX) <= 1 && std::abs(umY - mmY) <= 1) {
            mmX = umX;
            mmY = umY;
        }
    }
    double perMmX = kPixelsPerInch / 25.4, perMmY = perMmX;
    if (devX > 0 && devY > 0 && mmX > 0 && mmY > 0) {
        perMmX = devX / mmX;
        perMmY = devY / mmY;
    }
    pixelsPerMm = std::sqrt(perMmX * perMmY);
    if (frameHmm.width() > 0 && frameHmm.height() > 0) {
        width = naturalSide(frameHmm.width() * kPixelsPerInch / 2540);
        height = naturalSide(frameHmm.height() * kPixelsPerInch / 2540);
        frame = QRectF(frameHmm.left() * perMmX / 100, frameHmm.top() * perMmY / 100,
                       frameHmm.width() * perMmX / 100, frameHmm.height() * perMmY / 100);
        // Some programs write a frame that misses where they drew: keep its size but put
        // it where the drawing is.
        if (bounds.isValid()) {
            const QRectF both = bounds.intersected(frame);
            const double area = bounds.width() * bounds.height();
            if (both.width() * both.height() < area / 2) frame.moveTopLeft(bounds.topLeft());
        }
    } else if (bounds.isValid()) {
        width = naturalSide(bounds.width() / perMmX / 25.4 * kPixelsPerInch);
        height = naturalSide(bounds.height() / perMmY / 25.4 * kPixelsPerInch);
        frame = bounds;
    } else {
        metafile::invalid();
    }
    return {Kind::Emf, width, height, 0, objectSlots, QRectF(), frame, pixelsPerMm};
}

// A Windows metafile's header, after the placeable header when there is one.
Metafile::Header Metafile::readWmfHeader(const QByteArray& bytes)
{
    const Record file(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
    const qsizetype fileSize = bytes.size();
    int width = 0, height = 0;
    qsizetype firstRecord = 0, objectSlots = 0;
    QRectF window, frame;
    qsizetype header = 0;
    bool placeable = false;
    if (file.has(0, 22) && file.u32(0) == kPlaceableKey) {
        placeable = true;
        header = 22;
    }
    if (!file.has(header, 18) || (file.u16(header) != 1 && file.u16(header) != 2) || file.u16(header + 2) != 9)
        metafile::invalid();
    objectSlots = file.u16(header + 10);
    firstRecord = header + 18;
    if (placeable) {
        const double left = file.i16(6), top = file.i16(8), right = file.i16(10), bottom = file.i16(12);
        const double inch = file.u16(14);
        if (inch == 0) metafile::invalid();
        width = naturalSide((right - left) * kPixelsPerInch / inch);
        height = naturalSide((bottom - top) * kPixelsPerInch / inch);
        window = QRectF(left, top, right - left, bottom - top);
    } else {
        // Without the placeable header the first window extent gives the size in pixels.
        qsizetype at = firstRecord;
        while (!width && fileSize - at >= 6) {
            const std::uint32_t words = file.u32(at);
            const std::uint16_t function = file.u16(at + 4);
            if (words < 3 || qint64(words) > (fileSize - at) / 2 || function == 0) break;
            if (function == 0x020C && words >= 5) {
                width = naturalSide(file.i16(at + 8));
                height = naturalSide(file.i16(at + 6));
            }
            at += qsizetype(words) * 2;
        }
        if (!width) metafile::invalid();
        window = QRectF(0, 0, width, height);
    }
    frame = QRectF(0, 0, width, height);
    return {Kind::Wmf, width, height, firstRecord, objectSlots, window, frame, kPixelsPerInch / 25.4};
}

std::optional<QSize> Metafile::sizeFromHeader(const QByteArray& head) const
{
    try {
        const Header header = readHeader(head);
        return QSize(header.width, header.height);
    } catch (const Error&) {
        return std::nullopt;
    }
}

void Metafile::load(const QByteArray& bytes)
{
    bytes_.clear();
    kind_ = Kind::None;
    width_ = height_ = 0;

    const Header header = readHeader(bytes);
    bytes_ = bytes;
    kind_ = header.kind;
    width_ = header.width;
    height_ = header.height;
    firstRecord_ = header.firstRecord;
    window_ = header.window;
    frame_ = header.frame;
    pixelsPerMm_ = header.pixelsPerMm;
    objectSlots_ = header.objectSlots;
    try {
        // Every record is checked, and the work of drawing counted, before the picture is taken.
        play(nullptr, QRectF(0, 0, width_, height_));
    } catch (...) {
        bytes_.clear();
        kind_ = Kind::None;
        width_ = height_ = 0;
        throw;
    }
}

void Metafile::play(QPainter* painter, const QRectF& target) const
{
    if (kind_ == Kind::Emf) {
        MetafileSurface surface(painter, Form::Emf, target, frame_, pixelsPerMm_, objectSlots_);
        metafile::playEmf(bytes_, surface);
    } else if (kind_ == Kind::Wmf) {
        MetafileSurface surface(painter, Form::Wmf, target, frame_, pixelsPerMm_, objectSlots_);
        surface.setWindowOrg(window_.topLeft());
        surface.setWindowExt(QPointF(window_.width(), window_.height()));
        metafile::playWmf(bytes_, firstRecord_, surface);
    }
}

void Metafile::draw(QPainter& painter, const QRect& target) const
{
    if (kind_ == Kind::None || target.isEmpty()) return;
    try {
        play(&painter, QRectF(target));
    } catch (const Error&) {
        // Drawing larger than the natural size may cost more than the check allowed; what was
        // drawn until then stays.
    }
}

} // namespace quorvel
