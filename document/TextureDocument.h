// The one texture the program holds: the m32 header, the file it belongs to, sixteen level
// slots (table entry, level image, alpha plane, list entry) and the working texts of the
// header's names and numbers. The windows show it and change it through this class, and follow
// its announcements; the level table (sizes and offsets), the level count and the list entries
// are changed only here, so they always agree.
//
// Errors: operations that take a level or slot number raise std::out_of_range for a number
// outside 1..16 (slots) or 1..levelCount() (levels), which is a caller's fault, never a user's.
// Operations on files and on user-chosen sizes raise quorvel::Error with the system's message.
#pragma once

#include "document/HeaderTexts.h"
#include "document/M32Format.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace quorvel {

class History;

class TextureDocument : public QObject {
    Q_OBJECT

public:
    explicit TextureDocument(QObject* parent = nullptr);
    ~TextureDocument() override;

    // The history of changes: every change the editor makes is a step of it (document/History.h).
    History& history() { return *history_; }
    const History& history() const { return *history_; }

    const M32Header& header() const { return header_; }
    // current_file: the document's path, empty while it is untitled.
    const QString& currentFile() const { return currentFile_; }

    // Whether the document has changes since it was last opened, renewed (New) or saved: its
    // pixels, its levels or its working texts. A change made as a step of the history counts as
    // long as the history is away from its clean state, so undoing back to the saved state clears
    // it; a change made outside the history sets it until the next open, New or save. Open, New
    // and a save that wrote the file clear it. modifiedChanged announces every flip. Commands
    // that would replace the document ask about saving it first while it is set.
    bool isModified() const;
    void setModified(bool modified);

    // The working copy of the names and numbers (the properties window's fields). Writing a
    // text through setTexts announces textsChanged; the properties window writes each field as
    // the user types it.
    const HeaderTexts& texts() const { return texts_; }
    void setTexts(const HeaderTexts& texts);

    // Levels are numbered 1..levelCount(); entry k - 1 of the list stands for level k.
    int levelCount() const { return int(entries_.size()); }
    const QStringList& levelEntries() const { return entries_; }
    // The table's width and height of slot 1..16 (std::out_of_range outside).
    QSize levelSize(int slot) const;

    // Level image (Format_RGB32, the colour over the background grey) and alpha plane
    // (Format_Grayscale8, the alpha itself) of slot 1..16, each of the level's own size; a slot
    // without a level has null images. Read-only: pixels change only through editPixels and
    // setLevelPixels, so every change is announced. std::out_of_range outside 1..16.
    const QImage& levelImage(int slot) const;
    const QImage& alphaPlane(int slot) const;
    // The four bytes a save writes for pixel `at` of level 1..levelCount(): the stored red,
    // green, blue and alpha, as qRgba(r, g, b, a). Nothing outside the level.
    std::optional<QRgb> storedPixel(int level, QPoint at) const;
    // The editor's start: the table gives level 1 a size of 128 x 128 while no level is present,
    // so the empty view has that size and a save writes it. Changes nothing else.
    void setStartLevelSize(QSize size);
    // Whether the slot's image or plane exists yet (std::out_of_range outside 1..16).
    bool hasLevelImage(int slot) const;
    bool hasAlphaPlane(int slot) const;

    // Changes pixels of level 1..levelCount() in place: `edit` receives the level image and the
    // alpha plane and may change them only inside `changed`; pixelsChanged(level, changed ∩ the
    // level) is announced afterwards. std::out_of_range for a level that is not present.
    using PixelEdit = std::function<void(QImage& colour, QImage& alpha)>;
    void editPixels(int level, const QRect& changed, const PixelEdit& edit);
    // Replaces a present level's colour and alpha whole; both must be of the level's size (or
    // alpha null to keep the plane). Announces pixelsChanged with the whole level.
    void setLevelPixels(int level, const QImage& colour, const QImage& alpha = QImage());

    // current_view: the slot shown and painted (std::out_of_range outside 1..16).
    int currentLevel() const { return currentLevel_; }
    void setCurrentLevel(int slot);

    // New: untitled, version 4, default names, numbers and texts, no levels, the current level
    // image white. The reserved bytes and the sizes held for absent levels stay.
    void newDocument();
    // New as at program start: the sizes held for absent levels and the reserved bytes are
    // cleared too, so that what is written next depends on nothing done before. Batch conversion
    // starts every file this way, so an output is the same whichever files came before it.
    void newBlankDocument();

    // Opens an m32 file: the whole file is checked first, and only a file that reads completely
    // changes the document (header, texts, levels 1..N, current_file, current level 1). A file
    // that fails raises the runtime's message (Error) and leaves everything as it was.
    void open(const QString& path);
    // The same from a device already open for reading; `path` becomes current_file.
    void open(QIODevice& device, const QString& path);

    // Save and Save as: version 4 and the working texts go into the header, the header and
    // levels 1..N are written, the offsets laid out from the level sizes, and current_file
    // becomes `path`. The file is replaced only once every byte is written; a failure (Error)
    // leaves it and current_file as they were.
    void save(const QString& path);
    // The file's bytes as save writes them (after the same header update).
    QByteArray saveToBytes();

    // Appends level levelCount() + 1 of width x height (0..1024 each) with its list entry; its
    // image becomes white and its alpha plane `alpha` over the level. Returns the new level's
    // number. Raises Error when sixteen levels are present or a side is out of range.
    int appendLevel(int width, int height, const QString& entry, int alpha = 255);
    // Removes level 1..levelCount(): the levels after it move down one slot with their sizes,
    // images, alpha planes and entries, and the current level becomes 1.
    void removeLevel(int level);

signals:
    // Levels were added, removed or reset (open, New, append, remove): the list, the table and
    // the level images may all differ.
    void levelsChanged();
    // The pixels of `level` changed inside `rect` (level coordinates).
    void pixelsChanged(int level, const QRect& rect);
    // The current level became `level`.
    void currentLevelChanged(int level);
    // current_file or the header's version changed (open, save, New): the title follows.
    void fileChanged();
    // The working texts were replaced (open, New, setTexts).
    void textsChanged();
    // isModified() became `modified`.
    void modifiedChanged(bool modified);

private:
    friend class History;

    struct Slot {
        mutable QImage image;
        mutable QImage alpha;
    };
    // What a step of the history keeps of the document besides a stroke's rectangle.
    struct State {
        M32Header header;
        QString file;
        HeaderTexts texts;
        QStringList entries;
        std::array<Slot, kMaxLevels> levels;
        int currentLevel;
    };
    State state() const;
    // Puts `state` in place, announcing what differs; with `withFile` the file's name and the
    // header's version too (they are a step's own only when it renewed the document).
    void restore(const State& state, bool withFile);
    // Open and New: the history is cleared and the document has no changes.
    void forgetChanges();
    // A change happened: outside the history it sets the modified state.
    void noteChange();
    // Announces modifiedChanged when isModified() differs from what was last announced.
    void announceModified();

    // The one place that lays out the offsets: levels 1..N right after each other from byte
    // 968, every later offset 0.
    void layOutLevelTable();
    // New, keeping or clearing the absent levels' sizes and the reserved bytes.
    void renew(bool keepCarriedBytes);
    void checkSlot(int slot) const;
    void checkLevel(int level) const;
    void writeLevels(QIODevice& out) const;
    // The steps of open after the file is read and checked: images for levels of `sizes`, then
    // the document takes the header, the levels and the file's name, and announces them.
    std::array<Slot, kMaxLevels> freshSlotsFor(const std::vector<QSize>& sizes) const;
    void takeOpened(const M32Header& read, const std::vector<QSize>& sizes, std::array<Slot, kMaxLevels>&& next,
                    const QString& path);

    M32Header header_;
    QString currentFile_;
    HeaderTexts texts_;
    QStringList entries_;
    std::array<Slot, kMaxLevels> slots_;
    int currentLevel_ = 1;
    // Changed outside the history since the last open, New or save.
    bool modified_ = false;
    bool announcedModified_ = false;
    // Steps of the history changing the document just now (History::Recording).
    int recording_ = 0;
    std::unique_ptr<History> history_;
};

} // namespace quorvel
