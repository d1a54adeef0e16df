// QtPicture: the picture class for the formats the platform's image plugins read (PNG, JPEG and,
// where the plugins are installed, WebP and TIFF). The size is read from the header and checked
// against the picture cap before any pixel is decoded, and the plugin may allocate no more than
// a picture within the cap needs. A file the plugin cannot read fails with the plugin's reason;
// a JPEG whose last scan does not end is refused rather than decoded with a grey tail.
#pragma once

#include "graphics/Bitmap.h"

#include <QByteArray>
#include <QString>

namespace quorvel {

class QtPicture : public Bitmap {
public:
    // `format` is the plugin's name ("png", "jpeg", "webp", "tiff"); `label` names the kind in
    // messages ("PNG").
    QtPicture(QByteArray format, QString label);

    // Reads the rest of the stream. Fails with "<label> image is too large" for a picture past
    // the cap and "<label> image is not valid: <the plugin's reason>" for one it cannot read; on
    // failure the picture keeps its previous contents.
    void loadFromStream(QIODevice& stream) override;
    // The size the plugin reads from the file's first bytes, when they hold it.
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;

    // Whether this installation has a plugin that reads `format`.
    static bool readable(const QByteArray& format);

private:
    QByteArray format_;
    QString label_;
};

} // namespace quorvel
