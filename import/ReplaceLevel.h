// Mipmaps > replace… and File > Replace level…: a picture of a level's size put in place of the
// level's pixels, for a level tuned in another program and brought back. The picture's colour is
// taken as the colour the file stores (what a PNG export of the level holds), so that exporting a
// level and putting the export back gives what a save of the texture gives.
#pragma once

#include <QImage>
#include <QString>

namespace quorvel {

class TextureDocument;

// Replaces level `level`'s colour with the picture's (as loadImportedImage gives it) and, when
// `usePictureAlpha` is set and the picture has alpha, its alpha too; otherwise the level keeps
// its alpha. A level that is not present raises Error ("Level 5 does not exist; the texture has
// 3 levels"), a picture of another size "The picture is W x H; level K is w x h"; either way
// nothing changes.
void replaceLevel(TextureDocument& document, int level, const QImage& picture, bool usePictureAlpha);
// The checks replaceLevel makes before it changes anything, with the same errors.
void checkReplacement(const TextureDocument& document, int level, const QImage& picture);

// Reads the picture through the registry (readers' errors pass through) and replaces the level.
void replaceLevelFromFile(TextureDocument& document, int level, const QString& path, bool usePictureAlpha);

} // namespace quorvel
