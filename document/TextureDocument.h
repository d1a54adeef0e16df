// The one texture the program holds: the m32 header, the file it belongs to, sixteen level
// slots (table entry, level image, alpha plane, list entry) and the working texts of the
// header's names and numbers. The windows show it and change it through this class; the level
// table (sizes and offsets), the level count and the list entries are changed only here, so
// they always agree.
#pragma once

#include "document/HeaderTexts.h"
#include "document/M32Format.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

class QIODevice;

namespace quorvel {

class TextureDocument {
public:
    TextureDocument();

    const M32Header& header() const { return header_; }
    // current_file: the document's path, empty while it is untitled.
    const QString& currentFile() const { return currentFile_; }

    // The working copy of the names and numbers (the properties window's fields).
    HeaderTexts& texts() { return texts_; }
    const HeaderTexts& texts() const { return texts_; }

    // Levels are numbered 1..levelCount(); entry k - 1 of the list stands for level k.
    int levelCount() const { return int(entries_.size()); }
    const QStringList& levelEntries() const { return entries_; }
    QSize levelSize(int level) const;

    // Level images (1024 x 1024, Format_RGB32, the colour over the background grey) and alpha
    // planes (1024 x 1024, Format_Grayscale8, the alpha itself) of slots 1..16, made on first
    // use: an untouched image reads white, an untouched plane 0. Only the top-left
    // levelSize(k) pixels belong to the level.
    QImage& levelImage(int slot);
    const QImage& levelImage(int slot) const;
    QImage& alphaPlane(int slot);
    const QImage& alphaPlane(int slot) const;
    bool hasLevelImage(int slot) const { return !slots_[slot - 1].image.isNull(); }
    bool hasAlphaPlane(int slot) const { return !slots_[slot - 1].alpha.isNull(); }

    // current_view: the slot shown and painted.
    int currentLevel() const { return currentLevel_; }
    void setCurrentLevel(int slot);

    // New: untitled, version 4, default names, numbers and texts, no levels, the current level
    // image white. The reserved bytes and the sizes held for absent levels stay.
    void newDocument();

    // Opens an m32 file: the whole file is checked first, and only a file that reads completely
    // changes the document (header, texts, levels 1..N, current_file, current level 1). A file
    // that fails raises the runtime's message and leaves everything as it was.
    void open(const QString& path);
    // The same from a device already open for reading; `path` becomes current_file.
    void open(QIODevice& device, const QString& path);

    // Save and Save as: version 4 and the working texts go into the header, the header and
    // levels 1..N are written, the offsets laid out from the level sizes, and current_file
    // becomes `path`. The file is replaced only once every byte is written; a failure leaves it
    // and current_file as they were.
    void save(const QString& path);
    // The file's bytes as save writes them (after the same header update).
    QByteArray saveToBytes();

    // Appends level levelCount() + 1 of width x height (0..1024 each) with its list entry; its
    // image becomes white and its alpha plane `alpha` over the level. Returns the new level's
    // number. Raises an error when sixteen levels are present or a side is out of range.
    int appendLevel(int width, int height, const QString& entry, int alpha = 255);
    // Removes level `level`: the levels after it move down one slot with their sizes, images,
    // alpha planes and entries, and the current level becomes 1.
    void removeLevel(int level);

private:
    struct Slot {
        mutable QImage image;
        mutable QImage alpha;
        // The part of the image that may be other than white; the rest is known white.
        mutable QRect dirty;
    };

    // The one place that lays out the offsets: levels 1..N right after each other from byte
    // 968, every later offset 0.
    void layOutLevelTable();
    // Makes the image of a slot white outside `keep` (and inside it too when keep is empty).
    void whiten(Slot& slot, const QRect& keep = QRect());
    void checkSlot(int slot) const;
    void writeLevels(QIODevice& out) const;

    M32Header header_;
    QString currentFile_;
    HeaderTexts texts_;
    QStringList entries_;
    std::array<Slot, kMaxLevels> slots_;
    int currentLevel_ = 1;
};

} // namespace quorvel
