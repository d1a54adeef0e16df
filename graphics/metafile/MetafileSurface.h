// The device context a metafile's records play onto: mapping of logical coordinates, the object
// table, pens, brushes, fonts, paths and clipping, and the drawing itself on a QPainter. The same
// surface runs without a painter when a metafile is loaded, so every record is checked and the
// work of drawing is counted before any pixel is touched.
#pragma once

#include "graphics/metafile/MetafileRecords.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <set>
#include <variant>
#include <vector>

class QPainter;

namespace quorvel::metafile {

// A framing fault, an object index out of range or too much work: "Metafile is not valid".
[[noreturn]] void invalid();

// Thrown by a record whose parameters are shorter than its kind needs; the record is skipped.
struct ShortRecord {};

// Bounds-checked little-endian reads inside one record.
class Record {
public:
    Record(const std::uint8_t* data, qsizetype size) : data_(data), size_(size) {}

    qsizetype size() const { return size_; }
    const std::uint8_t* data() const { return data_; }
    bool has(qint64 at, qint64 count) const { return at >= 0 && count >= 0 && at <= size_ && count <= size_ - at; }
    void need(qint64 at, qint64 count) const
    {
        if (!has(at, count)) throw ShortRecord{};
    }
    std::uint8_t u8(qint64 at) const { need(at, 1); return data_[at]; }
    std::uint16_t u16(qint64 at) const
    {
        need(at, 2);
        return std::uint16_t(data_[at] | data_[at + 1] << 8);
    }
    std::int16_t i16(qint64 at) const { return std::int16_t(u16(at)); }
    std::uint32_t u32(qint64 at) const
    {
        need(at, 4);
        return std::uint32_t(data_[at]) | std::uint32_t(data_[at + 1]) << 8 | std::uint32_t(data_[at + 2]) << 16
            | std::uint32_t(data_[at + 3]) << 24;
    }
    std::int32_t i32(qint64 at) const { return std::int32_t(u32(at)); }
    float f32(qint64 at) const;
    // A colour reference: red, green, blue, reserved.
    QColor colour(qint64 at) const
    {
        need(at, 4);
        return QColor(data_[at], data_[at + 1], data_[at + 2]);
    }
    Record sub(qint64 at, qint64 count) const
    {
        need(at, count);
        return Record(data_ + at, qsizetype(count));
    }

private:
    const std::uint8_t* data_;
    qsizetype size_;
};

struct LogPen {
    std::uint32_t style = 0; // PS_* with end cap, join and type bits
    double width = 0;        // logical units; 0 draws one pixel wide
    QColor colour = Qt::black;
};

struct LogBrush {
    std::uint32_t style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, pattern kinds
    QColor colour = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern; // pattern brushes
};

struct LogFont {
    double height = 0; // logical units; negative: character height, positive: cell height
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 0;
    QString face;
};

// Palettes and regions take a slot of the object table but select nothing we draw with.
struct OtherObject {};

using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, OtherObject>;

enum class Form { Wmf, Emf };

// Text output options.
constexpr std::uint32_t kEtoOpaque = 0x2, kEtoClipped = 0x4, kEtoGlyphIndex = 0x10;

class MetafileSurface {
public:
    // `target` is where the picture goes on the painter's device; `frame` is the rectangle of
    // device space (natural pixels for WMF, reference-device pixels for EMF) that maps onto it.
    // Without a painter nothing is drawn and the work is only counted.
    MetafileSurface(QPainter* painter, Form form, const QRectF& target, const QRectF& frame, double pixelsPerMm,
           qsizetype objectSlots);
    ~MetafileSurface();
    MetafileSurface(const MetafileSurface&) = delete;
    MetafileSurface& operator=(const MetafileSurface&) = delete;

    // Mapping.
    void setMapMode(int mode);
    void setWindowOrg(QPointF p);
    void setWindowExt(QPointF e);
    void setViewportOrg(QPointF p);
    void setViewportExt(QPointF e);
    void offsetWindowOrg(QPointF d);
    void offsetViewportOrg(QPointF d);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void setWorldTransform(const QTransform& t);
    void modifyWorldTransform(const QTransform& t, std::uint32_t mode);

    void saveDc();
    void restoreDc(int relative);

    // Simple state.
    void setBkMode(int mode) { dc_.bkMode = mode; }
    void setBkColour(QColor c) { dc_.bkColour = c; }
    void setTextColour(QColor c) { dc_.textColour = c; }
    void setTextAlign(std::uint32_t align) { dc_.textAlign = align; }
    void setPolyFillMode(int mode) { dc_.polyFill = mode; }
    void setRop2(int rop)
    {
        dc_.rop2 = rop;
        ++styleVersion_;
    }
    void setArcDirection(int direction) { dc_.clockwise = direction == 2; }

    // Object table. WMF objects take the lowest free slot; EMF records name theirs.
    void createObject(GdiObject object);
    void createObjectAt(std::uint32_t index, GdiObject object);
    void selectObject(std::uint32_t index);
    void deleteObject(std::uint32_t index);
    void selectStockObject(std::uint32_t stock);
    // Fails when the index is outside the table.
    void checkObject(std::uint32_t index) const
    {
        if (qint64(index) >= objectSlots_) invalid();
    }

    // Clipping (rectangles in logical units).
    void intersectClip(const QRectF& r);
    void excludeClip(const QRectF& r);
    void resetClip();
    void clipToPath(int mode);
    // A region of device rectangles (EMF), combined with the clip by a region mode.
    void clipToDeviceRects(const QList<QRectF>& rects, int mode);

    // Drawing, in logical units.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points);
    void polylineTo(const QPolygonF& points);
    void polygon(const QPolygonF& points);
    void polyPolygon(const QList<QPolygonF>& polygons);
    void polyPolyline(const QList<QPolygonF>& lines);
    void polyBezier(const QPolygonF& points, bool fromCurrent);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void angleArc(QPointF centre, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, QColor c);
    // A figure of lines and curves: per point a kind (move 6, line 2, curve 4, +1 closes).
    void polyDraw(const QPolygonF& points, const QByteArray& kinds);
    // A shape filled with a brush laid out in logical units (gradients), without the pen.
    void fillShape(const QPainterPath& shape, const QBrush& brush);
    // A rectangle filled with the brush (pattern block transfers) or a fixed colour.
    void patBlt(const QRectF& r, std::uint32_t rop);
    void fillRects(const QList<QRectF>& rects, const LogBrush* brush);
    void text(QPointF reference, const QString& text, std::uint32_t options, const QRectF* rect,
              const std::vector<double>& dx);
    void image(const QRectF& dest, const QImage& source, const QRectF& sourceRect, std::uint32_t rop);

    // Paths.
    void beginPath();
    void endPath() { dc_.inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();

    // Counts a bitmap of `pixels` source pixels about to be decoded.
    void countDecode(qint64 pixels);
    bool painting() const { return painter_ != nullptr; }
    // The brush in an object slot, if the slot holds one.
    std::optional<LogBrush> brushObject(std::uint32_t index) const;

private:
    struct Dc {
        int mapMode = MM_TEXT;
        QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
        QTransform world;
        LogPen pen;
        LogBrush brush;
        LogFont font;
        QColor textColour = Qt::black, bkColour = Qt::white;
        int bkMode = OPAQUE;
        int polyFill = ALTERNATE;
        int rop2 = R2_COPYPEN;
        std::uint32_t textAlign = 0;
        bool clockwise = false;
        QPointF current;
        bool inPath = false;
        std::optional<QPainterPath> clip; // in target coordinates
        double clipCrossings = 0;         // crossings among the clip's own edges
    };

    const QTransform& transform();
    void stateChanged()
    {
        transformValid_ = false;
        ++styleVersion_;
    }
    // Counts the work of a shape covering `bounds` (logical) and says whether to draw it. With its
    // `edges` (logical), the rows a fill or a wide pen's outline sweeps are counted too.
    // `areaWeight` is what a filled pixel costs beyond a solid brush's (gradients, bitmaps).
    bool account(const QRectF& bounds, qint64 points, bool fills, const std::vector<QLineF>* edges = nullptr,
                 bool strokes = false, double areaWeight = 1);
    // The work of sweeping the rows the edges (target coordinates) cover, each widened by `extend`
    // on both sides and standing for `multiplicity` edges.
    double rowWork(const std::vector<QLineF>& edges, double extend, double multiplicity);
    // Counts the combination of the clip `current` with `shape`, before it is done.
    void chargeClipOp(const QPainterPath& current, double currentCrossings, const QPainterPath& shape,
                      double shapeCrossings);
    // Counts the crossings among a new clip shape's edges and returns them.
    double selfCrossings(const QPainterPath& shape);
    // Counts the rasterizing of a changed clip by the first drawing that uses it.
    void chargeClip();
    double currentCrossings() const;
    void clipChanged()
    {
        clipDirty_ = true;
        clipCharged_ = false;
    }
    bool fillsWithBrush() const;
    // A hatch brush that lays the background colour under its lines.
    bool opaqueHatch() const { return dc_.brush.style == BS_HATCHED && dc_.bkMode == OPAQUE && dc_.rop2 != R2_NOP; }
    Qt::FillRule fillRule() const { return dc_.polyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill; }
    // The mapping modes in which the window and viewport extents count.
    bool scalableMapping() const { return dc_.mapMode == MM_ISOTROPIC || dc_.mapMode == MM_ANISOTROPIC; }
    void preparePainter(bool stroke, bool fill);
    QPen makePen() const;
    QBrush makeBrush(const LogBrush& logical);
    void drawShape(const QPainterPath& shape, bool fill);
    void applyClip();
    void combineClip(const QPainterPath& shape, int mode);
    QPainterPath currentClip();
    QPainterPath simpleShape(const QPainterPath& shape) const;
    QFont makeFont(double pixelSize) const;
    struct TextLine;
    // Lays out the text to be shown in the font at `em` pixels: with the record's spacing `dx`
    // (logical units, `xScale` pixels each) or as glyph indices character by character, else as
    // one run; placed by the text alignment. Nothing when no raw font stands in for indices.
    std::optional<TextLine> layOutText(double em, const QString& shown, bool glyphIndices, const std::vector<double>& dx,
                                       double xScale) const;
    // The background colour under an opaque text box (logical units).
    void fillTextBox(const QRectF& box);
    // Draws a laid-out line at `origin` (device), within `clip` (logical) when one is given.
    void drawTextLine(const TextLine& line, const QString& shown, QPointF origin, const QRectF* clip, bool glyphIndices,
                      bool spaced);

    QPainter* painter_;
    Form form_;
    QRectF target_;
    double pixelsPerMm_;
    QTransform base_;       // the painter's own transform when playing began
    QTransform deviceToTarget_;
    QTransform transform_;  // logical -> painter device
    bool transformValid_ = false;
    bool usable_ = true;    // the mapping is finite and not degenerate
    Dc dc_;
    std::vector<Dc> saved_;
    std::vector<GdiObject> objects_;
    std::set<std::uint32_t> freeSlots_; // WMF: emptied slots, the lowest taken first
    qsizetype objectSlots_;
    QPainterPath path_;     // logical coordinates
    bool clipDirty_ = true; // the painter's clip is not yet the context's
    bool clipCharged_ = false; // the work of using the context's clip is counted
    // The painter keeps the pen, brush and transform of the last shape while the context's do
    // not change, so runs of shapes do not set them again.
    quint64 styleVersion_ = 0, preparedVersion_ = 0;
    int preparedKind_ = -1; // -1: the painter was set up for something else
    double work_ = 0;       // pixels and points the drawing will cost
};

} // namespace quorvel::metafile
