// TUniBitmap: the bitmap class that reads plain Windows bitmaps and their two LZRW1-KH
// compressed forms, and the base of the GIF and PCX picture classes.
//
// The forms, told apart by content whatever the file's extension:
// - BLZ: "LZRW" (or "WRZL"), the length of the bitmap file (32-bit little-endian), then blocks
//   compressing the whole bitmap file.
// - compressed DIB: the 14-byte file header with the bitmap file's length in its reserved words,
//   a 44-byte information header with "LZRW" (or "WRZL") in the place of the compression field
//   and the real compression field at its end (offset 54), then blocks compressing the file from
//   its offset 54 on. Width, height and depth stay readable at offsets 18, 22 and 28.
// - plain: anything else, an ordinary bitmap file.
// Blocks: a 16-bit little-endian compressed length (1..32769) and an LZRW1-KH block, each
// expanding to 32768 bytes except the last, which expands to fewer (a lone stored-flag byte when
// the data is an exact multiple of 32768).
//
// Loading from program resources and taking over handles or other pictures have no counterpart
// here and are left out.
#pragma once

#include "graphics/Bitmap.h"

#include <QByteArray>
#include <QString>

#include <cstring>

namespace quorvel {

class TUniBitmap : public Bitmap {
public:
    using Bitmap::Bitmap;

    // Reads the rest of the stream and loads it in whichever form it is. On failure the bitmap
    // keeps its previous contents.
    void loadFromStream(QIODevice& stream) override;
    // The plain form's size from its headers, a compressed form's from the bitmap headers it
    // holds readable or in its first block.
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;
    // Load one form only; content in another form fails.
    void loadBlzFromStream(QIODevice& stream);

    // Write the bitmap as a 24-bit bitmap file in one of the compressed forms.
    void saveBlzToStream(QIODevice& stream) const;
    void saveBlzToFile(const QString& path) const;
    void saveDibToFile(const QString& path) const;

    enum class Form { Plain, Blz, CompressedDib };
    // Told by the compressor's magic ("LZRW" or "WRZL") at the start, or after the 30 bytes of
    // headers a compressed DIB keeps readable.
    static Form formOf(const QByteArray& bytes)
    {
        if (isMagic(bytes, 0)) return Form::Blz;
        if (isMagic(bytes, 30)) return Form::CompressedDib;
        return Form::Plain;
    }

    // The plain bitmap file a compressed form holds. Malformed streams raise ELzrw1KHCompressor.
    static QByteArray expandBlz(const QByteArray& bytes);
    static QByteArray expandDib(const QByteArray& bytes);
    // A plain bitmap file in a compressed form.
    static QByteArray compressBlz(const QByteArray& bitmapFile);
    static QByteArray compressDib(const QByteArray& bitmapFile);

private:
    static bool isMagic(const QByteArray& bytes, qsizetype at)
    {
        if (bytes.size() < at + 4) return false;
        const char* p = bytes.constData() + at;
        return std::memcmp(p, "LZRW", 4) == 0 || std::memcmp(p, "WRZL", 4) == 0;
    }
};

} // namespace quorvel
