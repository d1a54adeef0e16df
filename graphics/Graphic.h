// A graphic: image content with a size, drawn into a rectangle, loaded from and saved to files
// and streams. Bitmaps, icons, metafiles and the codecs' picture classes are graphics, and the
// picture registry creates them by file extension.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QIODevice;
class QPainter;

namespace quorvel {

class Graphic {
public:
    virtual ~Graphic() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual bool empty() const { return width() <= 0 || height() <= 0; }

    // Draws the graphic stretched into `target`; stretching drops or repeats whole rows and
    // columns, it never blends neighbours.
    virtual void draw(QPainter& painter, const QRect& target) const = 0;
    // The picture's straight (not premultiplied) colour and alpha, Format_ARGB32, when it carries
    // alpha of its own; a null image when it has none.
    virtual QImage colourAndAlpha() const { return {}; }
    // Draws the graphic at its own size with its top-left corner at `at`.
    void draw(QPainter& painter, QPoint at) const { draw(painter, QRect(at.x(), at.y(), width(), height())); }

    virtual void loadFromStream(QIODevice& stream) = 0;
    // Opens the file ("Cannot open file %s") and loads it as a stream.
    virtual void loadFromFile(const QString& path);
    // Kinds that cannot be written raise an error.
    virtual void saveToStream(QIODevice& stream) const;
    // Writes the whole file or nothing ("Cannot create file %s").
    virtual void saveToFile(const QString& path) const;

protected:
    Graphic() = default;
    Graphic(const Graphic&) = default;
    Graphic& operator=(const Graphic&) = default;
};

} // namespace quorvel
