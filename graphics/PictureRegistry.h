// The picture registry: which graphic class reads files of which extension, and how the open
// dialogs list it. Extensions are kept in lower case and looked up without regard to case,
// newest registration first, so a later registration of an extension wins.
#pragma once

#include "base/PathText.h"
#include "graphics/Graphic.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace quorvel {

using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;

struct PictureKind {
    QString extension; // without the dot; kept in lower case
    QString description{};
    GraphicFactory create{};
    // The open dialogs' filter the kind is listed under ("ZSoft PCX"); empty: listed in none.
    QString filter{};
    // Its place in the dialogs' lists, smaller first; filters follow their first kind.
    int listOrder = 0;
    // Whether the import draws its pictures onto a white bitmap rather than taking their pixels.
    bool drawnOnImport = false;
    // Whether the kind can be read here (a platform plugin may be missing); none: always. Asked
    // once, when a lookup or a filter list first needs the kind, since asking may load plugins.
    std::function<bool()> available{};
};

void registerPictureKind(PictureKind kind);
// The newest registration of the extension that can be read here, or nullptr.
const PictureKind* findPictureKind(const QString& extension);
// Every registration, oldest first, whether or not it can be read here.
const QList<PictureKind>& pictureKinds();

// A filter of the open dialogs: its description, which names its patterns
// ("Metafile (*.emf;*.wmf)"), and the patterns ("*.emf", "*.wmf").
struct PictureFilter {
    QString description{};
    QStringList patterns;
};
// One filter for each filter name of the kinds in force (the newest registration of each
// extension), in the kinds' list order.
QList<PictureFilter> pictureFilters();
// The patterns of all those filters, in the same order.
QStringList picturePatterns();

// The extension the registry goes by: the text after the last dot of the file name.
inline QString pictureExtension(const QString& path) { return extensionAfterLastDot(path); }

// Creates the graphic the registry gives for the path's extension and reads the file into it.
// An unknown extension fails with "Unknown picture file extension (.%s)". With a `check`, the
// size the file's header declares goes to it before any pixel is decoded (Graphic::sizeFromHeader:
// each kind tells its own), so that a picture too large for the caller costs nothing to refuse.
std::unique_ptr<Graphic> loadPicture(const QString& path, const Graphic::SizeCheck& check = {});

} // namespace quorvel
