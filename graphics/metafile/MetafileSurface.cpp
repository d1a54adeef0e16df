#include "graphics/metafile/MetafileSurface.h"

#include "base/Error.h"
#include "graphics/metafile/MetafileRecords.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvel::metafile {

namespace {

// What drawing may cost, in pixels touched plus a fixed charge per primitive and per point; a
// file that asks for more is refused when it is loaded, so drawing stays well under a second.
constexpr double kMaxWork = 1.5e9;
constexpr double kPrimitiveWork = 1000;
constexpr double kPointWork = 100;
constexpr double kBitmapWork = 4000;
constexpr double kCharWork = 3000;
// A pixel of a glyph's box: rendering and blending a glyph costs more than filling its box.
constexpr double kGlyphPixelWork = 2.5;
// Filling walks each covered row with the edges crossing it, and sorting those edges costs about
// their count squared per row: a shape of many edges that all cross the same rows costs far more
// than its pixels. Per row and edge pair, in the same units as a pixel.
constexpr double kEdgePairWork = 2.5;
// A pen of a pixel or a few steps from pixel to pixel along its line, and a step down a column
// misses the cache: a pixel of a line costs many pixels of a fill.
constexpr double kLinePixelWork = 32;
// A pixel of a hatch or pattern brush, of a gradient and of a stretched bitmap.
constexpr double kPatternWork = 4;
constexpr double kGradientWork = 2;
constexpr double kImageWork = 2;
// A wide pen is stroked as an outline of both sides of every segment plus its joins.
constexpr double kOutlineEdgesPerSegment = 3;
// Combining clip shapes: a share per element of both, and the crossings among their edges, which
// the combination must resolve at a cost that grows about with their square. The combination runs
// again when the picture is drawn, so it is counted twice.
constexpr double kClipElementWork = 2500;
constexpr double kClipCrossingWork = 1.5;
constexpr double kClipPassCount = 2;
// Clip shapes are kept simple: beyond this many path elements a shape is replaced by its bounds.
constexpr int kMaxClipElements = 1000;
// Transforms beyond these scales are treated as broken and their drawing skipped.
constexpr double kMaxScale = 1.0e7;
constexpr double kMinScale = 1.0e-9;
// Text of more pixels per em is not drawn.
constexpr double kMaxFontPixels = 4096;
constexpr double kMaxPenPixels = 4096;

bool finite(const QTransform& t)
{
    const double v[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    for (double x : v)
        if (!std::isfinite(x) || std::abs(x) > 1e12) return false;
    return true;
}

double angleOf(const QRectF& box, QPointF p)
{
    const QPointF c = box.center();
    if (p == c) return 0;
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180.0 / M_PI;
}

// The straight edges of a path (curves by their control polygon, which holds the curve), each
// figure closed as a fill closes it.
std::vector<QLineF> edgesOf(const QPainterPath& path)
{
    std::vector<QLineF> edges;
    edges.reserve(size_t(path.elementCount()));
    QPointF start, last;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            if (i > 0 && last != start) edges.emplace_back(last, start);
            start = p;
        } else {
            edges.emplace_back(last, p);
        }
        last = p;
    }
    if (path.elementCount() > 0 && last != start) edges.emplace_back(last, start);
    return edges;
}

std::vector<QLineF> edgesOf(const QPolygonF& polygon, bool closed)
{
    std::vector<QLineF> edges;
    edges.reserve(size_t(polygon.size()));
    for (qsizetype i = 1; i < polygon.size(); ++i) edges.emplace_back(polygon[i - 1], polygon[i]);
    if (closed && polygon.size() > 2 && polygon.first() != polygon.last()) edges.emplace_back(polygon.last(), polygon.first());
    return edges;
}

// Whether two edges cross (touching at an end does not count).
bool cross(const QLineF& a, const QLineF& b)
{
    const auto side = [](QPointF p, QPointF q, QPointF r) {
        return (q.x() - p.x()) * (r.y() - p.y()) - (q.y() - p.y()) * (r.x() - p.x());
    };
    const double d1 = side(a.p1(), a.p2(), b.p1()), d2 = side(a.p1(), a.p2(), b.p2());
    const double d3 = side(b.p1(), b.p2(), a.p1()), d4 = side(b.p1(), b.p2(), a.p2());
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool boxesMeet(const QLineF& a, const QLineF& b)
{
    return std::max(a.x1(), a.x2()) >= std::min(b.x1(), b.x2()) && std::max(b.x1(), b.x2()) >= std::min(a.x1(), a.x2())
        && std::max(a.y1(), a.y2()) >= std::min(b.y1(), b.y2()) && std::max(b.y1(), b.y2()) >= std::min(a.y1(), a.y2());
}

// Crossings among the edges of `a` (with `b` empty) or between those of `a` and `b`.
double crossings(const std::vector<QLineF>& a, const std::vector<QLineF>* b)
{
    double count = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (b) {
            for (const QLineF& other : *b) count += boxesMeet(a[i], other) && cross(a[i], other);
        } else {
            for (size_t j = i + 1; j < a.size(); ++j) count += boxesMeet(a[i], a[j]) && cross(a[i], a[j]);
        }
    }
    return count;
}

// The Symbol font's characters 0x20..0xFF as Unicode, for text in the symbol character set.
constexpr char16_t kSymbolChars[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x20AC, 0x03D2, 0x2032, 0x2264,
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0x0020, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0020,
};

QString symbolText(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        const char16_t c = ch.unicode();
        const char16_t code = c >= 0xF020 && c <= 0xF0FF ? char16_t(c - 0xF000) : c;
        if (code >= 0x20 && code <= 0xFF) ch = QChar(kSymbolChars[code - 0x20]);
    }
    return out;
}

} // namespace

[[noreturn]] void invalid()
{
    throw Error("Metafile is not valid");
}

float Record::f32(qint64 at) const
{
    const std::uint32_t bits = u32(at);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return std::isfinite(v) ? v : 0.0f;
}

MetafileSurface::MetafileSurface(QPainter* painter, Form form, const QRectF& target, const QRectF& frame, double pixelsPerMm,
               qsizetype objectSlots)
    : painter_(painter), form_(form), target_(target), pixelsPerMm_(pixelsPerMm),
      objectSlots_(objectSlots)
{
    deviceToTarget_ = QTransform::fromTranslate(-frame.left(), -frame.top())
        * QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height())
        * QTransform::fromTranslate(target.left(), target.top());
    if (form == Form::Wmf) {
        // The player's viewport is the whole picture; the window is what the file sets.
        dc_.mapMode = MM_ANISOTROPIC;
        dc_.viewportOrg = frame.topLeft();
        dc_.viewportExt = QPointF(frame.width(), frame.height());
        dc_.windowOrg = frame.topLeft();
        dc_.windowExt = QPointF(frame.width(), frame.height());
    }
    if (painter_) {
        painter_->save();
        base_ = painter_->transform();
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_->setClipRect(target_, Qt::IntersectClip);
        // A second level: the clip of the records is always set afresh from this state.
        painter_->save();
        clipDirty_ = false;
    }
    objects_.reserve(size_t(std::min<qsizetype>(objectSlots_, 1024)));
}

MetafileSurface::~MetafileSurface()
{
    if (painter_) {
        painter_->restore();
        painter_->restore();
    }
}

// ---------------------------------------------------------------- mapping

const QTransform& MetafileSurface::transform()
{
    if (transformValid_) return transform_;
    transformValid_ = true;
    double sx = 1, sy = 1;
    const auto ratio = [](double v, double w) { return w == 0 ? 1.0 : v / w; };
    int mode = dc_.mapMode;
    switch (mode) {
    case MM_LOMETRIC: sx = pixelsPerMm_ * 0.1; sy = -sx; break;
    case MM_HIMETRIC: sx = pixelsPerMm_ * 0.01; sy = -sx; break;
    case MM_LOENGLISH: sx = pixelsPerMm_ * 0.254; sy = -sx; break;
    case MM_HIENGLISH: sx = pixelsPerMm_ * 0.0254; sy = -sx; break;
    case MM_TWIPS: sx = pixelsPerMm_ * 25.4 / 1440; sy = -sx; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = ratio(dc_.viewportExt.x(), dc_.windowExt.x());
        sy = ratio(dc_.viewportExt.y(), dc_.windowExt.y());
        if (mode == MM_ISOTROPIC) {
            // Isotropic: one unit is as wide as it is high, the smaller scale wins.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, dc_.viewportOrg.x() - dc_.windowOrg.x() * sx,
                          dc_.viewportOrg.y() - dc_.windowOrg.y() * sy);
    transform_ = dc_.world * page * deviceToTarget_;
    const double scale = std::sqrt(std::abs(transform_.determinant()));
    usable_ = finite(transform_) && scale < kMaxScale && scale > kMinScale;
    return transform_;
}

void MetafileSurface::setMapMode(int mode)
{
    if (form_ == Form::Wmf || mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
    dc_.mapMode = mode;
    stateChanged();
}

void MetafileSurface::setWindowOrg(QPointF p) { dc_.windowOrg = p; stateChanged(); }
void MetafileSurface::setViewportOrg(QPointF p) { dc_.viewportOrg = p; stateChanged(); }
void MetafileSurface::offsetWindowOrg(QPointF d) { dc_.windowOrg += d; stateChanged(); }
void MetafileSurface::offsetViewportOrg(QPointF d) { dc_.viewportOrg += d; stateChanged(); }

// Extents only count in the scalable mapping modes, and never as zero.
void MetafileSurface::setWindowExt(QPointF e)
{
    if (e.x() == 0 || e.y() == 0) return;
    if (scalableMapping()) dc_.windowExt = e;
    stateChanged();
}

void MetafileSurface::setViewportExt(QPointF e)
{
    if (e.x() == 0 || e.y() == 0) return;
    if (scalableMapping()) dc_.viewportExt = e;
    stateChanged();
}

void MetafileSurface::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return;
    setWindowExt(QPointF(dc_.windowExt.x() * xNum / xDenom, dc_.windowExt.y() * yNum / yDenom));
}

void MetafileSurface::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return;
    setViewportExt(QPointF(dc_.viewportExt.x() * xNum / xDenom, dc_.viewportExt.y() * yNum / yDenom));
}

void MetafileSurface::setWorldTransform(const QTransform& t)
{
    if (!finite(t) || t.determinant() == 0) return;
    dc_.world = t;
    stateChanged();
}

void MetafileSurface::modifyWorldTransform(const QTransform& t, std::uint32_t mode)
{
    QTransform world = dc_.world;
    switch (mode) {
    case 1: world = QTransform(); break;
    case 2: world = t * dc_.world; break; // the new transform applies first
    case 3: world = dc_.world * t; break;
    case 4: world = t; break;
    default: return;
    }
    if (!finite(world) || world.determinant() == 0) return;
    dc_.world = world;
    stateChanged();
}

void MetafileSurface::saveDc()
{
    // Deeper nesting than this is only a way to spend memory.
    if (saved_.size() >= 4096) return;
    saved_.push_back(dc_);
}

void MetafileSurface::restoreDc(int relative)
{
    qsizetype index;
    if (relative < 0)
        index = qsizetype(saved_.size()) + relative;
    else
        index = relative - 1; // an absolute level, counted from 1
    if (index < 0 || index >= qsizetype(saved_.size())) return;
    const bool inPath = dc_.inPath;
    dc_ = saved_[size_t(index)];
    dc_.inPath = inPath;
    saved_.resize(size_t(index));
    stateChanged();
    clipChanged();
}

// ---------------------------------------------------------------- objects

void MetafileSurface::createObject(GdiObject object)
{
    if (!freeSlots_.empty()) {
        const std::uint32_t slot = *freeSlots_.begin();
        freeSlots_.erase(freeSlots_.begin());
        objects_[slot] = std::move(object);
        return;
    }
    if (qsizetype(objects_.size()) >= objectSlots_) invalid();
    objects_.push_back(std::move(object));
}

void MetafileSurface::createObjectAt(std::uint32_t index, GdiObject object)
{
    if (index == 0 || qint64(index) >= objectSlots_) invalid();
    if (objects_.size() <= index) objects_.resize(size_t(index) + 1);
    objects_[index] = std::move(object);
}

void MetafileSurface::selectObject(std::uint32_t index)
{
    if (form_ == Form::Emf && (index & kStockObjectFlag)) {
        selectStockObject(index & ~kStockObjectFlag);
        return;
    }
    if (qint64(index) >= objectSlots_) invalid();
    if (index >= objects_.size()) return;
    const GdiObject& object = objects_[index];
    ++styleVersion_;
    if (const auto* pen = std::get_if<LogPen>(&object))
        dc_.pen = *pen;
    else if (const auto* brush = std::get_if<LogBrush>(&object))
        dc_.brush = *brush;
    else if (const auto* font = std::get_if<LogFont>(&object))
        dc_.font = *font;
}

void MetafileSurface::deleteObject(std::uint32_t index)
{
    if (form_ == Form::Emf && (index & kStockObjectFlag)) return;
    if (qint64(index) >= objectSlots_) invalid();
    if (index >= objects_.size() || std::holds_alternative<std::monostate>(objects_[index])) return;
    objects_[index] = std::monostate{};
    if (form_ == Form::Wmf) freeSlots_.insert(index);
}

std::optional<LogBrush> MetafileSurface::brushObject(std::uint32_t index) const
{
    if (form_ == Form::Emf && (index & kStockObjectFlag)) return std::nullopt;
    if (qint64(index) >= objectSlots_) invalid();
    if (index >= objects_.size()) return std::nullopt;
    if (const auto* brush = std::get_if<LogBrush>(&objects_[index])) return *brush;
    return std::nullopt;
}

void MetafileSurface::selectStockObject(std::uint32_t stock)
{
    static const int greys[] = {255, 192, 128, 64, 0};
    ++styleVersion_;
    if (stock <= BLACK_BRUSH) {
        dc_.brush = LogBrush{0, QColor(greys[stock], greys[stock], greys[stock]), 0, {}};
    } else if (stock == NULL_BRUSH) {
        dc_.brush = LogBrush{1, Qt::white, 0, {}};
    } else if (stock == WHITE_PEN || stock == BLACK_PEN) {
        dc_.pen = LogPen{0, 0, stock == WHITE_PEN ? Qt::white : Qt::black};
    } else if (stock == NULL_PEN) {
        dc_.pen = LogPen{5, 0, Qt::black};
    } else if (stock >= OEM_FIXED_FONT && stock <= DEFAULT_GUI_FONT && stock != DEFAULT_PALETTE) {
        dc_.font = LogFont{};
    }
}

// ---------------------------------------------------------------- clipping

// The clip in use, never more complex than a bound allows.
QPainterPath MetafileSurface::currentClip()
{
    work_ += kPrimitiveWork * 4 + target_.height() * 8;
    if (work_ > kMaxWork) invalid();
    QPainterPath all;
    all.addRect(target_);
    if (!dc_.clip) return all;
    if (dc_.clip->elementCount() > kMaxClipElements) {
        QPainterPath bounds;
        bounds.addRect(dc_.clip->boundingRect());
        return bounds;
    }
    return *dc_.clip;
}

double MetafileSurface::currentCrossings() const
{
    return dc_.clip && dc_.clip->elementCount() <= kMaxClipElements ? dc_.clipCrossings : 0;
}

QPainterPath MetafileSurface::simpleShape(const QPainterPath& shape) const
{
    if (shape.elementCount() <= kMaxClipElements) return shape;
    QPainterPath bounds;
    bounds.addRect(shape.boundingRect());
    return bounds;
}

double MetafileSurface::selfCrossings(const QPainterPath& shape)
{
    const std::vector<QLineF> edges = edgesOf(shape);
    work_ += double(edges.size()) * double(edges.size()) / 2;
    if (work_ > kMaxWork) invalid();
    return crossings(edges, nullptr);
}

void MetafileSurface::chargeClipOp(const QPainterPath& current, double currentCrossings, const QPainterPath& shape,
                                   double shapeCrossings)
{
    const std::vector<QLineF> a = edgesOf(current), b = edgesOf(shape);
    work_ += double(a.size()) * double(b.size());
    if (work_ > kMaxWork) invalid();
    const double x = currentCrossings + shapeCrossings + crossings(a, &b);
    work_ += kClipPassCount
        * (kClipElementWork * double(current.elementCount() + shape.elementCount()) + kClipCrossingWork * x * x);
    if (work_ > kMaxWork) invalid();
}

void MetafileSurface::chargeClip()
{
    if (clipCharged_) return;
    clipCharged_ = true;
    if (!dc_.clip) return;
    work_ += double(dc_.clip->elementCount());
    if (work_ > kMaxWork) invalid();
    work_ += rowWork(edgesOf(*dc_.clip), 0, 1);
    if (work_ > kMaxWork) invalid();
}

void MetafileSurface::intersectClip(const QRectF& r)
{
    const QTransform& t = transform();
    if (!usable_) return;
    QPainterPath shape;
    shape.addPolygon(t.map(QPolygonF(r.normalized())));
    shape.closeSubpath();
    if (dc_.clip) {
        const QPainterPath current = currentClip();
        chargeClipOp(current, currentCrossings(), shape, 0);
        dc_.clip = current.intersected(shape);
    } else {
        dc_.clip = shape;
    }
    dc_.clipCrossings = 0; // what a combination makes crosses itself nowhere
    clipChanged();
}

void MetafileSurface::excludeClip(const QRectF& r)
{
    const QTransform& t = transform();
    if (!usable_) return;
    QPainterPath shape;
    shape.addPolygon(t.map(QPolygonF(r.normalized())));
    shape.closeSubpath();
    const QPainterPath current = currentClip();
    chargeClipOp(current, currentCrossings(), shape, 0);
    dc_.clip = current.subtracted(shape);
    dc_.clipCrossings = 0;
    clipChanged();
}

void MetafileSurface::resetClip()
{
    dc_.clip.reset();
    dc_.clipCrossings = 0;
    clipChanged();
}

// Combines the clip with `shape` by a region mode: 1 and, 2 or, 3 exclusive or, 4 the clip
// without the shape, 5 the shape alone.
void MetafileSurface::combineClip(const QPainterPath& shape, int mode)
{
    if (mode < 1 || mode > 5) return;
    const double shapeCrossings = selfCrossings(shape);
    if (mode == 5) {
        dc_.clip = shape;
        dc_.clipCrossings = shapeCrossings;
        clipChanged();
        return;
    }
    const QPainterPath current = currentClip();
    chargeClipOp(current, currentCrossings(), shape, shapeCrossings);
    if (mode == 3) chargeClipOp(current, currentCrossings(), shape, shapeCrossings); // two more combinations
    switch (mode) {
    case 1: dc_.clip = current.intersected(shape); break;
    case 2: dc_.clip = current.united(shape); break;
    case 3: dc_.clip = current.united(shape).subtracted(current.intersected(shape)); break;
    default: dc_.clip = current.subtracted(shape); break;
    }
    dc_.clipCrossings = 0;
    clipChanged();
}

void MetafileSurface::clipToPath(int mode)
{
    const QTransform& t = transform();
    if (!usable_ || path_.isEmpty()) return;
    QPainterPath shape = simpleShape(t.map(path_));
    shape.setFillRule(fillRule());
    path_ = QPainterPath();
    combineClip(shape, mode);
}

void MetafileSurface::clipToDeviceRects(const QList<QRectF>& rects, int mode)
{
    if (mode == 5 && rects.isEmpty()) {
        resetClip();
        return;
    }
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects) {
        shape.addPolygon(deviceToTarget_.map(QPolygonF(r.normalized())));
        shape.closeSubpath();
    }
    combineClip(simpleShape(shape), mode);
}

void MetafileSurface::applyClip()
{
    if (!clipDirty_ || !painter_) return;
    clipDirty_ = false;
    preparedKind_ = -1;
    painter_->restore();
    painter_->save();
    if (dc_.clip) {
        painter_->setTransform(base_);
        painter_->setClipPath(*dc_.clip, Qt::IntersectClip);
    }
}

// ---------------------------------------------------------------- pens, brushes, fonts

QPen MetafileSurface::makePen() const
{
    const LogPen& logical = dc_.pen;
    const std::uint32_t kind = logical.style & 0xF;
    if (kind == 5) return QPen(Qt::NoPen);
    QPen pen(logical.colour);
    const double scale = std::sqrt(std::abs(transform_.determinant()));
    // A pen is never thinner than one pixel.
    if (logical.width * scale < 1) {
        pen.setCosmetic(true);
        pen.setWidthF(1);
    } else {
        pen.setWidthF(std::min(logical.width, kMaxPenPixels / scale));
    }
    const bool thin = logical.width * scale <= 1.5;
    // Only one-pixel pens are dashed; wider ones draw solid.
    switch (kind) {
    case 1: pen.setStyle(thin ? Qt::DashLine : Qt::SolidLine); break;
    case 2: pen.setStyle(thin ? Qt::DotLine : Qt::SolidLine); break;
    case 3: pen.setStyle(thin ? Qt::DashDotLine : Qt::SolidLine); break;
    case 4: pen.setStyle(thin ? Qt::DashDotDotLine : Qt::SolidLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (logical.style & 0xF00) {
    case 0x100: pen.setCapStyle(Qt::SquareCap); break;
    case 0x200: pen.setCapStyle(Qt::FlatCap); break;
    default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (logical.style & 0xF000) {
    case 0x1000: pen.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: pen.setJoinStyle(Qt::MiterJoin); break;
    default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    // At a few pixels round ends look square, and cost many times more to draw.
    if (logical.width * scale <= 3) {
        if (pen.capStyle() == Qt::RoundCap) pen.setCapStyle(Qt::SquareCap);
        if (pen.joinStyle() == Qt::RoundJoin) pen.setJoinStyle(Qt::MiterJoin);
    }
    return pen;
}

QBrush MetafileSurface::makeBrush(const LogBrush& logical)
{
    QBrush brush;
    switch (logical.style) {
    case BS_SOLID: brush = QBrush(logical.colour); break;
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        brush = QBrush(logical.colour, logical.hatch < 6 ? hatches[logical.hatch] : Qt::SolidPattern);
        break;
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (logical.pattern.isNull()) return QBrush(logical.colour);
        brush = QBrush(logical.pattern);
        break;
    default: return QBrush(Qt::NoBrush);
    }
    // Patterns are laid out in pixels of the picture, whatever the mapping (hatches are so by
    // themselves).
    if (brush.style() == Qt::TexturePattern) brush.setTransform(transform_.inverted());
    return brush;
}

QFont MetafileSurface::makeFont(double pixelSize) const
{
    QFont font(dc_.font.face.isEmpty() ? QStringLiteral("Sans Serif") : dc_.font.face);
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    const int weight = dc_.font.weight <= 0 ? 400 : std::clamp(dc_.font.weight, 100, 900);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(dc_.font.italic);
    font.setUnderline(dc_.font.underline);
    font.setStrikeOut(dc_.font.strikeOut);
    return font;
}

// ---------------------------------------------------------------- drawing

bool MetafileSurface::fillsWithBrush() const
{
    const std::uint32_t style = dc_.brush.style;
    return style == BS_SOLID || style == BS_HATCHED || style == BS_PATTERN || style == BS_DIBPATTERN
        || style == BS_DIBPATTERNPT;
}

double MetafileSurface::rowWork(const std::vector<QLineF>& edges, double extend, double multiplicity)
{
    const double top = target_.top(), bottom = target_.bottom();
    double low = bottom, high = top;
    for (const QLineF& e : edges) {
        const double y0 = std::max(std::min(e.y1(), e.y2()) - extend, top);
        const double y1 = std::min(std::max(e.y1(), e.y2()) + extend, bottom);
        if (y1 <= y0) continue;
        low = std::min(low, y0);
        high = std::max(high, y1);
    }
    if (high <= low) return 0;
    const qint64 first = qint64(std::floor(low));
    const qint64 rows = qint64(std::ceil(high)) - first + 1;
    work_ += double(rows) + double(edges.size());
    if (work_ > kMaxWork) invalid();
    // How many edges cross each row: +1 where an edge starts, -1 after it ends.
    std::vector<double> starts(size_t(rows) + 1, 0.0);
    for (const QLineF& e : edges) {
        const double y0 = std::max(std::min(e.y1(), e.y2()) - extend, top);
        const double y1 = std::min(std::max(e.y1(), e.y2()) + extend, bottom);
        if (y1 <= y0) continue;
        starts[size_t(qint64(std::floor(y0)) - first)] += 1;
        starts[size_t(qint64(std::ceil(y1)) - first)] -= 1;
    }
    double active = 0, sum = 0;
    for (qint64 r = 0; r < rows; ++r) {
        active += starts[size_t(r)];
        const double k = active * multiplicity;
        sum += k * k;
    }
    return sum * kEdgePairWork;
}

bool MetafileSurface::account(const QRectF& bounds, qint64 points, bool fills, const std::vector<QLineF>* edges,
                              bool strokes, double areaWeight)
{
    const QTransform& t = transform();
    // Pens wider than a pixel are stroked as outlines, at many times the cost per point.
    const bool widePen = (dc_.pen.style & 0xF) != 5 && dc_.pen.width * std::sqrt(std::abs(t.determinant())) > 1;
    work_ += kPrimitiveWork + kPointWork * (widePen ? 10 : 1) * double(points);
    if (work_ > kMaxWork) invalid();
    if (!usable_) return false;
    QRectF box = t.mapRect(bounds.normalized());
    const double penPixels = std::min(kMaxPenPixels, std::max(1.0, dc_.pen.width * std::sqrt(std::abs(t.determinant()))));
    box.adjust(-penPixels, -penPixels, penPixels, penPixels);
    const QRectF visible = box.intersected(target_);
    if (visible.isEmpty()) return false;
    const double area = visible.width() * visible.height();
    // Hatched and pattern brushes cost several times a solid one per pixel (an opaque hatch is
    // filled twice).
    const std::uint32_t brush = dc_.brush.style;
    const bool patterned = brush == BS_HATCHED || brush == BS_PATTERN || brush == BS_DIBPATTERN || brush == BS_DIBPATTERNPT;
    if (fills) work_ += area * areaWeight * (patterned ? kPatternWork : 1.0);
    if (strokes || !fills) {
        // The length the pen travels: along the edges when they are known, else round the box.
        double length = (visible.width() + visible.height()) * 2;
        if (edges) {
            length = 0;
            for (const QLineF& e : *edges) {
                const QLineF d = t.map(e);
                length += std::min(std::abs(d.dx()), target_.width()) + std::min(std::abs(d.dy()), target_.height());
            }
        }
        work_ += widePen ? std::min(area, length * penPixels) : length * penPixels * kLinePixelWork;
    }
    if (work_ > kMaxWork) invalid();
    const bool brushFill = fills && fillsWithBrush();
    const bool outline = strokes && widePen && dc_.rop2 != R2_NOP;
    if (edges && (brushFill || outline)) {
        std::vector<QLineF> device;
        device.reserve(edges->size());
        for (const QLineF& e : *edges) device.push_back(t.map(e));
        if (brushFill) work_ += rowWork(device, 0, 1);
        if (outline) work_ += rowWork(device, penPixels / 2, kOutlineEdgesPerSegment);
        if (work_ > kMaxWork) invalid();
    }
    chargeClip();
    return painter_ != nullptr;
}

void MetafileSurface::preparePainter(bool stroke, bool fill)
{
    applyClip();
    const int kind = (stroke ? 2 : 0) + (fill ? 1 : 0);
    if (preparedKind_ == kind && preparedVersion_ == styleVersion_) return;
    preparedKind_ = kind;
    preparedVersion_ = styleVersion_;
    painter_->setTransform(transform_ * base_);
    painter_->setPen(stroke ? makePen() : QPen(Qt::NoPen));
    painter_->setBrush(fill ? makeBrush(dc_.brush) : QBrush(Qt::NoBrush));
    // The sixteen mixes of the pen (or brush) with the picture, in the order of their codes
    // (R2_BLACK to R2_WHITE). Black and white are drawn as those colours, R2_NOP draws nothing.
    static constexpr QPainter::CompositionMode kMixes[16] = {
        QPainter::CompositionMode_SourceOver,        QPainter::RasterOp_NotSourceAndNotDestination,
        QPainter::RasterOp_NotSourceAndDestination,  QPainter::RasterOp_NotSource,
        QPainter::RasterOp_SourceAndNotDestination,  QPainter::RasterOp_NotDestination,
        QPainter::RasterOp_SourceXorDestination,     QPainter::RasterOp_NotSourceOrNotDestination,
        QPainter::RasterOp_SourceAndDestination,     QPainter::RasterOp_NotSourceXorDestination,
        QPainter::CompositionMode_SourceOver,        QPainter::RasterOp_NotSourceOrDestination,
        QPainter::CompositionMode_SourceOver,        QPainter::RasterOp_SourceOrNotDestination,
        QPainter::RasterOp_SourceOrDestination,      QPainter::CompositionMode_SourceOver,
    };
    const int rop = dc_.rop2 >= R2_BLACK && dc_.rop2 <= R2_WHITE ? dc_.rop2 : R2_COPYPEN;
    const QPainter::CompositionMode mode = kMixes[rop - R2_BLACK];
    if (rop == R2_BLACK || rop == R2_WHITE) {
        const QColor colour = rop == R2_BLACK ? Qt::black : Qt::white;
        if (stroke) {
            QPen pen = painter_->pen();
            if (pen.style() != Qt::NoPen) pen.setColor(colour);
            painter_->setPen(pen);
        }
        if (fill && painter_->brush().style() != Qt::NoBrush) painter_->setBrush(colour);
    } else if (rop == R2_NOP) {
        painter_->setPen(Qt::NoPen);
        painter_->setBrush(Qt::NoBrush);
    }
    painter_->setCompositionMode(mode);
}

void MetafileSurface::drawShape(const QPainterPath& shape, bool fill)
{
    if (dc_.inPath) {
        path_.addPath(shape);
        return;
    }
    const std::vector<QLineF> edges = edgesOf(shape);
    if (!account(shape.controlPointRect(), shape.elementCount(), fill, &edges, true)) return;
    if (fill && opaqueHatch()) {
        // An opaque hatch: the background colour under the hatch lines.
        preparePainter(false, false);
        painter_->setBrush(dc_.bkColour);
        preparedKind_ = -1;
        painter_->drawPath(shape);
    }
    preparePainter(true, fill);
    painter_->drawPath(shape);
}

void MetafileSurface::moveTo(QPointF p)
{
    dc_.current = p;
    if (dc_.inPath) path_.moveTo(p);
}

void MetafileSurface::lineTo(QPointF p)
{
    if (dc_.inPath) {
        if (path_.elementCount() == 0) path_.moveTo(dc_.current);
        path_.lineTo(p);
    } else if (const std::vector<QLineF> edges{QLineF(dc_.current, p)};
               account(QRectF(dc_.current, p), 2, false, &edges, true)) {
        preparePainter(true, false);
        painter_->drawLine(dc_.current, p);
    }
    dc_.current = p;
}

void MetafileSurface::polyline(const QPolygonF& points)
{
    if (points.size() < 2) return;
    if (dc_.inPath) {
        path_.moveTo(points[0]);
        for (qsizetype i = 1; i < points.size(); ++i) path_.lineTo(points[i]);
        return;
    }
    const std::vector<QLineF> edges = edgesOf(points, false);
    if (!account(points.boundingRect(), points.size(), false, &edges, true)) return;
    preparePainter(true, false);
    painter_->drawPolyline(points);
}

void MetafileSurface::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty()) return;
    QPolygonF all;
    all.reserve(points.size() + 1);
    all << dc_.current << points;
    dc_.current = points.last();
    if (dc_.inPath) {
        if (path_.elementCount() == 0) path_.moveTo(all[0]);
        for (qsizetype i = 1; i < all.size(); ++i) path_.lineTo(all[i]);
        return;
    }
    const std::vector<QLineF> edges = edgesOf(all, false);
    if (!account(all.boundingRect(), all.size(), false, &edges, true)) return;
    preparePainter(true, false);
    painter_->drawPolyline(all);
}

void MetafileSurface::polygon(const QPolygonF& points)
{
    if (points.size() < 2) return;
    if (dc_.inPath) {
        path_.addPolygon(points);
        path_.closeSubpath();
        return;
    }
    const std::vector<QLineF> edges = edgesOf(points, true);
    if (!account(points.boundingRect(), points.size(), true, &edges, true)) return;
    const Qt::FillRule rule = fillRule();
    if (opaqueHatch()) {
        preparePainter(false, false);
        painter_->setBrush(dc_.bkColour);
        preparedKind_ = -1;
        painter_->drawPolygon(points, rule);
    }
    preparePainter(true, true);
    painter_->drawPolygon(points, rule);
}

void MetafileSurface::polyPolygon(const QList<QPolygonF>& polygons)
{
    QPainterPath shape;
    shape.setFillRule(fillRule());
    for (const QPolygonF& p : polygons) {
        if (p.size() < 2) continue;
        shape.addPolygon(p);
        shape.closeSubpath();
    }
    drawShape(shape, true);
}

void MetafileSurface::polyPolyline(const QList<QPolygonF>& lines)
{
    for (const QPolygonF& line : lines) polyline(line);
}

void MetafileSurface::polyBezier(const QPolygonF& points, bool fromCurrent)
{
    QPainterPath shape;
    qsizetype i = 0;
    if (fromCurrent) {
        shape.moveTo(dc_.current);
    } else {
        if (points.isEmpty()) return;
        shape.moveTo(points[0]);
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3) shape.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent && !points.isEmpty()) dc_.current = shape.currentPosition();
    if (dc_.inPath) {
        if (fromCurrent && path_.elementCount() > 0) {
            path_.connectPath(shape);
        } else {
            path_.addPath(shape);
        }
        return;
    }
    drawShape(shape, false);
}

void MetafileSurface::rectangle(const QRectF& r)
{
    QPainterPath shape;
    shape.addRect(r.normalized());
    drawShape(shape, true);
}

void MetafileSurface::roundRect(const QRectF& r, QSizeF corner)
{
    QPainterPath shape;
    shape.addRoundedRect(r.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    drawShape(shape, true);
}

void MetafileSurface::ellipse(const QRectF& r)
{
    QPainterPath shape;
    shape.addEllipse(r.normalized());
    drawShape(shape, true);
}

void MetafileSurface::arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    const QRectF r = box.normalized();
    const double a1 = angleOf(r, start), a2 = angleOf(r, end);
    double sweep = std::fmod(a2 - a1 + 720.0, 360.0);
    if (dc_.clockwise) sweep = sweep - 360.0;
    if (sweep == 0) sweep = dc_.clockwise ? -360.0 : 360.0;
    QPainterPath shape;
    if (kind == ArcKind::Pie) {
        shape.moveTo(r.center());
        shape.arcTo(r, a1, sweep);
        shape.closeSubpath();
    } else if (kind == ArcKind::ArcTo) {
        shape.moveTo(dc_.current);
        QPainterPath arcPath;
        arcPath.arcMoveTo(r, a1);
        shape.lineTo(arcPath.currentPosition());
        shape.arcTo(r, a1, sweep);
        dc_.current = shape.currentPosition();
    } else {
        shape.arcMoveTo(r, a1);
        shape.arcTo(r, a1, sweep);
        if (kind == ArcKind::Chord) shape.closeSubpath();
    }
    drawShape(shape, kind == ArcKind::Chord || kind == ArcKind::Pie);
}

void MetafileSurface::angleArc(QPointF centre, double radius, double startDeg, double sweepDeg)
{
    if (!std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return;
    const QRectF r(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath shape;
    shape.moveTo(dc_.current);
    QPainterPath arcPath;
    arcPath.arcMoveTo(r, startDeg);
    shape.lineTo(arcPath.currentPosition());
    shape.arcTo(r, startDeg, std::clamp(sweepDeg, -3600.0, 3600.0));
    dc_.current = shape.currentPosition();
    drawShape(shape, false);
}

void MetafileSurface::polyDraw(const QPolygonF& points, const QByteArray& kinds)
{
    QPainterPath shape;
    shape.moveTo(dc_.current);
    for (qsizetype i = 0; i < points.size() && i < kinds.size(); ++i) {
        const int kind = kinds[i] & 0x06;
        if (kind == 0x04 && i + 2 < points.size()) {
            shape.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else if (kind == 0x06) {
            shape.moveTo(points[i]);
        } else {
            shape.lineTo(points[i]);
        }
        if (i < kinds.size() && (kinds[i] & 0x01)) shape.closeSubpath();
    }
    dc_.current = shape.currentPosition();
    drawShape(shape, false);
}

void MetafileSurface::fillShape(const QPainterPath& shape, const QBrush& brush)
{
    if (dc_.inPath) return;
    const std::vector<QLineF> edges = edgesOf(shape);
    if (!account(shape.controlPointRect(), shape.elementCount(), true, &edges, false,
                 brush.style() == Qt::SolidPattern ? 1 : kGradientWork))
        return;
    applyClip();
    preparedKind_ = -1;
    painter_->setTransform(transform_ * base_);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(brush);
    painter_->drawPath(shape);
}

void MetafileSurface::setPixel(QPointF p, QColor c)
{
    if (dc_.inPath || !account(QRectF(p, QSizeF(1, 1)), 1, true)) return;
    applyClip();
    preparedKind_ = -1;
    painter_->setTransform(base_);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QPointF at = transform_.map(p);
    painter_->fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), c);
}

void MetafileSurface::patBlt(const QRectF& r, std::uint32_t rop)
{
    if (dc_.inPath || !account(r, 4, true)) return;
    preparePainter(false, false);
    preparedKind_ = -1;
    switch (rop) {
    case BLACKNESS: painter_->setBrush(Qt::black); break;
    case WHITENESS: painter_->setBrush(Qt::white); break;
    case DSTINVERT:
        painter_->setCompositionMode(QPainter::RasterOp_NotDestination);
        painter_->setBrush(Qt::black);
        break;
    case PATINVERT:
        painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_->setBrush(makeBrush(dc_.brush));
        break;
    case DSTCOPY: return; // the destination as it is
    default: painter_->setBrush(makeBrush(dc_.brush)); break; // PATCOPY and the rest
    }
    painter_->drawRect(r.normalized());
}

void MetafileSurface::fillRects(const QList<QRectF>& rects, const LogBrush* brush)
{
    if (dc_.inPath) return;
    for (const QRectF& r : rects) {
        if (!account(r, 4, true)) continue;
        preparePainter(false, false);
        preparedKind_ = -1;
        if (brush)
            painter_->setBrush(makeBrush(*brush));
        else
            painter_->setBrush(makeBrush(dc_.brush));
        painter_->drawRect(r.normalized());
    }
}

// ---------------------------------------------------------------- text

namespace {

// Fonts whose characters are the symbol font's: their text is shown through symbolText.
bool symbolFont(const LogFont& font)
{
    return font.charset == SYMBOL_CHARSET || font.face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

// The font's height in device pixels. Glyphs stand upright in device space at the font's mapped
// height, whatever the mapping; a height of 0 asks for the default size.
double emPixels(const LogFont& font, const QTransform& t, const QTransform& base)
{
    if (font.height == 0) return 16 * std::sqrt(std::abs(base.determinant()));
    double em = std::abs(font.height) * std::hypot(t.m21(), t.m22());
    if (font.height > 0) em *= 0.85; // a cell height holds the internal leading too
    return em;
}

} // namespace

// A line of text laid out in device pixels from its reference point.
struct MetafileSurface::TextLine {
    QFont font;
    QRawFont rawFont;            // glyph indices only
    QList<quint32> glyphs;       // glyph indices only
    std::vector<double> advance; // per character, when placed one by one
    double total = 0;            // the whole line's advance
    QPointF start;               // the left end on the baseline
    double ascent = 0, height = 0;
};

std::optional<MetafileSurface::TextLine> MetafileSurface::layOutText(double em, const QString& shown, bool glyphIndices,
                                                                      const std::vector<double>& dx, double xScale) const
{
    TextLine line;
    line.font = makeFont(em);
    const QFontMetricsF metrics(line.font);
    QList<QPointF> glyphAdvances;
    if (glyphIndices) {
        // Glyph indices name glyphs of the font by number: they are drawn from the font that
        // stands in for it, which is right when the named font is installed.
        line.rawFont = QRawFont::fromFont(line.font);
        if (!line.rawFont.isValid()) return std::nullopt;
        for (QChar c : shown) line.glyphs << c.unicode();
        glyphAdvances = line.rawFont.advancesForGlyphIndexes(line.glyphs);
    }
    const auto naturalAdvance = [&](qsizetype i) {
        return glyphIndices ? (i < glyphAdvances.size() ? glyphAdvances[i].x() : 0.0) : metrics.horizontalAdvance(shown[i]);
    };
    const qsizetype chars = shown.size();
    line.advance.assign(size_t(chars), 0.0);
    if (!dx.empty() || glyphIndices) {
        // The spacing the record gives (logical units), else each glyph's own.
        for (qsizetype i = 0; i < chars; ++i) {
            line.advance[size_t(i)] = i < qsizetype(dx.size()) ? dx[size_t(i)] * xScale : naturalAdvance(i);
            line.total += line.advance[size_t(i)];
        }
    } else {
        line.total = metrics.horizontalAdvance(shown);
    }
    const std::uint32_t horizontal = dc_.textAlign & kTextHorizontalMask;
    const std::uint32_t vertical = dc_.textAlign & kTextVerticalMask;
    double x0 = 0; // TA_LEFT
    if (horizontal == TA_CENTER)
        x0 = -line.total / 2;
    else if (horizontal == TA_RIGHT)
        x0 = -line.total;
    double baseline = 0; // TA_BASELINE
    if (vertical == TA_TOP)
        baseline = metrics.ascent();
    else if (vertical == TA_BOTTOM)
        baseline = -metrics.descent();
    line.start = QPointF(x0, baseline);
    line.ascent = metrics.ascent();
    line.height = metrics.height();
    return line;
}

void MetafileSurface::fillTextBox(const QRectF& box)
{
    if (!account(box, 4, true)) return;
    preparePainter(false, false);
    painter_->setBrush(dc_.bkColour);
    preparedKind_ = -1;
    painter_->drawRect(box.normalized());
}

void MetafileSurface::drawTextLine(const TextLine& line, const QString& shown, QPointF origin, const QRectF* clip,
                                   bool glyphIndices, bool spaced)
{
    applyClip();
    preparedKind_ = -1;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    QTransform local = QTransform::fromTranslate(origin.x(), origin.y());
    if (dc_.font.escapement != 0) local.rotate(-(dc_.font.escapement / 10.0));
    painter_->setTransform(local * base_);
    if (clip) {
        painter_->save();
        painter_->setTransform(transform_ * base_);
        painter_->setClipRect(clip->normalized(), Qt::IntersectClip);
        painter_->setTransform(local * base_);
    }
    const double x0 = line.start.x(), baseline = line.start.y();
    if (dc_.bkMode == OPAQUE) painter_->fillRect(QRectF(x0, baseline - line.ascent, line.total, line.height), dc_.bkColour);
    painter_->setFont(line.font);
    painter_->setPen(dc_.textColour);
    const qsizetype chars = shown.size();
    if (glyphIndices) {
        QList<QPointF> positions;
        double x = x0;
        for (qsizetype i = 0; i < chars; ++i) {
            positions << QPointF(x, baseline);
            x += line.advance[size_t(i)];
        }
        QGlyphRun run;
        run.setRawFont(line.rawFont);
        run.setGlyphIndexes(line.glyphs);
        run.setPositions(positions);
        painter_->drawGlyphRun(QPointF(0, 0), run);
    } else if (!spaced) {
        painter_->drawText(line.start, shown);
    } else {
        double x = x0;
        for (qsizetype i = 0; i < chars; ++i) {
            painter_->drawText(QPointF(x, baseline), QString(shown[i]));
            x += line.advance[size_t(i)];
        }
    }
    if (clip) painter_->restore();
}

void MetafileSurface::text(QPointF reference, const QString& text, std::uint32_t options, const QRectF* rect,
                  const std::vector<double>& dx)
{
    if (dc_.inPath) return;
    const QTransform& t = transform();
    const bool updateCp = dc_.textAlign & TA_UPDATECP;
    if (updateCp) reference = dc_.current;
    if (rect && (options & kEtoOpaque)) fillTextBox(*rect);
    if (text.isEmpty() || !usable_) return;
    const bool glyphIndices = options & kEtoGlyphIndex;
    const QString shown = !glyphIndices && symbolFont(dc_.font) ? symbolText(text) : text;

    const double xScale = std::hypot(t.m11(), t.m12());
    const double em = emPixels(dc_.font, t, base_);
    const double glyphArea = std::min(em * em, target_.width() * target_.height());
    work_ += kPrimitiveWork + (kCharWork + kGlyphPixelWork * glyphArea) * double(shown.size());
    if (work_ > kMaxWork) invalid();
    chargeClip();
    if (!painter_ || em < 0.5 || em > kMaxFontPixels) return;

    const std::optional<TextLine> line = layOutText(em, shown, glyphIndices, dx, xScale);
    if (!line) return;
    drawTextLine(*line, shown, t.map(reference), rect && (options & kEtoClipped) ? rect : nullptr, glyphIndices,
                 !dx.empty());
    if (updateCp && xScale > 0) {
        const double move = line->total / xScale;
        dc_.current = reference + QPointF(t.m11() >= 0 ? move : -move, 0);
    }
}

void MetafileSurface::countDecode(qint64 pixels)
{
    work_ += kBitmapWork + double(std::max<qint64>(pixels, 0)) * 2;
    if (work_ > kMaxWork) invalid();
}

void MetafileSurface::image(const QRectF& dest, const QImage& source, const QRectF& sourceRect, std::uint32_t rop)
{
    // Counted whether or not the bitmap was decoded: the checking pass decodes none.
    if (dc_.inPath || !account(dest, 4, true, nullptr, false, kImageWork) || source.isNull()) return;
    applyClip();
    preparedKind_ = -1;
    painter_->setTransform(transform_ * base_);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop) {
    case SRCAND: mode = QPainter::RasterOp_SourceAndDestination; break;
    case SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; break;
    case SRCINVERT: mode = QPainter::RasterOp_SourceXorDestination; break;
    case NOTSRCCOPY: mode = QPainter::RasterOp_NotSource; break;
    case DSTCOPY: return;
    default: break;
    }
    painter_->setCompositionMode(mode);
    QImage picture = source;
    QRectF d = dest;
    QRectF s = sourceRect;
    // A negative extent mirrors the bitmap.
    const bool flipX = (d.width() < 0) != (s.width() < 0);
    const bool flipY = (d.height() < 0) != (s.height() < 0);
    d = d.normalized();
    s = s.normalized();
    if (s.isEmpty() || d.isEmpty()) return;
    if (flipX || flipY) {
        picture = picture.mirrored(flipX, flipY);
        if (flipX) s.moveLeft(picture.width() - s.right());
        if (flipY) s.moveTop(picture.height() - s.bottom());
    }
    painter_->drawImage(d, picture, s);
}

// ---------------------------------------------------------------- paths

void MetafileSurface::beginPath()
{
    path_ = QPainterPath();
    dc_.inPath = true;
}

void MetafileSurface::abortPath()
{
    path_ = QPainterPath();
    dc_.inPath = false;
}

void MetafileSurface::closeFigure()
{
    if (dc_.inPath) path_.closeSubpath();
}

void MetafileSurface::fillPath()
{
    dc_.inPath = false;
    QPainterPath shape = path_;
    path_ = QPainterPath();
    shape.setFillRule(fillRule());
    const std::vector<QLineF> edges = edgesOf(shape);
    if (!account(shape.controlPointRect(), shape.elementCount(), true, &edges, false)) return;
    preparePainter(false, true);
    painter_->drawPath(shape);
}

void MetafileSurface::strokePath()
{
    dc_.inPath = false;
    QPainterPath shape = path_;
    path_ = QPainterPath();
    drawShape(shape, false);
}

void MetafileSurface::strokeAndFillPath()
{
    dc_.inPath = false;
    QPainterPath shape = path_;
    path_ = QPainterPath();
    shape.setFillRule(fillRule());
    drawShape(shape, true);
}

} // namespace quorvel::metafile
