#include "document/TextureDocument.h"

#include "document/M32File.h"
#include "base/Error.h"
#include "base/SaveFile.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace quorvel {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;

QImage newLevelImage()
{
    QImage image(kMaxLevelSide, kMaxLevelSide, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

QImage newAlphaPlane()
{
    QImage plane(kMaxLevelSide, kMaxLevelSide, QImage::Format_Grayscale8);
    plane.fill(0);
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

} // namespace

TextureDocument::TextureDocument() : header_(newM32Header()) {}

QSize TextureDocument::levelSize(int level) const
{
    checkSlot(level);
    return QSize(header_.widths[level - 1], header_.heights[level - 1]);
}

void TextureDocument::checkSlot(int slot) const
{
    if (slot < 1 || slot > kMaxLevels) throw std::out_of_range("level slot out of range");
}

const QImage& TextureDocument::levelImage(int slot) const
{
    checkSlot(slot);
    const Slot& s = slots_[slot - 1];
    if (s.image.isNull()) {
        s.image = newLevelImage();
        s.dirty = QRect();
    }
    return s.image;
}

QImage& TextureDocument::levelImage(int slot)
{
    std::as_const(*this).levelImage(slot);
    // Whoever takes the image to change it may draw anywhere on it.
    Slot& s = slots_[slot - 1];
    s.dirty = s.image.rect();
    return s.image;
}

const QImage& TextureDocument::alphaPlane(int slot) const
{
    checkSlot(slot);
    const Slot& s = slots_[slot - 1];
    if (s.alpha.isNull()) s.alpha = newAlphaPlane();
    return s.alpha;
}

QImage& TextureDocument::alphaPlane(int slot)
{
    std::as_const(*this).alphaPlane(slot);
    return slots_[slot - 1].alpha;
}

void TextureDocument::setCurrentLevel(int slot)
{
    checkSlot(slot);
    currentLevel_ = slot;
}

void TextureDocument::whiten(Slot& slot, const QRect& keep)
{
    if (slot.image.isNull()) {
        slot.image = newLevelImage();
    } else {
        // Only rows and columns that may hold colour are cleared: a level image is cleared at
        // every open and append, and most of its 4 MB is usually white already.
        const QRect dirty = slot.dirty & slot.image.rect();
        for (int y = dirty.top(); y <= dirty.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(slot.image.scanLine(y));
            if (y >= keep.top() && y <= keep.bottom() && !keep.isEmpty()) {
                const int keepFrom = std::clamp(keep.left(), dirty.left(), dirty.right() + 1);
                const int keepTo = std::clamp(keep.right() + 1, dirty.left(), dirty.right() + 1);
                std::fill(row + dirty.left(), row + keepFrom, kWhite);
                std::fill(row + keepTo, row + dirty.right() + 1, kWhite);
            } else {
                std::fill(row + dirty.left(), row + dirty.right() + 1, kWhite);
            }
        }
    }
    slot.dirty = keep;
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
    M32Header fresh = newM32Header();
    // The sizes of absent levels and the reserved bytes are not the document's to reset.
    std::memcpy(fresh.widths, header_.widths, sizeof fresh.widths);
    std::memcpy(fresh.heights, header_.heights, sizeof fresh.heights);
    std::memcpy(fresh.reserved, header_.reserved, sizeof fresh.reserved);
    header_ = fresh;
    currentFile_.clear();
    texts_ = HeaderTexts();
    entries_.clear();
    layOutLevelTable();
    Slot& current = slots_[currentLevel_ - 1];
    if (!current.image.isNull()) whiten(current);
}

void TextureDocument::open(const QString& path)
{
    QFile file;
    openForReading(file, path);
    open(file, path);
}

void TextureDocument::open(QIODevice& device, const QString& path)
{
    // Everything is read and checked before the document changes.
    const qint64 fileSize = device.size();
    if (fileSize < kM32HeaderSize) throw Error(kReadBeyondEndOfFile);
    char headerBytes[kM32HeaderSize];
    readAt(device, 0, headerBytes, kM32HeaderSize, path);
    const M32Header read = decodeM32Header(headerBytes);

    // Every present level is taken, in table order, wherever its data lies.
    std::vector<FoundLevel> levels;
    qint64 total = 0;
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
        total += level.size();
    }
    const auto pixels = std::make_unique_for_overwrite<unsigned char[]>(static_cast<std::size_t>(total));
    qint64 at = 0;
    for (const FoundLevel& level : levels) {
        readAt(device, level.offset, reinterpret_cast<char*>(pixels.get()) + at, level.size(), path);
        at += level.size();
    }

    header_ = read;
    entries_.clear();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        header_.widths[i] = levels[i].width;
        header_.heights[i] = levels[i].height;
        entries_.append(QStringLiteral("%1 * %2").arg(levels[i].width).arg(levels[i].height));
    }
    layOutLevelTable();
    texts_ = HeaderTexts::fromHeader(header_);
    currentFile_ = path;

    const Composition& c = composition();
    const unsigned char* source = pixels.get();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int w = levels[i].width, h = levels[i].height;
        Slot& slot = slots_[i];
        whiten(slot, QRect(0, 0, w, h));
        alphaPlane(int(i) + 1);
        uchar* imageBits = slot.image.bits();
        uchar* alphaBits = slot.alpha.bits();
        const qsizetype imageStride = slot.image.bytesPerLine(), alphaStride = slot.alpha.bytesPerLine();
        for (int y = 0; y < h; ++y) {
            auto* colour = reinterpret_cast<QRgb*>(imageBits + y * imageStride);
            uchar* alpha = alphaBits + y * alphaStride;
            for (int x = 0; x < w; ++x, source += 4) {
                const std::uint8_t* shown = c.shown[source[3]];
                colour[x] = 0xFF000000u | QRgb(shown[source[0]]) << 16 | QRgb(shown[source[1]]) << 8 |
                            QRgb(shown[source[2]]);
                alpha[x] = source[3];
            }
        }
    }
    if (!levels.empty()) currentLevel_ = 1;
}

void TextureDocument::writeLevels(QIODevice& out) const
{
    const Composition& c = composition();
    std::vector<unsigned char> buffer;
    for (int k = 0; k < levelCount(); ++k) {
        const int w = header_.widths[k], h = header_.heights[k];
        const QImage& image = levelImage(k + 1);
        const QImage& plane = alphaPlane(k + 1);
        buffer.resize(std::size_t(w) * std::size_t(h) * 4);
        unsigned char* to = buffer.data();
        for (int y = 0; y < h; ++y) {
            const auto* colour = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const uchar* alpha = plane.constScanLine(y);
            for (int x = 0; x < w; ++x, to += 4) {
                const std::uint8_t* stored = c.stored[alpha[x]];
                to[0] = stored[qRed(colour[x])];
                to[1] = stored[qGreen(colour[x])];
                to[2] = stored[qBlue(colour[x])];
                to[3] = alpha[x];
            }
        }
        errno = 0;
        if (!buffer.empty() &&
            out.write(reinterpret_cast<const char*>(buffer.data()), qint64(buffer.size())) != qint64(buffer.size()))
            throw WriteFailure{errno};
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
}

QByteArray TextureDocument::saveToBytes()
{
    header_.version = kNewVersion;
    texts_.applyTo(header_);
    layOutLevelTable();
    QByteArray bytes(kM32HeaderSize, '\0');
    encodeM32Header(header_, bytes.data());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::Append);
    writeLevels(buffer);
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
    const int level = levelCount() + 1;
    header_.widths[level - 1] = width;
    header_.heights[level - 1] = height;
    entries_.append(entry);
    layOutLevelTable();

    Slot& slot = slots_[level - 1];
    whiten(slot);
    QImage& plane = alphaPlane(level);
    for (int y = 0; y < height; ++y) std::memset(plane.scanLine(y), std::clamp(alpha, 0, 255), std::size_t(width));
    return level;
}

void TextureDocument::removeLevel(int level)
{
    if (level < 1 || level > levelCount()) throw std::out_of_range("no such level");
    for (int k = level; k < kMaxLevels; ++k) {
        header_.widths[k - 1] = header_.widths[k];
        header_.heights[k - 1] = header_.heights[k];
    }
    // The removed slot's images go to the end, beyond the levels, to be reused.
    std::rotate(slots_.begin() + (level - 1), slots_.begin() + level, slots_.end());
    entries_.removeAt(level - 1);
    layOutLevelTable();
    currentLevel_ = 1;
}

} // namespace quorvel
