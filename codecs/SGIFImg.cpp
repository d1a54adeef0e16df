#include "codecs/SGIFImg.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvel {

namespace {

constexpr int kMaxCodes = 4096;

int u8At(const QByteArray& bytes, qsizetype at) { return std::uint8_t(bytes[at]); }
int u16At(const QByteArray& bytes, qsizetype at) { return u8At(bytes, at) | u8At(bytes, at + 1) << 8; }

} // namespace

QString TSGIF::StatusText(int status)
{
    switch (status) {
    case Ok: return QStringLiteral("Ok");
    case BadFile: return QStringLiteral("Bad File");
    case BadRead: return QStringLiteral("Bad Read");
    case UnexpectedEnd: return QStringLiteral("Unexpected End");
    case BadLzwCode: return QStringLiteral("Bad LZW Code");
    case BadFirstCode: return QStringLiteral("Bad First Code");
    case FileNotFound: return QStringLiteral("File Not Found");
    case BadSymbolSize: return QStringLiteral("Bad Symbol Size");
    case TooLarge: return QStringLiteral("Image Too Large");
    default: return QStringLiteral("Unknown");
    }
}

void TSGIF::ReadGif(QIODevice& source)
{
    if (!source.isSequential()) source.seek(0);
    file_ = source.readAll();
    position_ = 0;
    const int status = ReadImage();
    file_.clear();
    if (status != Ok) throw EGIFException(StatusText(status));
}

int TSGIF::readColourTable(int sizeBits)
{
    const int entries = 2 << sizeBits;
    if (file_.size() - position_ < 3 * entries) return BadRead;
    palette_.fill(0);
    std::memcpy(palette_.data(), file_.constData() + position_, std::size_t(3 * entries));
    position_ += 3 * entries;
    tableSize_ = entries;
    return Ok;
}

int TSGIF::ReadImage()
{
    if (file_.size() < 13 || !file_.startsWith("GIF")) return BadFile;
    const int screenFlags = u8At(file_, 10);
    position_ = 13;
    if (screenFlags & 0x80)
        if (const int status = readColourTable(screenFlags & 0x07)) return status;

    for (;;) {
        // The file must reach an image; the trailer, or any byte that starts no block, before
        // it is a broken file.
        if (position_ >= file_.size()) return BadFile;
        const int introducer = u8At(file_, position_++);
        if (introducer == 0x00) continue; // stray padding between blocks is passed over
        if (introducer == 0x21) {
            if (const int status = ReadExtension()) return status;
            continue;
        }
        if (introducer != 0x2C) return BadFile;

        if (file_.size() - position_ < 9) return BadRead;
        width_ = u16At(file_, position_ + 4);
        height_ = u16At(file_, position_ + 6);
        const int imageFlags = u8At(file_, position_ + 8);
        interlaced_ = imageFlags & 0x40;
        position_ += 9;
        if (imageFlags & 0x80)
            if (const int status = readColourTable(imageFlags & 0x07)) return status;
        if (position_ >= file_.size()) return BadFile;
        return DecodeLzw(u8At(file_, position_++));
    }
}

int TSGIF::skipSubBlocks()
{
    for (;;) {
        if (position_ >= file_.size()) return UnexpectedEnd;
        const int size = u8At(file_, position_++);
        if (size == 0) return Ok;
        if (file_.size() - position_ < size) return UnexpectedEnd;
        position_ += size;
    }
}

int TSGIF::ReadExtension()
{
    if (position_ >= file_.size()) return BadRead;
    const int label = u8At(file_, position_++);
    int fixed = 0; // block size byte and the fixed fields that follow the label
    switch (label) {
    case 0x01: fixed = 13; break;
    case 0xF9: fixed = 6; break;
    case 0xFF: fixed = 12; break;
    default: break;
    }
    if (file_.size() - position_ < fixed) return BadRead;
    if (label == 0xF9) {
        // Block size, flags, delay (2), transparent index, terminator. The colour is taken
        // whether or not the flags mark it as used.
        const int index = u8At(file_, position_ + 4);
        transparent_ = true;
        transparentColour_ = index < tableSize_
            ? makeColour(palette_[3 * index], palette_[3 * index + 1], palette_[3 * index + 2])
            : clBlack;
        position_ += fixed;
        return Ok;
    }
    position_ += fixed;
    return skipSubBlocks();
}

int TSGIF::DecodeLzw(int minimumCodeSize)
{
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return BadSymbolSize;
    const std::uint64_t total = std::uint64_t(width_) * std::uint64_t(height_);
    if (total == 0) return BadFile;
    if (total > kMaxPixels) return TooLarge;

    // The data sub-blocks, joined. They end at a zero size byte, at the end of the file, or
    // at a sub-block the file cannot hold.
    std::vector<std::uint8_t> data;
    {
        qsizetype at = position_;
        qsizetype bytes = 0;
        while (at < file_.size() && u8At(file_, at) != 0 && file_.size() - at - 1 >= u8At(file_, at)) {
            bytes += u8At(file_, at);
            at += 1 + u8At(file_, at);
        }
        data.resize(std::size_t(bytes));
        std::uint8_t* to = data.data();
        while (position_ < at) {
            const int size = u8At(file_, position_);
            std::memcpy(to, file_.constData() + position_ + 1, std::size_t(size));
            to += size;
            position_ += 1 + size;
        }
    }

    indexes_.reset(new std::uint8_t[total]);
    std::uint8_t* const out = indexes_.get();

    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{};
    std::array<std::uint8_t, kMaxCodes> first{};
    std::array<std::uint16_t, kMaxCodes> length{};
    const int clear = 1 << minimumCodeSize;
    const int endCode = clear + 1;
    for (int c = 0; c < clear; ++c) {
        suffix[c] = first[c] = std::uint8_t(c);
        length[c] = 1;
    }

    // Writes the string of `code` (`count` pixels) at pixel `at`, back to front along the
    // prefix chain; pixels beyond the image are dropped.
    auto put = [&](int code, int count, std::uint64_t at) {
        if (at + std::uint64_t(count) <= total) {
            std::uint8_t* p = out + at + count;
            for (int i = count; i > 1; --i) {
                *--p = suffix[code];
                code = prefix[code];
            }
            *--p = std::uint8_t(code);
            return;
        }
        for (int i = count - 1; i >= 0; --i) {
            if (at + std::uint64_t(i) < total) out[at + i] = i == 0 ? std::uint8_t(code) : suffix[code];
            if (i > 0) code = prefix[code];
        }
    };

    int next = clear + 2;
    int codeWidth = minimumCodeSize + 1;
    std::uint64_t mask = (std::uint64_t(1) << codeWidth) - 1;
    int previous = -1;
    std::uint64_t emitted = 0;
    std::uint64_t bits = 0;
    int bitCount = 0;
    std::size_t in = 0;
    const std::size_t inSize = data.size();
    const std::uint8_t* const bytes = data.data();

    for (;;) {
        if (bitCount < codeWidth) {
            while (bitCount <= 56 && in < inSize) {
                bits |= std::uint64_t(bytes[in++]) << bitCount;
                bitCount += 8;
            }
            if (bitCount < codeWidth) {
                // Data that stops once the picture is complete lacks only its end code.
                if (emitted < total) return UnexpectedEnd;
                break;
            }
        }
        const int code = int(bits & mask);
        bits >>= codeWidth;
        bitCount -= codeWidth;

        if (code == endCode) break;
        if (code > next) return BadLzwCode;
        if (code == clear) {
            next = clear + 2;
            codeWidth = minimumCodeSize + 1;
            mask = (std::uint64_t(1) << codeWidth) - 1;
            previous = -1;
            continue;
        }
        int count;
        std::uint8_t firstPixel;
        if (code < next) {
            count = length[code];
            firstPixel = first[code];
            if (emitted < total) put(code, count, emitted);
        } else {
            // The code being defined: the previous string followed by its own first pixel.
            if (previous < 0) return BadFirstCode;
            firstPixel = first[previous];
            count = length[previous] + 1;
            if (emitted < total) {
                put(previous, count - 1, emitted);
                if (emitted + std::uint64_t(count - 1) < total) out[emitted + count - 1] = firstPixel;
            }
        }
        emitted += std::uint64_t(count);

        if (next < kMaxCodes && previous >= 0) {
            prefix[next] = std::uint16_t(previous);
            suffix[next] = firstPixel;
            first[next] = first[previous];
            length[next] = std::uint16_t(length[previous] + 1);
            ++next;
            if (next > int(mask) && codeWidth < 12) {
                ++codeWidth;
                mask = (std::uint64_t(1) << codeWidth) - 1;
            }
        }
        previous = code;
    }

    // An end code before the last pixel leaves the rest at palette index 0.
    if (emitted < total) std::memset(out + emitted, 0, std::size_t(total - emitted));
    buildImage();
    return image_.isNull() ? TooLarge : Ok;
}

void TSGIF::buildImage()
{
    std::array<QRgb, 256> colours;
    colours.fill(0xFF000000u);
    for (int i = 0; i < tableSize_; ++i)
        colours[i] = qRgb(palette_[3 * i], palette_[3 * i + 1], palette_[3 * i + 2]);

    // The image row each arriving row goes to: interlaced images send every eighth row from
    // row 0, then every eighth from row 4, every fourth from row 2, every second from row 1.
    std::vector<int> rows;
    rows.reserve(std::size_t(height_));
    if (interlaced_) {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < height_; row += kStep[pass]) rows.push_back(row);
    } else {
        for (int row = 0; row < height_; ++row) rows.push_back(row);
    }

    image_ = QImage(width_, height_, QImage::Format_RGB32);
    if (image_.isNull()) return;
    for (int k = 0; k < height_; ++k) {
        const std::uint8_t* from = indexes_.get() + std::size_t(k) * std::size_t(width_);
        auto* to = reinterpret_cast<QRgb*>(image_.scanLine(rows[std::size_t(k)]));
        for (int x = 0; x < width_; ++x) to[x] = colours[from[x]];
    }
    indexes_.reset();
}

void TSGIFBitmap::loadFromStream(QIODevice& stream)
{
    TSGIF decoder;
    decoder.ReadGif(stream);
    setImage(decoder.image());
    loaded_ = true;
    transparentColour_ = decoder.hasTransparency() ? decoder.transparentColour()
                                                   : pixel(0, height() - 1);
}

} // namespace quorvel
