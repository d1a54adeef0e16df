#include "codecs/UniBmp.h"

#include "codecs/LZRW1KH.h"
#include "graphics/BmpReader.h"
#include "graphics/BmpWriter.h"
#include "base/Error.h"
#include "base/LittleEndian.h"
#include "base/SaveFile.h"
#include "base/Limits.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <climits>
#include <cstring>

namespace quorvel {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kDibHeadersSize = kFileHeaderSize + 44; // 58: what stays readable
constexpr qsizetype kPlainHeadersSize = kFileHeaderSize + 40; // 54: where the DIB form's blocks start
constexpr qsizetype kBlzHeaderSize = 8;
// No bitmap file the reader accepts is larger: the largest picture at 32 bits, plus headers and
// palettes with room to spare.
constexpr std::int64_t kMaxExpandedSize = kMaxPicturePixels * 4 + (std::int64_t(1) << 20);

const std::uint8_t* data(const QByteArray& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}

[[noreturn]] void fail(const char* message)
{
    throw ELzrw1KHCompressor(message);
}

// Appends the blocks of `data`, 32768 bytes at a time; a stream always ends with a block that
// expands to fewer than 32768 bytes, so data of an exact multiple gets a lone stored flag last.
// The compressor's buffers are this call's own, so streams may be written on several threads.
void appendBlocks(QByteArray& out, const char* source, qsizetype size)
{
    std::uint8_t block[kLzrwMaxCompressedBlock];
    LzrwHashTable table;
    qsizetype at = 0;
    std::size_t piece;
    do {
        piece = std::size_t(std::min<qsizetype>(qsizetype(kLzrwMaxBlock), size - at));
        const std::size_t length =
            lzrwCompress(reinterpret_cast<const std::uint8_t*>(source) + at, piece, block, table);
        out.append(char(length & 0xFF));
        out.append(char(length >> 8));
        out.append(reinterpret_cast<const char*>(block), qsizetype(length));
        at += qsizetype(piece);
    } while (piece == kLzrwMaxBlock);
}

// Expands the blocks that start at `at` onto `out`, which must end up `expected` bytes longer.
void expandBlocks(const QByteArray& bytes, qsizetype at, std::int64_t expected, QByteArray& out)
{
    if (expected < 0 || expected > kMaxExpandedSize) fail("LZRW1KH : stored length does not match the data");
    const qsizetype start = out.size();
    const std::int64_t limit = start + expected;
    out.reserve(qsizetype(std::min<std::int64_t>(limit, start + (bytes.size() - at) * 16)));
    for (;;) {
        if (bytes.size() - at < 2) fail("LZRW1KH : compressed stream ends before its last block");
        const qsizetype length = u16At(bytes, at);
        at += 2;
        if (length > qsizetype(kLzrwMaxCompressedBlock)) fail("LZRW1KH : compressed block longer than 32769 bytes");
        if (bytes.size() - at < length) fail("LZRW1KH : compressed stream ends before its last block");
        const qsizetype before = out.size();
        out.resize(before + qsizetype(kLzrwMaxBlock));
        const std::size_t produced = lzrwDecompress(data(bytes) + at, std::size_t(length),
                                                    reinterpret_cast<std::uint8_t*>(out.data()) + before,
                                                    kLzrwMaxBlock);
        out.resize(before + qsizetype(produced));
        at += length;
        // A stream that expands past its stored length is refused before it can take more memory.
        if (out.size() > limit) fail("LZRW1KH : stored length does not match the data");
        if (produced < kLzrwMaxBlock) break;
    }
    if (out.size() != limit) fail("LZRW1KH : stored length does not match the data");
}

void saveFile(const QString& path, const QByteArray& bytes)
{
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) { writeAll(file, bytes); });
}

} // namespace

QByteArray TUniBitmap::expandBlz(const QByteArray& bytes)
{
    if (!isMagic(bytes, 0)) fail("LZRW1KH : not a BLZ stream");
    if (bytes.size() < kBlzHeaderSize) fail("LZRW1KH : compressed stream ends before its last block");
    QByteArray file;
    expandBlocks(bytes, kBlzHeaderSize, u32At(bytes, 4), file);
    return file;
}

QByteArray TUniBitmap::expandDib(const QByteArray& bytes)
{
    if (!isMagic(bytes, 30)) fail("LZRW1KH : not a compressed DIB stream");
    if (bytes.size() < kDibHeadersSize) fail("LZRW1KH : compressed stream ends before its last block");
    const std::int64_t fileLength = std::int32_t(u32At(bytes, 6));
    if (fileLength < kPlainHeadersSize) fail("LZRW1KH : stored length does not match the data");

    // The plain headers again: reserved words 0, the compression field back in its place.
    QByteArray file;
    file.append(bytes.constData(), 6);
    file.append(4, '\0');
    file.append(bytes.constData() + 10, 20); // offset, header size, width, height, planes, depth
    file.append(bytes.constData() + 54, 4);  // compression
    file.append(bytes.constData() + 34, 20); // image size, resolutions, colours
    expandBlocks(bytes, kDibHeadersSize, fileLength - kPlainHeadersSize, file);
    return file;
}

QByteArray TUniBitmap::compressBlz(const QByteArray& bitmapFile)
{
    QByteArray out("LZRW", 4);
    out.append(4, '\0');
    put32(out.data() + 4, std::uint32_t(bitmapFile.size()));
    appendBlocks(out, bitmapFile.constData(), bitmapFile.size());
    return out;
}

QByteArray TUniBitmap::compressDib(const QByteArray& bitmapFile)
{
    if (bitmapFile.size() < kPlainHeadersSize) throw Error("Bitmap image is not valid");
    QByteArray out = bitmapFile.left(30);
    put32(out.data() + 6, std::uint32_t(bitmapFile.size()));
    out.append("LZRW", 4);
    out.append(bitmapFile.constData() + 34, 20);
    out.append(bitmapFile.constData() + 30, 4);
    appendBlocks(out, bitmapFile.constData() + kPlainHeadersSize, bitmapFile.size() - kPlainHeadersSize);
    return out;
}

// The width and height the bitmap inside a compressed form declares (0 x 0 when unreadable): the
// compressed DIB keeps them readable, the BLZ form has them in its first block.
static std::pair<std::int64_t, std::int64_t> declaredSize(const QByteArray& bytes, TUniBitmap::Form form)
{
    QByteArray headers;
    if (form == TUniBitmap::Form::CompressedDib) {
        headers = bytes.left(kDibHeadersSize);
    } else if (bytes.size() >= kBlzHeaderSize + 2) {
        const qsizetype length = u16At(bytes, kBlzHeaderSize);
        if (length <= qsizetype(kLzrwMaxCompressedBlock) && bytes.size() - kBlzHeaderSize - 2 >= length) {
            headers.resize(qsizetype(kLzrwMaxBlock));
            try {
                headers.resize(qsizetype(lzrwDecompress(data(bytes) + kBlzHeaderSize + 2, std::size_t(length),
                                                        reinterpret_cast<std::uint8_t*>(headers.data()), kLzrwMaxBlock)));
            } catch (const Error&) {
                headers.clear();
            }
        }
    }
    if (headers.size() < 26) return {0, 0};
    const std::int64_t height = std::int32_t(u32At(headers, 22));
    return {std::int32_t(u32At(headers, 18)), height < 0 ? -height : height};
}

std::optional<QSize> TUniBitmap::sizeFromHeader(const QByteArray& head) const
{
    const Form form = formOf(head);
    if (form == Form::Plain) return bmpDeclaredSize(head);
    const auto [width, height] = declaredSize(head, form);
    if (width <= 0 || height <= 0 || height > INT_MAX) return std::nullopt;
    return QSize(int(width), int(height));
}

void TUniBitmap::loadFromStream(QIODevice& stream)
{
    // A stream that cannot look ahead is read whole first, so that its form is told from its
    // first bytes, not from what happened to be buffered.
    if (stream.isSequential()) {
        QBuffer whole;
        whole.setData(readToEnd(stream));
        whole.open(QIODevice::ReadOnly);
        loadFromStream(whole);
        return;
    }
    // The magic of either compressed form ends by byte 34.
    if (formOf(peekHead(stream, 34)) == Form::Plain) {
        setImage(decodeBmp(stream));
        return;
    }
    const QByteArray bytes = readToEnd(stream);
    const Form form = formOf(bytes);
    // Only the expanded file and the picture are held, one after the other where they can be.
    const auto [width, height] = declaredSize(bytes, form);
    if (!pictureSizeAllowed(width, height)) throw Error("Bitmap image is not valid");
    QImage image = withPictureMemory(width, height, [&] {
        return decodeBmp(form == Form::Blz ? expandBlz(bytes) : expandDib(bytes));
    });
    setImage(image);
}

void TUniBitmap::loadBlzFromStream(QIODevice& stream)
{
    setImage(decodeBmp(expandBlz(readToEnd(stream))));
}

void TUniBitmap::saveBlzToStream(QIODevice& stream) const
{
    writeAll(stream, compressBlz(encodeBmp24(image())));
}

void TUniBitmap::saveBlzToFile(const QString& path) const
{
    saveFile(path, compressBlz(encodeBmp24(image())));
}

void TUniBitmap::saveDibToFile(const QString& path) const
{
    saveFile(path, compressDib(encodeBmp24(image())));
}

} // namespace quorvel
