// The picture registry: which graphic class reads files of which extension. Extensions are kept
// in lower case and looked up without regard to case, newest registration first, so a later
// registration of an extension wins.
#pragma once

#include "base/PathText.h"
#include "graphics/Graphic.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace quorvel {

using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;

struct PictureKind {
    QString extension; // lower case, without the dot
    QString description;
    GraphicFactory create;
};

void registerPictureKind(const QString& extension, const QString& description, GraphicFactory create);
// The newest registration of the extension, or nullptr.
const PictureKind* findPictureKind(const QString& extension);
// Every registration, oldest first.
const QList<PictureKind>& pictureKinds();

// The extension the registry goes by: the text after the last dot of the file name.
inline QString pictureExtension(const QString& path) { return extensionAfterLastDot(path); }

// Creates the graphic the registry gives for the path's extension and reads the file into it.
// An unknown extension fails with "Unknown picture file extension (.%s)". With a `check`, the
// size the file's header declares goes to it before any pixel is decoded (Graphic::sizeFromHeader:
// each kind tells its own), so that a picture too large for the caller costs nothing to refuse.
std::unique_ptr<Graphic> loadPicture(const QString& path, const Graphic::SizeCheck& check = {});

// The graphics layer's own kinds: metafiles, icons and plain bitmaps.
void registerStandardPictureKinds();

} // namespace quorvel
