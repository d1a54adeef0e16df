// A graphic: image content with a size, drawn into a rectangle, loaded from and saved to files
// and streams. Bitmaps, icons, metafiles and the codecs' picture classes are graphics, and the
// picture registry creates them by file extension.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

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
    // What drawing the graphic at its own size onto white gives, Format_RGB32, when the graphic
    // holds it ready (an opaque picture of that size); a null image otherwise.
    virtual QImage drawnAtOwnSize() const { return {}; }
    // Draws the graphic at its own size with its top-left corner at `at`.
    void draw(QPainter& painter, QPoint at) const { draw(painter, QRect(at.x(), at.y(), width(), height())); }

    virtual void loadFromStream(QIODevice& stream) = 0;
    // Opens the file ("Cannot open file %s") and loads it as a stream.
    virtual void loadFromFile(const QString& path);

    // Called with the size a picture's header declares, before any of its pixels is decoded;
    // raises to refuse the picture.
    using SizeCheck = std::function<void(QSize)>;
    // As loadFromFile, but first shows `check` the size the file's header declares when this kind
    // can tell it (sizeFromHeader); a kind that cannot is loaded unchecked.
    void loadFromFile(const QString& path, const SizeCheck& check);

    // How many of a file's first bytes sizeFromHeader is given (fewer when the file is shorter).
    static constexpr qint64 kHeaderBytes = 65536;
    // The width and height a load of a file starting with `head` would give, read from the header
    // alone without decoding anything, or nothing when this kind cannot tell them that cheaply
    // (or the header is not readable: the load then says what is wrong).
    virtual std::optional<QSize> sizeFromHeader(const QByteArray& head) const;
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
