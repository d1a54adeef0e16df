// The universal bitmap: the three forms told apart by content, the writers of both compressed
// forms, and the refusal of malformed compressed streams.
#include "codecs/LZRW1KH.h"
#include "codecs/UniBmp.h"
#include "graphics/BmpWriter.h"
#include "base/Error.h"
#include "base/LittleEndian.h"
#include "graphics/PictureRegistry.h"
#include "tests/support/Bytes.h"

#include <QBuffer>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace quorvel;
using test::Bytes;

namespace {

// A picture with some structure and some noise, so blocks hold literals, copies and runs.
QImage testPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = x < width / 3 ? qRgb(10, 200, 30) : qRgb(x * 7 % 256, (x * y) % 256, (x ^ y) % 256);
    }
    return image;
}

QImage load(const QByteArray& bytes)
{
    return test::loadedFrom<TUniBitmap>(bytes).image();
}

QImage loadFile(const QString& name, const QByteArray& bytes)
{
    const std::unique_ptr<Graphic> graphic = loadPicture(test::writeTempFile(name, bytes));
    const auto* bitmap = dynamic_cast<const TUniBitmap*>(graphic.get());
    if (!bitmap) throw std::runtime_error("not read by TUniBitmap");
    return bitmap->image();
}

// The compressed lengths of the blocks that start at `at`.
std::vector<int> blockLengths(const QByteArray& stream, qsizetype at)
{
    std::vector<int> out;
    while (at + 2 <= stream.size()) {
        out.push_back(u16At(stream, at));
        at += 2 + out.back();
    }
    return out;
}

} // namespace

TEST(TUniBitmap, IsRegisteredForItsThreeExtensions)
{
    for (const auto& [extension, description] :
         {std::pair{"bmp", "BMP-Format"}, {"BLZ", "BLZ-Format"}, {"dib", "DIB-Format"}}) {
        const PictureKind* kind = findPictureKind(extension);
        ASSERT_NE(kind, nullptr) << extension;
        EXPECT_EQ(kind->description, description);
        EXPECT_NE(dynamic_cast<TUniBitmap*>(kind->create().get()), nullptr);
    }
}

TEST(TUniBitmap, ReadsEveryFormWhateverTheExtension)
{
    const QImage picture = testPicture(37, 21);
    const QByteArray plain = encodeBmp24(picture);
    QByteArray reversed = TUniBitmap::compressBlz(plain);
    reversed.replace(0, 4, "WRZL");
    QByteArray reversedDib = TUniBitmap::compressDib(plain);
    reversedDib.replace(30, 4, "WRZL");
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"plain.bmp", plain},
        {"plain.dib", plain},
        {"blz.blz", TUniBitmap::compressBlz(plain)},
        {"blz.bmp", TUniBitmap::compressBlz(plain)},
        {"reversed.blz", reversed},
        {"dib.dib", TUniBitmap::compressDib(plain)},
        {"dib.bmp", TUniBitmap::compressDib(plain)},
        {"reversed.dib", reversedDib},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            EXPECT_EQ(loadFile(row.name, row.bytes), picture);
            // From a pipe, whose first bytes cannot be looked at before they are read.
            EXPECT_EQ((test::loadedFrom<TUniBitmap, test::PipeStream>(row.bytes).image()), picture);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(TUniBitmap, ABitmapOfTwoFullBlocksEndsWithALoneStoredFlag)
{
    // 128 x 128 at 24 bits behind a gap that brings the file to exactly 65536 bytes.
    const QImage picture = testPicture(128, 128);
    QByteArray file = encodeBmp24(picture);
    const qsizetype gap = 65536 - file.size();
    file.insert(54, gap, '\0');
    file.replace(2, 4, Bytes().u32(65536).data());
    file.replace(10, 4, Bytes().u32(std::uint32_t(54 + gap)).data());
    ASSERT_EQ(file.size(), 65536);

    const QByteArray blz = TUniBitmap::compressBlz(file);
    EXPECT_EQ(blz.left(4), "LZRW");
    EXPECT_EQ(u32At(blz, 4), 65536u);
    const std::vector<int> lengths = blockLengths(blz, 8);
    ASSERT_EQ(lengths.size(), 3u);
    EXPECT_EQ(lengths[2], 1);
    EXPECT_EQ(blz.right(1), "\x80");
    EXPECT_EQ(TUniBitmap::expandBlz(blz), file);
    EXPECT_EQ(load(blz), picture);
}

TEST(TUniBitmap, CompressedDibKeepsSizeAndDepthReadable)
{
    const QImage picture = testPicture(300, 70); // more than one block
    const QByteArray plain = encodeBmp24(picture);
    const QByteArray dib = TUniBitmap::compressDib(plain);
    EXPECT_EQ(dib.left(2), "BM");
    EXPECT_EQ(u32At(dib, 6), std::uint32_t(plain.size()));
    EXPECT_EQ(u32At(dib, 18), 300u);
    EXPECT_EQ(u32At(dib, 22), 70u);
    EXPECT_EQ(u16At(dib, 28), 24);
    EXPECT_EQ(dib.mid(30, 4), "LZRW");
    EXPECT_EQ(u32At(dib, 54), 0u); // the plain file's compression field
    EXPECT_GE(blockLengths(dib, 58).size(), 2u);
    EXPECT_EQ(TUniBitmap::expandDib(dib), plain);
}

// Conversions run side by side: each stream's compression has buffers of its own, so streams
// written on several threads at once are the bytes one thread writes.
TEST(TUniBitmap, StreamsCompressedOnSeveralThreadsAtOnceAreUnchanged)
{
    std::vector<QByteArray> files, expected;
    for (int i = 0; i < 4; ++i) {
        files.push_back(encodeBmp24(testPicture(200 + 37 * i, 150 - 20 * i)));
        expected.push_back(TUniBitmap::compressBlz(files.back()));
    }
    std::vector<std::vector<QByteArray>> made(files.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < files.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) made[t].push_back(TUniBitmap::compressBlz(files[t]));
        });
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < files.size(); ++t)
        for (const QByteArray& stream : made[t]) ASSERT_EQ(stream, expected[t]) << "thread " << t;
}

TEST(TUniBitmap, WritersMakeFilesThatLoadBack)
{
    TUniBitmap bitmap(testPicture(50, 40));
    const QString blz = test::writeTempFile("written.blz", {});
    const QString dib = test::writeTempFile("written.dib", {});
    bitmap.saveBlzToFile(blz);
    bitmap.saveDibToFile(dib);
    EXPECT_EQ(dynamic_cast<Bitmap&>(*loadPicture(blz)).image(), bitmap.image());
    EXPECT_EQ(dynamic_cast<Bitmap&>(*loadPicture(dib)).image(), bitmap.image());

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    bitmap.saveBlzToStream(buffer);
    buffer.seek(0);
    TUniBitmap again;
    again.loadBlzFromStream(buffer);
    EXPECT_EQ(again.image(), bitmap.image());
}

TEST(TUniBitmap, RefusesMalformedCompressedStreams)
{
    const QByteArray plain = encodeBmp24(testPicture(200, 60)); // 36054 bytes: two blocks
    const QByteArray blz = TUniBitmap::compressBlz(plain);
    const QByteArray dib = TUniBitmap::compressDib(plain);
    const int firstBlock = u16At(blz, 8);
    const auto withU32 = [](QByteArray bytes, qsizetype at, std::uint32_t v) {
        return bytes.replace(at, 4, Bytes().u32(v).data());
    };
    const struct {
        const char* what;
        QByteArray bytes;
        const char* message;
    } rows[] = {
        {"BLZ magic alone", "LZRW", "LZRW1KH : compressed stream ends before its last block"},
        {"BLZ without blocks", Bytes().text("LZRW").u32(54), "LZRW1KH : compressed stream ends before its last block"},
        {"BLZ cut after its first block", blz.left(8 + 2 + firstBlock),
         "LZRW1KH : compressed stream ends before its last block"},
        {"BLZ cut inside a block", blz.left(blz.size() - 5), "LZRW1KH : compressed stream ends before its last block"},
        {"BLZ block longer than any block", Bytes().text("LZRW").u32(54).u16(40000).fill(40000),
         "LZRW1KH : compressed block longer than 32769 bytes"},
        {"BLZ block of length 0", Bytes().text("LZRW").u32(0).u16(0), "LZRW1KH : empty compressed block"},
        {"BLZ length above what expands", withU32(blz, 4, std::uint32_t(plain.size() + 1)),
         "LZRW1KH : stored length does not match the data"},
        {"BLZ length below what expands", withU32(blz, 4, std::uint32_t(plain.size() - 1)),
         "LZRW1KH : stored length does not match the data"},
        {"BLZ length beyond any bitmap", withU32(blz, 4, 0xFFFFFFFF), "LZRW1KH : stored length does not match the data"},
        {"BLZ block copying before its start", Bytes().text("LZRW").u32(3).u16(5).u8s({0x40, 0x80, 0x00, 0x00, 0x10}),
         "LZRW1KH : copy reaches before the start of the block"},
        {"DIB cut inside its headers", dib.left(40), "LZRW1KH : compressed stream ends before its last block"},
        {"DIB without blocks", dib.left(58), "LZRW1KH : compressed stream ends before its last block"},
        {"DIB length 0", withU32(dib, 6, 0), "LZRW1KH : stored length does not match the data"},
        {"DIB length negative", withU32(dib, 6, 0xFFFFFF00), "LZRW1KH : stored length does not match the data"},
        {"DIB length off by one", withU32(dib, 6, std::uint32_t(plain.size() + 1)),
         "LZRW1KH : stored length does not match the data"},
        {"BLZ of something that is no bitmap", TUniBitmap::compressBlz("GIF89a"), "Bitmap image is not valid"},
        {"plain bitmap cut short", plain.left(plain.size() - 100), "Bitmap image is not valid"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            load(row.bytes);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
}

TEST(TUniBitmap, AFailedLoadKeepsThePreviousPicture)
{
    TUniBitmap bitmap(testPicture(5, 4));
    QByteArray bad = TUniBitmap::compressBlz(encodeBmp24(testPicture(9, 9))).left(20);
    QBuffer buffer(&bad);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(bitmap.loadFromStream(buffer), ELzrw1KHCompressor);
    EXPECT_EQ(bitmap.image(), testPicture(5, 4));
}
