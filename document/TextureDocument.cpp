#include "document/TextureDocument.h"

#include "document/History.h"
#include "document/M32File.h"
#include "document/StoredRows.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/SaveFile.h"
#include "graphics/PictureMemory.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace quorvel {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;

// A level image of the level's own size, white, and its alpha plane holding `alpha`.
QImage whiteLevelImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

QImage filledAlphaPlane(int width, int height, int alpha)
{
    QImage plane(width, height, QImage::Format_Grayscale8);
    plane.fill(uint(std::clamp(alpha, 0, 255)));
    return plane;
}

// A present level found in a file, before it is taken into the document.
struct FoundLevel {
    int width;
    int height;
    qint64 offset;
    qint64 size() const { return qint64(width) * height * 4; }
};

// Reads exactly `count` bytes at `offset` or raises the runtime's message.
void readAt(QIODevice& device, qint64 offset, char* into, qint64 count, const QString& path)
{
    errno = 0;
    if (!device.seek(offset)) throw Error(kReadBeyondEndOfFile);
    qint64 done = 0;
    while (done < count) {
        const qint64 got = device.read(into + done, count - done);
        if (got < 0 && errno != 0) throw Error(fileErrorMessage(errno, path));
        if (got <= 0) throw Error(kReadBeyondEndOfFile);
        done += got;
    }
}

// Every present level of the table, in table order, wherever its data lies; each checked
// against the side limit and the file's size.
std::vector<FoundLevel> presentLevels(const M32Header& read, qint64 fileSize)
{
    std::vector<FoundLevel> levels;
    for (int k = 0; k < kMaxLevels; ++k) {
        if (read.offsets[k] == 0) continue;
        const FoundLevel level{read.widths[k], read.heights[k], read.offsets[k]};
        if (level.width < 0 || level.height < 0 || level.width > kMaxLevelSide || level.height > kMaxLevelSide)
            throw Error(QStringLiteral("Level %1 is %2 x %3 pixels; a level has 0 to %4 pixels on a side")
                            .arg(k + 1)
                            .arg(level.width)
                            .arg(level.height)
                            .arg(kMaxLevelSide));
        if (level.offset < 0 || level.offset + level.size() > fileSize) throw Error(kReadBeyondEndOfFile);
        levels.push_back(level);
    }
    return levels;
}

// A file that fails the open check is plainly no texture (a text, a picture) when its first
// four bytes are no version a texture holds: every write stores 4, and older or odd files hold
// small numbers, where text and picture signatures give large ones. Such a file is named as
// what it is, not by the sizes its bytes would make.
constexpr std::int32_t kLargestVersion = 255;

[[noreturn]] void refuseOpen(const Error& failure, const char* firstBytes, qint64 count, const QString& path)
{
    if (count >= qint64(sizeof(std::int32_t))) {
        std::int32_t version = 0;
        std::memcpy(&version, firstBytes, sizeof version);
        version = qFromLittleEndian(version);
        if (version < 0 || version > kLargestVersion)
            throw Error(QStringLiteral("%1 is not an m32 texture").arg(shownPath(path)));
    }
    throw failure;
}

// One buffer for the rows an open or a save moves at a time, uninitialised, grown as needed.
class RowBuffer {
public:
    unsigned char* atLeast(qint64 bytes)
    {
        if (bytes > capacity_) {
            bytes_ = std::make_unique_for_overwrite<unsigned char[]>(std::size_t(bytes));
            capacity_ = bytes;
        }
        return bytes_.get();
    }

private:
    std::unique_ptr<unsigned char[]> bytes_;
    qint64 capacity_ = 0;
};

// About this many bytes of rows at a time: they stay in the processor's cache between the file
// and the conversion.
constexpr qint64 kRowChunk = 128 * 1024;

int rowsAtOnce(qint64 rowBytes, int height)
{
    return int(std::clamp<qint64>(kRowChunk / rowBytes, 1, height));
}

// Reads a level into its fresh images a few rows at a time, so that the file's pixels are never
// held whole beside the images made of them.
void readLevelThroughWindow(QIODevice& device, const QString& path, const FoundLevel& level, QImage& image,
                            QImage& alpha, RowBuffer& window)
{
    const qint64 rowBytes = qint64(level.width) * 4;
    const int atOnce = rowsAtOnce(rowBytes, level.height);
    unsigned char* const rows = window.atLeast(rowBytes * atOnce);
    // The images' rows by address, not by a call a row.
    uchar* colourRow = image.bits();
    uchar* alphaRow = alpha.bits();
    const qsizetype colourStride = image.bytesPerLine(), alphaStride = alpha.bytesPerLine();
    for (int y = 0; y < level.height; y += atOnce) {
        const int count = std::min(atOnce, level.height - y);
        readAt(device, level.offset + y * rowBytes, reinterpret_cast<char*>(rows), count * rowBytes, path);
        const unsigned char* from = rows;
        for (int i = 0; i < count; ++i, from += rowBytes, colourRow += colourStride, alphaRow += alphaStride)
            showStoredRow(from, level.width, reinterpret_cast<QRgb*>(colourRow), alphaRow);
    }
}

} // namespace

TextureDocument::TextureDocument(QObject* parent)
    : QObject(parent), header_(newM32Header()), history_(std::make_unique<History>(*this))
{
    connect(&history_->stack(), &QUndoStack::cleanChanged, this, [this] {
        if (!history_->rebuilding()) announceModified();
    });
}

TextureDocument::~TextureDocument() = default;

QSize TextureDocument::levelSize(int slot) const
{
    checkSlot(slot);
    return QSize(header_.widths[slot - 1], header_.heights[slot - 1]);
}

std::optional<QRgb> TextureDocument::storedPixel(int level, QPoint at) const
{
    if (level < 1 || level > levelCount()) return std::nullopt;
    const QImage& image = levelImage(level);
    const QImage& alpha = alphaPlane(level);
    if (!image.rect().contains(at) || !alpha.rect().contains(at)) return std::nullopt;
    unsigned char bytes[4];
    storeShownRow(reinterpret_cast<const QRgb*>(image.constScanLine(at.y())) + at.x(), alpha.constScanLine(at.y()) + at.x(), 1,
                  bytes);
    return qRgba(bytes[0], bytes[1], bytes[2], bytes[3]);
}

void TextureDocument::setStartLevelSize(QSize size)
{
    if (levelCount() != 0) return;
    header_.widths[0] = size.width();
    header_.heights[0] = size.height();
}

void TextureDocument::checkSlot(int slot) const
{
    if (slot < 1 || slot > kMaxLevels) throw std::out_of_range("level slot out of range");
}

void TextureDocument::checkLevel(int level) const
{
    if (level < 1 || level > levelCount()) throw std::out_of_range("no such level");
}

const QImage& TextureDocument::levelImage(int slot) const
{
    checkSlot(slot);
    return slots_[slot - 1].image;
}

const QImage& TextureDocument::alphaPlane(int slot) const
{
    checkSlot(slot);
    return slots_[slot - 1].alpha;
}

bool TextureDocument::hasLevelImage(int slot) const
{
    return !levelImage(slot).isNull();
}

bool TextureDocument::hasAlphaPlane(int slot) const
{
    return !alphaPlane(slot).isNull();
}

bool TextureDocument::isModified() const
{
    return modified_ || !history_->stack().isClean();
}

void TextureDocument::setModified(bool modified)
{
    modified_ = modified;
    // Saved: the history's present step is the saved state.
    if (!modified) history_->stack().setClean();
    announceModified();
}

void TextureDocument::forgetChanges()
{
    // A New made by a step of the history (an import into a fresh texture) is that step's.
    if (recording_ > 0) return;
    history_->clear();
    setModified(false);
}

void TextureDocument::noteChange()
{
    if (recording_ > 0) return;
    modified_ = true;
    announceModified();
}

void TextureDocument::announceModified()
{
    const bool now = isModified();
    if (now == announcedModified_) return;
    announcedModified_ = now;
    emit modifiedChanged(now);
}

TextureDocument::State TextureDocument::state() const
{
    return State{header_, currentFile_, texts_, entries_, slots_, currentLevel_};
}

void TextureDocument::restore(const State& state, bool withFile)
{
    const bool levels = entries_ != state.entries ||
                        std::memcmp(header_.widths, state.header.widths, sizeof header_.widths) != 0 ||
                        std::memcmp(header_.heights, state.header.heights, sizeof header_.heights) != 0;
    const bool texts = !(texts_ == state.texts);
    std::vector<int> repainted;
    for (int k = 0; k < kMaxLevels; ++k)
        if (slots_[k].image.cacheKey() != state.levels[k].image.cacheKey() ||
            slots_[k].alpha.cacheKey() != state.levels[k].alpha.cacheKey())
            repainted.push_back(k + 1);
    const bool shown = levels || currentLevel_ != state.currentLevel;

    const std::int32_t version = header_.version;
    header_ = state.header;
    if (withFile) {
        currentFile_ = state.file;
    } else {
        header_.version = version;
    }
    texts_ = state.texts;
    entries_ = state.entries;
    slots_ = state.levels;
    currentLevel_ = state.currentLevel;
    layOutLevelTable();

    if (levels) emit levelsChanged();
    if (texts) emit textsChanged();
    if (withFile) emit fileChanged();
    if (shown) emit currentLevelChanged(currentLevel_);
    // Levels of the same sizes with other pixels (replace, rebuild) are repainted where shown.
    if (!levels)
        for (int level : repainted)
            if (level <= levelCount()) emit pixelsChanged(level, QRect(QPoint(0, 0), levelSize(level)));
}

void TextureDocument::setTexts(const HeaderTexts& texts)
{
    // Writing the texts the document already holds is no change.
    if (!(texts == texts_)) {
        texts_ = texts;
        noteChange();
    }
    emit textsChanged();
}

void TextureDocument::editPixels(int level, const QRect& changed, const PixelEdit& edit)
{
    checkLevel(level);
    Slot& slot = slots_[level - 1];
    edit(slot.image, slot.alpha);
    const QRect announced = changed & QRect(QPoint(0, 0), levelSize(level));
    if (!announced.isEmpty()) {
        noteChange();
        emit pixelsChanged(level, announced);
    }
}

void TextureDocument::setLevelPixels(int level, const QImage& colour, const QImage& alpha)
{
    checkLevel(level);
    const QSize size = levelSize(level);
    if (colour.size() != size || (!alpha.isNull() && alpha.size() != size))
        throw std::invalid_argument("level pixels of another size");
    Slot& slot = slots_[level - 1];
    slot.image = colour.convertToFormat(QImage::Format_RGB32);
    if (!alpha.isNull()) slot.alpha = alpha.convertToFormat(QImage::Format_Grayscale8);
    if (!size.isEmpty()) {
        noteChange();
        emit pixelsChanged(level, QRect(QPoint(0, 0), size));
    }
}

void TextureDocument::setCurrentLevel(int slot)
{
    checkSlot(slot);
    currentLevel_ = slot;
    emit currentLevelChanged(slot);
}

void TextureDocument::layOutLevelTable()
{
    qint64 at = kM32HeaderSize;
    for (int k = 0; k < kMaxLevels; ++k) {
        if (k < levelCount()) {
            header_.offsets[k] = std::int32_t(at);
            at += qint64(header_.widths[k]) * header_.heights[k] * 4;
        } else {
            header_.offsets[k] = 0;
        }
    }
}

void TextureDocument::newDocument()
{
    renew(true);
}

void TextureDocument::newBlankDocument()
{
    renew(false);
}

void TextureDocument::renew(bool keepCarriedBytes)
{
    M32Header fresh = newM32Header();
    if (keepCarriedBytes) {
        // The sizes of absent levels and the reserved bytes are not New's to reset.
        std::memcpy(fresh.widths, header_.widths, sizeof fresh.widths);
        std::memcpy(fresh.heights, header_.heights, sizeof fresh.heights);
        std::memcpy(fresh.reserved, header_.reserved, sizeof fresh.reserved);
    }
    header_ = fresh;
    currentFile_.clear();
    texts_ = HeaderTexts();
    entries_.clear();
    layOutLevelTable();
    // No slot holds a level any more, so none keeps pixels.
    for (Slot& slot : slots_) slot = Slot();
    forgetChanges();
    emit levelsChanged();
    emit textsChanged();
    emit fileChanged();
}

void TextureDocument::open(const QString& path)
{
    QFile file;
    openM32File(file, path);
    open(file, path);
}

void TextureDocument::open(QIODevice& device, const QString& path)
{
    // Everything is read and checked before the document changes.
    const qint64 fileSize = device.size();
    char headerBytes[kM32HeaderSize] = {};
    if (fileSize < kM32HeaderSize) {
        const qint64 count = std::min<qint64>(fileSize, 4);
        if (count > 0) readAt(device, 0, headerBytes, count, path);
        refuseOpen(Error(kReadBeyondEndOfFile), headerBytes, count, path);
    }
    readAt(device, 0, headerBytes, kM32HeaderSize, path);
    const M32Header read = decodeM32Header(headerBytes);
    std::vector<FoundLevel> levels;
    try {
        levels = presentLevels(read, fileSize);
    } catch (const Error& failure) {
        refuseOpen(failure, headerBytes, kM32HeaderSize, path);
    }
    std::vector<QSize> sizes;
    for (const FoundLevel& level : levels) sizes.emplace_back(level.width, level.height);
    // Fresh images: nothing of the document changes before they are whole, so each level is read
    // straight into its own. The memory the document frees with its old images stays in the
    // process for the next open.
    std::array<Slot, kMaxLevels> next = freshSlotsFor(sizes);
    RowBuffer window;
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (!sizes[i].isEmpty()) readLevelThroughWindow(device, path, levels[i], next[i].image, next[i].alpha, window);
    takeOpened(read, sizes, std::move(next), path);
}

std::array<TextureDocument::Slot, kMaxLevels> TextureDocument::freshSlotsFor(const std::vector<QSize>& sizes) const
{
    std::array<Slot, kMaxLevels> next;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const QSize size = sizes[i];
        if (size.isEmpty()) continue;
        next[i].image = QImage(size, QImage::Format_RGB32);
        next[i].alpha = QImage(size, QImage::Format_Grayscale8);
        if (next[i].image.isNull() || next[i].alpha.isNull()) notEnoughMemoryForLevel(size.width(), size.height());
    }
    return next;
}

void TextureDocument::takeOpened(const M32Header& read, const std::vector<QSize>& sizes,
                                 std::array<Slot, kMaxLevels>&& next, const QString& path)
{
    header_ = read;
    entries_.clear();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        header_.widths[i] = sizes[i].width();
        header_.heights[i] = sizes[i].height();
        entries_.append(QStringLiteral("%1 * %2").arg(sizes[i].width()).arg(sizes[i].height()));
    }
    layOutLevelTable();
    texts_ = HeaderTexts::fromHeader(header_);
    currentFile_ = path;
    slots_ = std::move(next);
    if (!sizes.empty()) currentLevel_ = 1;
    forgetChanges();

    emit levelsChanged();
    emit textsChanged();
    emit fileChanged();
    if (!sizes.empty()) emit currentLevelChanged(1);
}

void TextureDocument::writeLevels(QIODevice& out) const
{
    RowBuffer buffer;
    for (int k = 0; k < levelCount(); ++k) {
        const int w = header_.widths[k], h = header_.heights[k];
        if (w == 0 || h == 0) continue;
        const QImage& image = levelImage(k + 1);
        const QImage& plane = alphaPlane(k + 1);
        const qint64 rowBytes = qint64(w) * 4;
        const int atOnce = rowsAtOnce(rowBytes, h);
        unsigned char* rows = buffer.atLeast(rowBytes * atOnce);
        for (int y = 0; y < h;) {
            const int count = std::min(atOnce, h - y);
            unsigned char* to = rows;
            for (int i = 0; i < count; ++i, ++y, to += rowBytes)
                storeShownRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)), plane.constScanLine(y), w, to);
            errno = 0;
            if (out.write(reinterpret_cast<const char*>(rows), rowBytes * count) != rowBytes * count)
                throw WriteFailure{errno};
        }
    }
}

void TextureDocument::save(const QString& path)
{
    header_.version = kNewVersion;
    texts_.applyTo(header_);
    layOutLevelTable();

    char headerBytes[kM32HeaderSize];
    encodeM32Header(header_, headerBytes);
    saveWhole(path, SaveMessages::Runtime, [&](QIODevice& file) {
        writeAll(file, headerBytes, kM32HeaderSize);
        writeLevels(file);
    });
    // Named after the file only once it is written: a failed Save as does not rename the
    // document to a file that does not hold it.
    currentFile_ = path;
    setModified(false);
    emit fileChanged();
}

QByteArray TextureDocument::saveToBytes()
{
    const bool versionChanges = header_.version != kNewVersion;
    header_.version = kNewVersion;
    texts_.applyTo(header_);
    layOutLevelTable();
    QByteArray bytes(kM32HeaderSize, '\0');
    encodeM32Header(header_, bytes.data());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::Append);
    writeLevels(buffer);
    if (versionChanges) emit fileChanged();
    return bytes;
}

int TextureDocument::appendLevel(int width, int height, const QString& entry, int alpha)
{
    if (levelCount() >= kMaxLevels) throw Error("A texture holds at most 16 levels");
    if (width < 0 || height < 0 || width > kMaxLevelSide || height > kMaxLevelSide)
        throw Error(QStringLiteral("A level has 0 to %1 pixels on a side, not %2 x %3")
                        .arg(kMaxLevelSide)
                        .arg(width)
                        .arg(height));
    Slot made{whiteLevelImage(width, height), filledAlphaPlane(width, height, alpha)};
    if (width > 0 && height > 0 && (made.image.isNull() || made.alpha.isNull()))
        notEnoughMemoryForLevel(width, height);
    const int level = levelCount() + 1;
    header_.widths[level - 1] = width;
    header_.heights[level - 1] = height;
    entries_.append(entry);
    layOutLevelTable();
    slots_[level - 1] = std::move(made);
    noteChange();
    emit levelsChanged();
    return level;
}

void TextureDocument::removeLevel(int level)
{
    checkLevel(level);
    for (int k = level; k < kMaxLevels; ++k) {
        header_.widths[k - 1] = header_.widths[k];
        header_.heights[k - 1] = header_.heights[k];
    }
    std::rotate(slots_.begin() + (level - 1), slots_.begin() + level, slots_.end());
    // The removed level's pixels went to the last slot, which holds no level.
    slots_.back() = Slot();
    entries_.removeAt(level - 1);
    layOutLevelTable();
    currentLevel_ = 1;
    noteChange();
    emit levelsChanged();
    emit currentLevelChanged(1);
}

} // namespace quorvel
