// The picture as the import sees it: a file read through the picture registry and turned into a
// plain 32-bit colour image. Targa, icon and metafile pictures are drawn at their natural size
// onto a white image (what they leave transparent stays white); bitmaps are taken as they are,
// colour only. Asked for the picture's own alpha, readers that have it (32-bit Targa, icons,
// bitmaps with an alpha mask) give their straight colour and alpha instead.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace quorvel {

class Graphic;

// Raises Error ("The picture is empty (0 x 10)") for a picture without pixels, which would
// make a texture without levels.
void checkPictureHasPixels(QSize size);

// Whether the kind the registry gives for the path's extension is drawn onto a bitmap rather
// than taken as one; false for a path of no registered kind.
bool drawnOnImport(const QString& path);

// The colour image of a loaded graphic, as import takes it (Format_RGB32). With `ownAlpha`, a
// graphic whose reader has alpha gives Format_ARGB32 (straight colour and alpha) instead; a
// Targa picture's pixels that its alpha plane does not cover are opaque. Other graphics are
// taken as without it.
QImage importedImage(const QString& path, const Graphic& graphic, bool ownAlpha = false);

// Reads the file through the registry; readers' errors pass through, and a picture without
// pixels is refused (checkPictureHasPixels).
QImage loadImportedImage(const QString& path, bool ownAlpha = false);

// Reads the file through the registry for a level: a picture whose header declares more than a
// level's 1024 pixels on a side is refused with the chain limits' message before any of its
// pixels is decoded, so that a small file declaring a huge picture costs nothing; a picture
// without pixels is refused ("The picture is empty (0 x 10)").
std::unique_ptr<Graphic> loadLevelPicture(const QString& path);

} // namespace quorvel
