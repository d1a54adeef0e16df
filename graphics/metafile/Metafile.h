// A metafile: a Windows metafile (.wmf, with or without the placeable header) or an enhanced
// metafile (.emf), kept as its records and played onto a QPainter whenever it is drawn. Its size
// is the picture's frame at 96 pixels per inch.
#pragma once

#include "graphics/Graphic.h"

#include <QByteArray>
#include <QRectF>

namespace quorvel {

class Metafile : public Graphic {
public:
    int width() const override { return width_; }
    int height() const override { return height_; }

    using Graphic::draw;
    // Plays the records scaled so that the picture's frame fills `target`.
    void draw(QPainter& painter, const QRect& target) const override;
    // Reads and checks the whole file; anything malformed fails with "Metafile is not valid".
    void loadFromStream(QIODevice& stream) override;
    void load(const QByteArray& bytes);
    // The natural size from the header (a window extent among the first records when a Windows
    // metafile has no placeable header).
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;

private:
    enum class Kind { None, Wmf, Emf };
    // What the header says, checked ("Metafile is not valid" when unusable).
    struct Header {
        Kind kind;
        int width, height;
        qsizetype firstRecord, objectSlots;
        QRectF window, frame;
        double pixelsPerMm;
    };
    static Header readHeader(const QByteArray& bytes);
    static Header readEmfHeader(const QByteArray& bytes);
    static Header readWmfHeader(const QByteArray& bytes);
    void play(QPainter* painter, const QRectF& target) const;

    QByteArray bytes_;
    Kind kind_ = Kind::None;
    int width_ = 0, height_ = 0;
    qsizetype firstRecord_ = 0; // WMF: the first record after the header
    QRectF window_;             // WMF: the window before the records set one
    QRectF frame_;              // device rectangle that maps onto the picture
    double pixelsPerMm_ = 96 / 25.4;
    qsizetype objectSlots_ = 0;
};

} // namespace quorvel
