// Enhanced metafile records: a 32-bit type and size, then 32-bit parameters; bitmaps and strings
// are placed by offsets from the start of their record.
#include "graphics/metafile/MetafileDib.h"
#include "graphics/metafile/MetafilePlayers.h"
#include "graphics/metafile/MetafileRecords.h"

#include <QLinearGradient>

#include <cmath>

namespace quorvel::metafile {

namespace {

QPointF pointL(const Record& r, qint64 at)
{
    return QPointF(r.i32(at), r.i32(at + 4));
}

QRectF rectL(const Record& r, qint64 at)
{
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

// Points of 32 bits (POINTL) or 16 bits (POINTS) each.
QPolygonF points(const Record& r, qint64 at, qint64 count, bool small)
{
    const qint64 step = small ? 4 : 8;
    r.need(at, count * step);
    QPolygonF out;
    out.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 p = at + i * step;
        out << (small ? QPointF(r.i16(p), r.i16(p + 2)) : QPointF(r.i32(p), r.i32(p + 4)));
    }
    return out;
}

QList<QPolygonF> polyPoints(const Record& r, bool small)
{
    const qint64 polygons = r.u32(24);
    const qint64 total = r.u32(28);
    r.need(32, polygons * 4);
    const qint64 at = 32 + polygons * 4;
    const QPolygonF all = points(r, at, total, small);
    QList<QPolygonF> out;
    qint64 used = 0;
    for (qint64 i = 0; i < polygons; ++i) {
        const qint64 n = r.u32(32 + 4 * i);
        if (n > total - used) throw ShortRecord{};
        out << all.mid(used, n);
        used += n;
    }
    return out;
}

QTransform xform(const Record& r, qint64 at)
{
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20));
}

// A bitmap placed by offsets and lengths inside the record.
Dib recordDib(const Record& r, qint64 infoAt, qint64 bitsAt, bool paletteIndices, MetafileSurface& c)
{
    const qint64 offInfo = r.u32(infoAt), infoSize = r.u32(infoAt + 4);
    const qint64 offBits = r.u32(bitsAt), bitsSize = r.u32(bitsAt + 4);
    return decodeOnSurface(r.sub(offInfo, infoSize), r.sub(offBits, bitsSize), paletteIndices, c);
}

QList<QRectF> regionRects(const Record& r, qint64 at, qint64 size)
{
    QList<QRectF> rects;
    if (size < 32) return rects;
    const Record region = r.sub(at, size);
    const qint64 count = region.u32(8);
    region.need(32, count * 16);
    rects.reserve(count);
    for (qint64 i = 0; i < count; ++i) rects << rectL(region, 32 + 16 * i);
    return rects;
}

void text(const Record& r, bool wide, MetafileSurface& c)
{
    const QPointF reference = pointL(r, 36);
    const qint64 count = r.u32(44);
    const qint64 offString = r.u32(48);
    const std::uint32_t options = r.u32(52);
    const QRectF rect = rectL(r, 56);
    const qint64 offDx = r.u32(72);
    QString string;
    if (wide) {
        r.need(offString, count * 2);
        string.reserve(count);
        for (qint64 i = 0; i < count; ++i) string.append(QChar(r.u16(offString + 2 * i)));
    } else {
        r.need(offString, count);
        string = QString::fromLatin1(reinterpret_cast<const char*>(r.data() + offString), qsizetype(count));
    }
    std::vector<double> dx;
    if (offDx != 0 && count > 0 && r.has(offDx, count * 4)) {
        dx.reserve(size_t(count));
        for (qint64 i = 0; i < count; ++i) dx.push_back(r.i32(offDx + 4 * i));
    }
    const bool hasRect = rect.width() != 0 || rect.height() != 0;
    c.text(reference, string, options, hasRect ? &rect : nullptr, dx);
}

LogFont font(const Record& r)
{
    LogFont f;
    f.height = r.i32(12);
    f.escapement = r.i32(20);
    f.weight = r.i32(28);
    f.italic = r.u8(32);
    f.underline = r.u8(33);
    f.strikeOut = r.u8(34);
    f.charset = r.u8(35);
    for (qint64 i = 0; i < 32 && r.has(40 + 2 * i, 2); ++i) {
        const std::uint16_t ch = r.u16(40 + 2 * i);
        if (ch == 0) break;
        f.face.append(QChar(ch));
    }
    return f;
}

void image(const Record& r, std::uint32_t type, MetafileSurface& c)
{
    switch (type) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT: {
        // Bit-block transfers: destination, raster operation, source position and transform,
        // background colour, colour usage, bitmap; stretched ones add the source size.
        const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
        const std::uint32_t rop = type == EMR_BITBLT || type == EMR_STRETCHBLT ? r.u32(40) : SRCCOPY;
        if (r.u32(88) == 0) {
            if (type == EMR_BITBLT || type == EMR_STRETCHBLT) c.patBlt(dest, rop);
            return;
        }
        const bool paletteIndices = r.u32(80) == 1;
        Dib dib = recordDib(r, 84, 92, paletteIndices, c);
        double sw = dest.width(), sh = dest.height();
        if (type != EMR_BITBLT) {
            sw = r.i32(100);
            sh = r.i32(104);
        }
        if (type == EMR_TRANSPARENTBLT && !dib.image.isNull()) {
            // The transparent colour is left out.
            const QRgb key = r.colour(40).rgb();
            QImage keyed = dib.image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < keyed.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
                for (int x = 0; x < keyed.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
            }
            dib.image = keyed;
        }
        c.image(dest, dib.image, sourceRect(dib, r.i32(44), r.i32(48), sw, sh), rop);
        break;
    }
    case EMR_SETDIBITSTODEVICE: {
        // SetDIBitsToDevice: the source rectangle drawn one to one.
        const double w = r.i32(40), h = r.i32(44);
        const Dib dib = recordDib(r, 48, 56, r.u32(64) == 1, c);
        c.image(QRectF(r.i32(24), r.i32(28), w, h), dib.image, sourceRect(dib, r.i32(32), r.i32(36), w, h),
                SRCCOPY);
        break;
    }
    case EMR_STRETCHDIBITS: {
        // StretchDIBits.
        const QRectF dest(r.i32(24), r.i32(28), r.i32(72), r.i32(76));
        const Dib dib = recordDib(r, 48, 56, r.u32(64) == 1, c);
        c.image(dest, dib.image, sourceRect(dib, r.i32(32), r.i32(36), r.i32(40), r.i32(44)), r.u32(68));
        break;
    }
    default: break;
    }
}

void polyDraw(const Record& r, bool small, MetafileSurface& c)
{
    const qint64 count = r.u32(24);
    const QPolygonF pts = points(r, 28, count, small);
    const qint64 kindsAt = 28 + count * (small ? 4 : 8);
    r.need(kindsAt, count);
    c.polyDraw(pts, QByteArray(reinterpret_cast<const char*>(r.data() + kindsAt), qsizetype(count)));
}

// Gradient fills: vertices with 16-bit colours, then rectangles or triangles naming them.
void gradientFill(const Record& r, MetafileSurface& c)
{
    const qint64 vertices = r.u32(24), shapes = r.u32(28);
    const std::uint32_t mode = r.u32(32);
    r.need(36, vertices * 16);
    const auto point = [&r](qint64 i) { return QPointF(r.i32(36 + 16 * i), r.i32(40 + 16 * i)); };
    const auto colour = [&r](qint64 i) {
        const qint64 at = 44 + 16 * i;
        return QColor(r.u16(at) >> 8, r.u16(at + 2) >> 8, r.u16(at + 4) >> 8);
    };
    const qint64 at = 36 + vertices * 16;
    if (mode == 0 || mode == 1) {
        r.need(at, shapes * 8);
        for (qint64 i = 0; i < shapes; ++i) {
            const qint64 a = r.u32(at + 8 * i), b = r.u32(at + 8 * i + 4);
            if (a >= vertices || b >= vertices) continue;
            const QRectF box = QRectF(point(a), point(b)).normalized();
            QLinearGradient gradient(point(a), mode == 0 ? QPointF(point(b).x(), point(a).y()) : QPointF(point(a).x(), point(b).y()));
            gradient.setColorAt(0, colour(a));
            gradient.setColorAt(1, colour(b));
            QPainterPath shape;
            shape.addRect(box);
            c.fillShape(shape, QBrush(gradient));
        }
    } else if (mode == 2) {
        // Triangles take the mean of their corners' colours.
        r.need(at, shapes * 12);
        for (qint64 i = 0; i < shapes; ++i) {
            qint64 v[3];
            for (int k = 0; k < 3; ++k) v[k] = r.u32(at + 12 * i + 4 * k);
            if (v[0] >= vertices || v[1] >= vertices || v[2] >= vertices) continue;
            int red = 0, green = 0, blue = 0;
            QPolygonF triangle;
            for (qint64 k : v) {
                const QColor col = colour(k);
                red += col.red();
                green += col.green();
                blue += col.blue();
                triangle << point(k);
            }
            QPainterPath shape;
            shape.addPolygon(triangle);
            shape.closeSubpath();
            c.fillShape(shape, QBrush(QColor(red / 3, green / 3, blue / 3)));
        }
    }
}

void record(std::uint32_t type, const Record& r, MetafileSurface& c)
{
    switch (type) {
    case EMR_POLYBEZIER: c.polyBezier(points(r, 28, r.u32(24), false), false); break;
    case EMR_POLYBEZIER16: c.polyBezier(points(r, 28, r.u32(24), true), false); break;
    case EMR_POLYBEZIERTO: c.polyBezier(points(r, 28, r.u32(24), false), true); break;
    case EMR_POLYBEZIERTO16: c.polyBezier(points(r, 28, r.u32(24), true), true); break;
    case EMR_POLYGON: c.polygon(points(r, 28, r.u32(24), false)); break;
    case EMR_POLYGON16: c.polygon(points(r, 28, r.u32(24), true)); break;
    case EMR_POLYLINE: c.polyline(points(r, 28, r.u32(24), false)); break;
    case EMR_POLYLINE16: c.polyline(points(r, 28, r.u32(24), true)); break;
    case EMR_POLYLINETO: c.polylineTo(points(r, 28, r.u32(24), false)); break;
    case EMR_POLYLINETO16: c.polylineTo(points(r, 28, r.u32(24), true)); break;
    case EMR_POLYPOLYLINE: c.polyPolyline(polyPoints(r, false)); break;
    case EMR_POLYPOLYLINE16: c.polyPolyline(polyPoints(r, true)); break;
    case EMR_POLYPOLYGON: c.polyPolygon(polyPoints(r, false)); break;
    case EMR_POLYPOLYGON16: c.polyPolygon(polyPoints(r, true)); break;
    case EMR_SETWINDOWEXTEX: c.setWindowExt(pointL(r, 8)); break;
    case EMR_SETWINDOWORGEX: c.setWindowOrg(pointL(r, 8)); break;
    case EMR_SETVIEWPORTEXTEX: c.setViewportExt(pointL(r, 8)); break;
    case EMR_SETVIEWPORTORGEX: c.setViewportOrg(pointL(r, 8)); break;
    case EMR_SETPIXELV: c.setPixel(pointL(r, 8), r.colour(16)); break;
    case EMR_SETMAPMODE: c.setMapMode(r.i32(8)); break;
    case EMR_SETBKMODE: c.setBkMode(r.i32(8)); break;
    case EMR_SETPOLYFILLMODE: c.setPolyFillMode(r.i32(8)); break;
    case EMR_SETROP2: c.setRop2(r.i32(8)); break;
    case EMR_SETTEXTALIGN: c.setTextAlign(r.u32(8)); break;
    case EMR_SETTEXTCOLOR: c.setTextColour(r.colour(8)); break;
    case EMR_SETBKCOLOR: c.setBkColour(r.colour(8)); break;
    case EMR_MOVETOEX: c.moveTo(pointL(r, 8)); break;
    case EMR_EXCLUDECLIPRECT: c.excludeClip(rectL(r, 8)); break;
    case EMR_INTERSECTCLIPRECT: c.intersectClip(rectL(r, 8)); break;
    case EMR_SCALEVIEWPORTEXTEX: c.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20)); break;
    case EMR_SCALEWINDOWEXTEX: c.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20)); break;
    case EMR_SAVEDC: c.saveDc(); break;
    case EMR_RESTOREDC: c.restoreDc(r.i32(8)); break;
    case EMR_SETWORLDTRANSFORM: c.setWorldTransform(xform(r, 8)); break;
    case EMR_MODIFYWORLDTRANSFORM: c.modifyWorldTransform(xform(r, 8), r.u32(32)); break;
    case EMR_SELECTOBJECT: c.selectObject(r.u32(8)); break;
    case EMR_DELETEOBJECT: c.deleteObject(r.u32(8)); break;
    case EMR_CREATEPEN: c.createObjectAt(r.u32(8), LogPen{r.u32(12), double(r.i32(16)), r.colour(24)}); break;
    case EMR_CREATEBRUSHINDIRECT: c.createObjectAt(r.u32(8), LogBrush{r.u32(12), r.colour(16), r.u32(20), {}}); break;
    case EMR_EXTCREATEPEN: {
        // Extended pens: a cosmetic pen is one pixel wide, a null brush makes a null pen.
        std::uint32_t style = r.u32(28);
        const bool geometric = style & 0x10000;
        if (r.u32(36) == 1) style = (style & ~0xFu) | 5;
        c.createObjectAt(r.u32(8), LogPen{style, geometric ? double(r.u32(32)) : 0.0, r.colour(40)});
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        LogBrush brush{5, Qt::black, 0, {}};
        brush.pattern = recordDib(r, 16, 24, r.u32(12) == 1, c).image;
        c.createObjectAt(r.u32(8), brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: c.createObjectAt(r.u32(8), font(r)); break;
    case EMR_CREATEPALETTE: c.createObjectAt(r.u32(8), OtherObject{}); break;
    case EMR_SELECTPALETTE: c.checkObject(r.u32(8) & ~kStockObjectFlag); break;
    case EMR_ANGLEARC: c.angleArc(pointL(r, 8), r.u32(16), r.f32(20), r.f32(24)); break;
    case EMR_ELLIPSE: c.ellipse(rectL(r, 8)); break;
    case EMR_RECTANGLE: c.rectangle(rectL(r, 8)); break;
    case EMR_ROUNDRECT: c.roundRect(rectL(r, 8), QSizeF(r.i32(24), r.i32(28))); break;
    case EMR_ARC: c.arc(MetafileSurface::ArcKind::Arc, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case EMR_CHORD: c.arc(MetafileSurface::ArcKind::Chord, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case EMR_PIE: c.arc(MetafileSurface::ArcKind::Pie, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case EMR_ARCTO: c.arc(MetafileSurface::ArcKind::ArcTo, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case EMR_LINETO: c.lineTo(pointL(r, 8)); break;
    case EMR_SETARCDIRECTION: c.setArcDirection(r.i32(8)); break;
    case EMR_BEGINPATH: c.beginPath(); break;
    case EMR_ENDPATH: c.endPath(); break;
    case EMR_CLOSEFIGURE: c.closeFigure(); break;
    case EMR_FILLPATH: c.fillPath(); break;
    case EMR_STROKEANDFILLPATH: c.strokeAndFillPath(); break;
    case EMR_STROKEPATH: c.strokePath(); break;
    case EMR_SELECTCLIPPATH: c.clipToPath(r.i32(8)); break;
    case EMR_ABORTPATH: c.abortPath(); break;
    case EMR_FILLRGN: {
        const std::optional<LogBrush> brush = c.brushObject(r.u32(28));
        c.fillRects(regionRects(r, 32, r.u32(24)), brush ? &*brush : nullptr);
        break;
    }
    case EMR_PAINTRGN: c.fillRects(regionRects(r, 28, r.u32(24)), nullptr); break;
    case EMR_EXTSELECTCLIPRGN: c.clipToDeviceRects(regionRects(r, 16, r.u32(8)), r.i32(12)); break;
    case EMR_POLYDRAW: polyDraw(r, false, c); break;
    case EMR_POLYDRAW16: polyDraw(r, true, c); break;
    case EMR_GRADIENTFILL: gradientFill(r, c); break;
    case EMR_EXTTEXTOUTA: text(r, false, c); break;
    case EMR_EXTTEXTOUTW: text(r, true, c); break;
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT: image(r, type, c); break;
    default: break; // comments (and the EMF+ records inside them) and records that draw nothing
    }
}

} // namespace

void playEmf(const QByteArray& bytes, MetafileSurface& surface)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (size - at >= 8) {
        const Record head(data + at, 8);
        const std::uint32_t type = head.u32(0);
        const std::uint32_t length = head.u32(4);
        if (length < 8 || qint64(length) > size - at) invalid();
        if (type == EMR_EOF) return;
        try {
            record(type, Record(data + at, qsizetype(length)), surface);
        } catch (const ShortRecord&) {
        }
        at += qsizetype(length);
    }
}

} // namespace quorvel::metafile
