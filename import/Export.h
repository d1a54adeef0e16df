// File > Export: a level, cropped to the level's size, written in the kind its file name asks
// for. A name ending in .png gets the level's stored colour and alpha as a 32-bit PNG, one ending
// in .tga the same as an uncompressed 32-bit Targa; any other name (.bmp, or none) gets the
// colour the level view shows (partly transparent pixels blended over the background grey) as an
// uncompressed 24-bit Windows bitmap, without the alpha, as it always has.
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

// The level as the file stores it: each pixel's stored (not blended) colour and its alpha,
// Format_ARGB32 (straight alpha), at the level's size. The same Error for a missing level.
QImage storedLevel(const TextureDocument& document, int level);

// Writes the level to `path` in the kind its extension asks for: the file is replaced only once
// every byte is written, and a failure raises "Cannot create file %s" leaving any earlier file
// intact.
void exportLevel(const TextureDocument& document, int level, const QString& path);

// Raises Error when the document has no level to export.
void checkExportable(const TextureDocument& document);

// Export of the current level; with no level the export is refused (Error) and nothing is
// written.
void exportCurrentLevel(const TextureDocument& document, const QString& path);

// The name every level is written under by exportAllLevels: NAME-K-WxH.png.
QString allLevelsFileName(const QString& name, int level, int width, int height);

// Every level as `directory`/allLevelsFileName(name, K, ...), each a 32-bit PNG written whole or
// not at all. A texture without levels, a level without pixels, or a name that is one of
// `inputs` is refused (Error) before any file is written; a failure while writing raises and the
// levels after it are not written. Returns the paths written, in level order.
QStringList exportAllLevels(const TextureDocument& document, const QString& directory, const QString& name,
                            const QStringList& inputs = {});

} // namespace quorvel
