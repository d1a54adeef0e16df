// Hostile pictures built byte by byte: small files whose headers or records ask a reader for far
// more time or memory than their bytes can justify. The tests build them at sizes that keep the
// suite fast, the benchmark at full size.
#pragma once

#include "tests/support/Bytes.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/MetafileFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPointF>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvel::test::hostile {

// An EMF frame of `width` x `height` pixels (hundredths of a millimetre at 96 per inch).
inline QByteArray emfOf(const Emf& emf, int width, int height)
{
    return emf.build(0, 0, int(std::lround(width * 2540.0 / 96)), int(std::lround(height * 2540.0 / 96)));
}

// The parameters of EMF POLYGON16 / POLYLINE16: bounds, count, 16-bit points.
inline Bytes points16(const std::vector<QPointF>& points)
{
    Bytes b;
    b.i32(0).i32(0).i32(0).i32(0).u32(std::uint32_t(points.size()));
    for (const QPointF& p : points) b.i16(std::int16_t(std::lround(p.x()))).i16(std::int16_t(std::lround(p.y())));
    return b;
}

// A star of `count` points (odd) around the centre of a `side` square, each point joined to the
// one almost opposite: every edge crosses most of the others.
inline std::vector<QPointF> star(int count, int side)
{
    std::vector<QPointF> out;
    const double r = side * 0.45, c = side / 2.0;
    const int step = count / 2;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * M_PI * double((std::int64_t(i) * step) % count) / count;
        out.emplace_back(c + r * std::cos(a), c + r * std::sin(a));
    }
    return out;
}

// `count` points going left to right across a `side` square, alternately at its top and bottom:
// every edge crosses every row.
inline std::vector<QPointF> zigzag(int count, int side)
{
    std::vector<QPointF> out;
    for (int i = 0; i < count; ++i)
        out.emplace_back(double(std::int64_t(i) * (side - 1) / std::max(count - 1, 1)), i % 2 ? side - 1 : 0);
    return out;
}

// A clip path of a star, then `repeats` times SAVEDC, EXCLUDECLIPRECT, a rectangle, RESTOREDC.
inline QByteArray starClipEmf(int points, int repeats, int side = 1024)
{
    Emf emf;
    emf.solidBrush(1, qRgb(255, 0, 0)).select(1).nullPen();
    emf.rec(EMR_BEGINPATH).rec(EMR_POLYGON16, points16(star(points, side))).rec(EMR_ENDPATH);
    emf.rec(EMR_SELECTCLIPPATH, Emf::ints({5}));
    for (int i = 0; i < repeats; ++i) {
        const int x = int(std::int64_t(i) * 8 % side);
        emf.rec(EMR_SAVEDC).rec(EMR_EXCLUDECLIPRECT, Emf::ints({x, 0, x + 8, side}));
        emf.rec(EMR_RECTANGLE, Emf::ints({0, 0, side, side})).rec(EMR_RESTOREDC, Emf::ints({-1}));
    }
    return emfOf(emf, side, side);
}

// One filled polygon of a zig-zag, as WMF META_POLYGON.
inline QByteArray zigzagPolygonWmf(int points, int side)
{
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {side, side}).solidBrush(qRgb(255, 0, 0)).select(0);
    Bytes p;
    p.u16(std::uint16_t(points));
    for (const QPointF& q : zigzag(points, side)) p.i16(std::int16_t(q.x())).i16(std::int16_t(q.y()));
    wmf.raw(META_POLYGON, p);
    return wmf.placeable(0, 0, side, side, 96);
}

// The same zig-zag as EMF POLYGON16, or (`path`) as a path of it filled with FILLPATH.
inline QByteArray zigzagPolygonEmf(int points, int side, bool path = false)
{
    Emf emf;
    emf.solidBrush(1, qRgb(255, 0, 0)).select(1);
    if (path) emf.rec(EMR_BEGINPATH);
    emf.rec(EMR_POLYGON16, points16(zigzag(points, side)));
    if (path) emf.rec(EMR_ENDPATH).rec(EMR_FILLPATH, Emf::ints({0, 0, side, side}));
    return emfOf(emf, side, side);
}

// A geometric pen `width` wide (EXTCREATEPEN; `join` is its join and end-cap bits) stroking a
// zig-zag polyline.
inline QByteArray widePenEmf(int points, int side, int width, std::uint32_t join)
{
    Emf emf;
    emf.rec(EMR_EXTCREATEPEN, Bytes().u32(1).u32(0).u32(0).u32(0).u32(0).u32(0x10000 | join).u32(std::uint32_t(width))
                                   .u32(0).raw(Emf::colour(qRgb(0, 0, 255))).u32(0).u32(0));
    emf.select(1);
    emf.rec(EMR_POLYLINE16, points16(zigzag(points, side)));
    return emfOf(emf, side, side);
}

// `count` EXCLUDECLIPRECT records of small squares scattered over the picture, then a fill.
inline QByteArray excludeClipsEmf(int count, int side)
{
    Emf emf;
    for (int i = 0; i < count; ++i) {
        const int x = int(std::int64_t(i) * 37 % (side - 4)), y = int(std::int64_t(i) * 91 % (side - 4));
        emf.rec(EMR_EXCLUDECLIPRECT, Emf::ints({x, y, x + 3, y + 3}));
    }
    emf.solidBrush(1, qRgb(0, 255, 0)).select(1).rec(EMR_RECTANGLE, Emf::ints({0, 0, side, side}));
    return emfOf(emf, side, side);
}

// A GIF of `width` x `height` whose data is a clear code, one pixel and the end code.
inline QByteArray dotGif(int width, int height)
{
    Bytes b;
    b.text("GIF89a").u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(0x80).u8(0).u8(0);
    b.u8s({0, 0, 0, 255, 255, 255});
    b.u8(0x2C).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(0);
    // Codes of 3 bits, first bit lowest: clear 4, pixel 0, end 5.
    b.u8(2).u8(2).u8(0x44).u8(0x01).u8(0).u8(0x3B);
    return b;
}

// An 18-byte TGA header and nothing else.
inline QByteArray tgaHeaderOnly(int type, int width, int height, int depth)
{
    Bytes b;
    b.u8(0).u8(0).u8(std::uint8_t(type)).u16(0).u16(0).u8(0).u16(0).u16(0);
    b.u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(std::uint8_t(depth)).u8(0);
    return b;
}

// A run-length 24-bit TGA of `width` x `height`, every packet a run of 128 black pixels.
inline QByteArray runsTga(int width, int height)
{
    Bytes b;
    b.u8(0).u8(0).u8(10).u16(0).u16(0).u8(0).u16(0).u16(0);
    b.u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(24).u8(0);
    QByteArray packets;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 128) {
            const int n = std::min(128, width - x);
            packets.append(char(0x80 | (n - 1))).append(3, '\0');
        }
    return b.raw(packets);
}

// A 256-colour PCX of `width` x `height` made of runs of 63 black pixels.
inline QByteArray runsPcx(int width, int height)
{
    Bytes b;
    // The window's fields are signed 16-bit: a tall picture starts above row 0.
    const int top = height > 32767 ? -height / 2 : 0;
    b.u8(10).u8(5).u8(1).u8(8).i16(0).i16(std::int16_t(top)).i16(std::int16_t(width - 1)).i16(std::int16_t(top + height - 1));
    b.fill(4).fill(48).u8(0).u8(1).u16(std::uint16_t(width)).fill(60);
    const std::int64_t bytes = std::int64_t(width) * height;
    QByteArray data;
    data.reserve(qsizetype((bytes + 62) / 63 * 2));
    for (std::int64_t at = 0; at < bytes; at += 63) data.append(char(0xFF)).append(char(0));
    b.raw(data).u8(0x0C).fill(768);
    return b;
}

// An 8-bit run-length BMP of `width` x `height` holding only its end-of-bitmap code.
inline QByteArray endOnlyRle8(int width, int height)
{
    Bytes b;
    const std::uint32_t offset = 14 + 40 + 1024;
    b.text("BM").u32(offset + 2).u32(0).u32(offset);
    b.u32(40).i32(width).i32(height).u16(1).u16(8).u32(1).u32(2).i32(0).i32(0).u32(0).u32(0);
    b.fill(1024).u8(0).u8(1);
    return b;
}

// A plain 32-bit BMP of `width` x `height`, every pixel black.
inline QByteArray blackBmp32(int width, int height)
{
    Bytes b;
    const std::int64_t pixels = std::int64_t(width) * height * 4;
    b.text("BM").u32(std::uint32_t(54 + pixels)).u32(0).u32(54);
    b.u32(40).i32(width).i32(height).u16(1).u16(32).u32(0).u32(std::uint32_t(pixels)).i32(0).i32(0).u32(0).u32(0);
    b.fill(qsizetype(pixels));
    return b;
}

// A BLZ file holding a black 32-bit BMP of `width` x `height`: one stored block with the headers,
// then blocks of runs of zeros.
inline QByteArray zeroBlz(int width, int height)
{
    const std::int64_t fileSize = 54 + std::int64_t(width) * height * 4;
    Bytes bmp;
    bmp.text("BM").u32(std::uint32_t(fileSize)).u32(0).u32(54);
    bmp.u32(40).i32(width).i32(height).u16(1).u16(32).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0);
    Bytes b;
    b.text("LZRW").u32(std::uint32_t(fileSize));
    std::int64_t left = fileSize;
    bool first = true;
    while (left > 0 || first) {
        const std::int64_t piece = std::min<std::int64_t>(left, 32768);
        if (first || piece < 32768) {
            // A stored block: the flag, then the bytes (the headers first, zeros after).
            QByteArray stored(int(piece), '\0');
            if (first) stored.replace(0, bmp.size(), bmp.data());
            b.u16(std::uint16_t(piece + 1)).u8(0x80).raw(stored);
            first = false;
        } else {
            // One group: a control word announcing eight items, each a run of 4096 zeros.
            b.u16(35).u8(0x40).u8(0xFF).u8(0x00);
            for (int i = 0; i < 8; ++i) b.u8(0x00).u8(0x0F).u8(0xF0).u8(0x00);
        }
        left -= piece;
        if (left == 0 && piece == 32768) b.u16(1).u8(0x80); // an exact multiple ends with an empty block
    }
    return b;
}

// Names that are no regular file, each made in `directory` under `name` with a suffix of its
// kind ("x.m32" gives "x-fifo.m32", ...): a FIFO (which blocks a reader until a writer comes), a
// link to /dev/zero (which never ends), a link to /dev/null, a directory and a socket.
struct SpecialFile {
    const char* what;
    QString path;
};
inline std::vector<SpecialFile> specialFiles(const QString& directory, const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot), suffix = dot < 0 ? QString() : name.mid(dot);
    const auto at = [&](const char* kind) { return QDir(directory).filePath(stem + u'-' + QLatin1String(kind) + suffix); };
    std::vector<SpecialFile> files{{"a FIFO", at("fifo")}, {"a link to /dev/zero", at("zero")},
                                   {"a link to /dev/null", at("null")}, {"a directory", at("dir")},
                                   {"a socket", at("socket")}};
    const bool made = ::mkfifo(QFile::encodeName(files[0].path).constData(), 0600) == 0 &&
                      QFile::link("/dev/zero", files[1].path) && QFile::link("/dev/null", files[2].path) &&
                      QDir().mkdir(files[3].path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(files[4].path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    bool bound = false;
    if (fd >= 0 && std::size_t(socketName.size()) < sizeof address.sun_path) {
        std::memcpy(address.sun_path, socketName.constData(), std::size_t(socketName.size()));
        bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    if (fd >= 0) ::close(fd);
    if (!bound) files.pop_back(); // a temporary directory too deep for a socket's name
    if (!made) ADD_FAILURE() << "cannot make the special files in " << directory.toStdString();
    return files;
}

// A regular file of `size` bytes that takes no room on the disk (a hole).
inline QString sparseFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) ADD_FAILURE() << "cannot make " << path.toStdString();
    return path;
}

// A 1-bit grey PNG of zeros: a file of a few kilobytes whose pixels expand to width x height.
// With `headerOnly`, its data is one row's worth of zeros, so the file is a few dozen bytes.
inline QByteArray zeroPng(int width, int height, bool headerOnly = false)
{
    PngForm form{width, height, 1, 0};
    if (headerOnly) return pngFile(form, zlibStream(QByteArray(width / 8 + 2, '\0')));
    form.rows = QByteArray(qsizetype(width / 8 + (width % 8 != 0) + 1) * height, '\0');
    return pngFile(form);
}

// A PNG whose compressed rows stop halfway.
inline QByteArray cutPng(int width, int height)
{
    PngForm form{width, height, 8, 2};
    for (int y = 0; y < height; ++y) form.rows += '\0' + QByteArray(qsizetype(width) * 3, char(y));
    const QByteArray rows = zlibStream(form.rows);
    return pngHeader(form) + pngChunk("IDAT", rows.left(rows.size() / 2));
}

} // namespace quorvel::test::hostile
