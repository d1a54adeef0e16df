// Windows metafile records: 16-bit parameters, most in reverse order (y before x).
#include "graphics/metafile/MetafileDib.h"
#include "graphics/metafile/MetafilePlayers.h"
#include "graphics/metafile/MetafileRecords.h"

namespace quorvel::metafile {

namespace {

// A point stored y first.
QPointF pointYX(const Record& r, qint64 at)
{
    return QPointF(r.i16(at + 2), r.i16(at));
}

// A rectangle stored bottom, right, top, left.
QRectF rectBRTL(const Record& r, qint64 at)
{
    const double bottom = r.i16(at), right = r.i16(at + 2), top = r.i16(at + 4), left = r.i16(at + 6);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPolygonF points(const Record& r, qint64 at, qint64 count)
{
    r.need(at, count * 4);
    QPolygonF out;
    out.reserve(count);
    for (qint64 i = 0; i < count; ++i) out << QPointF(r.i16(at + 4 * i), r.i16(at + 4 * i + 2));
    return out;
}

QString wmfString(const Record& r, qint64 at, qint64 count)
{
    r.need(at, count);
    QByteArray bytes(reinterpret_cast<const char*>(r.data() + at), qsizetype(count));
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0) bytes.truncate(end);
    return QString::fromLatin1(bytes);
}

LogFont wmfFont(const Record& r)
{
    LogFont f;
    f.height = r.i16(0);
    f.escapement = r.i16(4);
    f.weight = r.i16(8);
    f.italic = r.u8(10);
    f.underline = r.u8(11);
    f.strikeOut = r.u8(12);
    f.charset = r.u8(13);
    const qint64 room = std::min<qint64>(32, r.size() - 18);
    if (room > 0) f.face = wmfString(r, 18, room);
    return f;
}

// A DIB packed after `at`: header, colour table and rows in one block.
Dib packedDib(const Record& r, qint64 at, bool paletteIndices, MetafileSurface& surface)
{
    const Record packed = r.sub(at, r.size() - at);
    const qint64 infoSize = packedDibInfoSize(packed, paletteIndices);
    return decodeOnSurface(packed.sub(0, infoSize), packed.sub(infoSize, packed.size() - infoSize), paletteIndices,
                          surface);
}

void record(std::uint16_t function, const Record& r, MetafileSurface& c)
{
    // The size of a record's parameters when it carries no bitmap is in the high byte of its
    // function number.
    const bool withBitmap = r.size() > 2 * qint64(function >> 8);
    switch (function) {
    case META_SAVEDC: c.saveDc(); break;
    case META_RESTOREDC: c.restoreDc(r.i16(0)); break;
    case META_SETBKMODE: c.setBkMode(r.i16(0)); break;
    case META_SETMAPMODE: c.setMapMode(r.i16(0)); break;
    case META_SETROP2: c.setRop2(r.i16(0)); break;
    case META_SETPOLYFILLMODE: c.setPolyFillMode(r.i16(0)); break;
    case META_SETTEXTALIGN: c.setTextAlign(r.u16(0)); break;
    case META_SETBKCOLOR: c.setBkColour(r.colour(0)); break;
    case META_SETTEXTCOLOR: c.setTextColour(r.colour(0)); break;
    case META_SETWINDOWORG: c.setWindowOrg(pointYX(r, 0)); break;
    case META_SETWINDOWEXT: c.setWindowExt(pointYX(r, 0)); break;
    case META_SETVIEWPORTORG: c.setViewportOrg(pointYX(r, 0)); break;
    case META_SETVIEWPORTEXT: c.setViewportExt(pointYX(r, 0)); break;
    case META_OFFSETWINDOWORG: c.offsetWindowOrg(pointYX(r, 0)); break;
    case META_OFFSETVIEWPORTORG: c.offsetViewportOrg(pointYX(r, 0)); break;
    case META_SCALEWINDOWEXT: c.scaleWindowExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0)); break;
    case META_SCALEVIEWPORTEXT: c.scaleViewportExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0)); break;
    case META_LINETO: c.lineTo(pointYX(r, 0)); break;
    case META_MOVETO: c.moveTo(pointYX(r, 0)); break;
    case META_EXCLUDECLIPRECT: c.excludeClip(rectBRTL(r, 0)); break;
    case META_INTERSECTCLIPRECT: c.intersectClip(rectBRTL(r, 0)); break;
    case META_ELLIPSE: c.ellipse(rectBRTL(r, 0)); break;
    case META_RECTANGLE: c.rectangle(rectBRTL(r, 0)); break;
    case META_ROUNDRECT: c.roundRect(rectBRTL(r, 4), QSizeF(r.i16(2), r.i16(0))); break;
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const auto kind = function == META_ARC ? MetafileSurface::ArcKind::Arc
            : function == META_PIE             ? MetafileSurface::ArcKind::Pie
                                             : MetafileSurface::ArcKind::Chord;
        c.arc(kind, rectBRTL(r, 8), pointYX(r, 4), pointYX(r, 0));
        break;
    }
    case META_POLYGON: c.polygon(points(r, 2, r.u16(0))); break;
    case META_POLYLINE: c.polyline(points(r, 2, r.u16(0))); break;
    case META_POLYPOLYGON: {
        const qint64 count = r.u16(0);
        r.need(2, count * 2);
        QList<QPolygonF> polygons;
        qint64 at = 2 + count * 2;
        for (qint64 i = 0; i < count; ++i) {
            const qint64 n = r.u16(2 + 2 * i);
            polygons << points(r, at, n);
            at += n * 4;
        }
        c.polyPolygon(polygons);
        break;
    }
    case META_SETPIXEL: c.setPixel(pointYX(r, 4), r.colour(0)); break;
    case META_PATBLT: c.patBlt(QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0)); break;
    case META_TEXTOUT: {
        const qint64 count = r.u16(0);
        const qint64 at = 2 + ((count + 1) & ~qint64(1));
        c.text(pointYX(r, at), wmfString(r, 2, count), 0, nullptr, {});
        break;
    }
    case META_EXTTEXTOUT: {
        const QPointF at = pointYX(r, 0);
        const qint64 count = r.u16(4);
        const std::uint32_t options = r.u16(6);
        qint64 next = 8;
        QRectF rect;
        const bool hasRect = options & (kEtoOpaque | kEtoClipped);
        if (hasRect) {
            rect = QRectF(QPointF(r.i16(8), r.i16(10)), QPointF(r.i16(12), r.i16(14)));
            next = 16;
        }
        const QString text = wmfString(r, next, count);
        next += (count + 1) & ~qint64(1);
        std::vector<double> dx;
        if (r.has(next, count * 2) && count > 0) {
            dx.reserve(size_t(count));
            for (qint64 i = 0; i < count; ++i) dx.push_back(r.i16(next + 2 * i));
        }
        c.text(at, text, options, hasRect ? &rect : nullptr, dx);
        break;
    }
    case META_CREATEPENINDIRECT: c.createObject(LogPen{r.u16(0), double(r.i16(2)), r.colour(6)}); break;
    case META_CREATEBRUSHINDIRECT: c.createObject(LogBrush{r.u16(0), r.colour(2), r.u16(6), {}}); break;
    case META_CREATEFONTINDIRECT: c.createObject(wmfFont(r)); break;
    case META_CREATEPATTERNBRUSH: c.createObject(LogBrush{0, QColor(128, 128, 128), 0, {}}); break; // device-dependent pattern
    case META_DIBCREATEPATTERNBRUSH: {
        // A pattern brush: a DIB, or a monochrome device-dependent bitmap in some BS_PATTERN ones.
        const bool paletteIndices = r.u16(2) == 1;
        LogBrush brush{5, Qt::black, 0, {}};
        try {
            const std::uint32_t header = r.u32(4);
            const bool dib = header == 12 || header == 40 || header == 52 || header == 56 || header == 64
                || header == 108 || header == 124;
            if (!dib) {
                const Record bitmap = r.sub(4, r.size() - 4);
                if (bitmap.has(0, 6)) c.countDecode(qint64(std::max<int>(0, bitmap.i16(2))) * std::max<int>(0, bitmap.i16(4)));
                brush.pattern = decodeBitmap16(bitmap);
            } else {
                brush.pattern = packedDib(r, 4, paletteIndices, c).image;
            }
        } catch (const ShortRecord&) {
        }
        c.createObject(brush);
        break;
    }
    case META_CREATEPALETTE:
    case META_CREATEREGION: c.createObject(OtherObject{}); break;
    case META_SELECTOBJECT: c.selectObject(r.u16(0)); break;
    case META_DELETEOBJECT: c.deleteObject(r.u16(0)); break;
    case META_SELECTPALETTE: c.checkObject(r.u16(0)); break; // palettes change nothing we draw
    case META_BITBLT:
    case META_STRETCHBLT:
        // Bitmaps in device-dependent form are not drawn; the pattern forms fill with the brush.
        if (!withBitmap) {
            const qint64 at = function == META_BITBLT ? 8 : 12;
            c.patBlt(QRectF(r.i16(at + 6), r.i16(at + 4), r.i16(at + 2), r.i16(at)), r.u32(0));
        }
        break;
    case META_DIBBITBLT: {
        // DIBBitBlt: raster operation, source y and x, [reserved], height, width, y and x.
        if (!withBitmap) {
            c.patBlt(QRectF(r.i16(14), r.i16(12), r.i16(10), r.i16(8)), r.u32(0));
            break;
        }
        const Dib dib = packedDib(r, 16, false, c);
        const double w = r.i16(10), h = r.i16(8);
        c.image(QRectF(r.i16(14), r.i16(12), w, h), dib.image, sourceRect(dib, r.i16(6), r.i16(4), w, h), r.u32(0));
        break;
    }
    case META_DIBSTRETCHBLT: {
        // DIBStretchBlt: raster operation, source height, width, y, x, [reserved], then the
        // destination's height, width, y, x.
        const qint64 d = withBitmap ? 12 : 14;
        const QRectF dest(r.i16(d + 6), r.i16(d + 4), r.i16(d + 2), r.i16(d));
        if (!withBitmap) {
            c.patBlt(dest, r.u32(0));
            break;
        }
        const Dib dib = packedDib(r, 20, false, c);
        c.image(dest, dib.image, sourceRect(dib, r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0));
        break;
    }
    case META_STRETCHDIB: {
        // StretchDIB: raster operation, colour usage, source height, width, y, x, then the
        // destination's height, width, y, x, and the DIB.
        const bool paletteIndices = r.u16(4) == 1;
        const QRectF dest(r.i16(20), r.i16(18), r.i16(16), r.i16(14));
        const Dib dib = packedDib(r, 22, paletteIndices, c);
        c.image(dest, dib.image, sourceRect(dib, r.i16(12), r.i16(10), r.i16(8), r.i16(6)), r.u32(0));
        break;
    }
    case META_SETDIBTODEV: {
        // SetDIBitsToDevice: colour usage, scan count, start scan, source y, x, height, width,
        // destination y, x, and the DIB.
        const bool paletteIndices = r.u16(0) == 1;
        const double w = r.i16(12), h = r.i16(10);
        const Dib dib = packedDib(r, 18, paletteIndices, c);
        c.image(QRectF(r.i16(16), r.i16(14), w, h), dib.image, sourceRect(dib, r.i16(8), r.i16(6), w, h), SRCCOPY);
        break;
    }
    default: break; // records that change nothing we draw
    }
}

} // namespace

void playWmf(const QByteArray& bytes, qsizetype at, MetafileSurface& surface)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qsizetype size = bytes.size();
    while (size - at >= 6) {
        const Record head(data + at, 6);
        const std::uint32_t words = head.u32(0);
        const std::uint16_t function = head.u16(4);
        if (words < 3 || qint64(words) > (size - at) / 2) invalid();
        if (function == 0) return;
        const Record params(data + at + 6, qsizetype(words) * 2 - 6);
        try {
            record(function, params, surface);
        } catch (const ShortRecord&) {
        }
        at += qsizetype(words) * 2;
    }
}

} // namespace quorvel::metafile
