// File > Export: a level's colour, cropped to the level's size, written as an uncompressed
// 24-bit Windows bitmap whatever the file's extension. The colour is what the level view shows
// (partly transparent pixels blended over the background grey); the alpha is not written.
#pragma once

#include <QImage>
#include <QString>

namespace quorvel {

class TextureDocument;

// The name the file is written under: "texture" typed without an extension becomes
// "texture.bmp"; a name with any extension stays as typed.
QString exportFileName(const QString& typed);

// Level 1..levelCount()'s colour at the level's size. A level that is not present raises Error
// ("Level 5 does not exist; the texture has 3 levels"), and so does one without pixels ("Level 2
// is empty (0 x 4)").
QImage exportedLevel(const TextureDocument& document, int level);

// Writes exportedLevel to `path`: the file is replaced only once every byte is written, and a
// failure raises "Cannot create file %s" leaving any earlier file intact.
void exportLevel(const TextureDocument& document, int level, const QString& path);

// Raises Error when the document has no level to export.
void checkExportable(const TextureDocument& document);

// Export of the current level; with no level the export is refused (Error) and nothing is
// written.
void exportCurrentLevel(const TextureDocument& document, const QString& path);

} // namespace quorvel
