// The texture document: opening files built byte by byte, saving, the level table kept in step,
// and files that must be refused without touching the document.
#include "document/TextureDocument.h"
#include "base/Error.h"
#include "document/M32File.h"
#include "tests/document/M32Bytes.h"
#include "tests/support/HostileFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

#include <csignal>
#include <functional>
#include <utility>
#include <cstring>
#include <sys/resource.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quorvel {
namespace {

// The bytes the heap has handed out and not had back (0 where the C library does not say).
std::size_t heapBytesInUse()
{
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

using test::Bytes;
using test::i32At;
using test::M32Fields;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString tempPath(const QString& name)
{
    static QTemporaryDir dir;
    return QDir(dir.path()).filePath(name);
}

QRgb shownAt(const TextureDocument& d, int level, int x, int y) { return d.levelImage(level).pixel(x, y) & 0xFFFFFF; }
int alphaAt(const TextureDocument& d, int level, int x, int y) { return d.alphaPlane(level).constScanLine(y)[x]; }

void paintPixel(TextureDocument& d, int level, int x, int y, QRgb colour)
{
    d.editPixels(level, QRect(x, y, 1, 1), [&](QImage& image, QImage&) { image.setPixel(x, y, colour); });
}

TEST(TextureDocument, StartsEmptyWithoutAnyImage)
{
    TextureDocument d;
    EXPECT_EQ(d.levelCount(), 0);
    EXPECT_TRUE(d.currentFile().isEmpty());
    EXPECT_EQ(d.header().version, 4);
    EXPECT_EQ(d.header().flags, 2048);
    EXPECT_EQ(d.texts(), HeaderTexts());
    EXPECT_EQ(d.currentLevel(), 1);
    for (int k = 1; k <= kMaxLevels; ++k) {
        EXPECT_FALSE(d.hasLevelImage(k));
        EXPECT_FALSE(d.hasAlphaPlane(k));
    }
    EXPECT_TRUE(d.levelImage(5).isNull());
    EXPECT_TRUE(d.alphaPlane(5).isNull());
    EXPECT_THROW(d.hasLevelImage(0), std::out_of_range);
    EXPECT_THROW(d.hasAlphaPlane(17), std::out_of_range);
}

TEST(TextureDocument, OpenShowsOverGreyAndSaveRecoversTheStoredColour)
{
    // Stored pixel, shown colour, alpha plane, bytes written back.
    struct Row {
        std::array<int, 4> stored;
        QRgb shown;
        std::array<int, 4> saved;
    } rows[] = {
        {{200, 100, 50, 128}, qRgb(196, 146, 121), {200, 100, 51, 128}},
        {{255, 255, 255, 128}, qRgb(224, 224, 224), {255, 255, 255, 128}},
        {{77, 88, 99, 0}, qRgb(192, 192, 192), {0, 0, 0, 0}},
        {{12, 34, 56, 255}, qRgb(12, 34, 56), {12, 34, 56, 255}},
    };
    const int n = int(std::size(rows));
    Bytes file = test::m32Header(M32Fields().level(1, n, 1, 968));
    for (const Row& r : rows) file.u8s({r.stored[0], r.stored[1], r.stored[2], r.stored[3]});
    TextureDocument d;
    d.open(test::writeTempFile("pixels.m32", file));
    for (int x = 0; x < n; ++x) {
        EXPECT_EQ(shownAt(d, 1, x, 0), rows[x].shown & 0xFFFFFF) << x;
        EXPECT_EQ(alphaAt(d, 1, x, 0), rows[x].stored[3]) << x;
    }
    // Alpha 255 keeps whatever is painted.
    paintPixel(d, 1, 3, 0, qRgb(1, 2, 3));

    const QString out = tempPath("pixels-out.m32");
    d.save(out);
    const QByteArray saved = readAll(out);
    ASSERT_EQ(saved.size(), 968 + 4 * n);
    rows[3].saved = {1, 2, 3, 255};
    for (int x = 0; x < n; ++x)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(std::uint8_t(saved[968 + 4 * x + c]), rows[x].saved[c]) << x << "," << c;
}

TEST(TextureDocument, SavesTheLevelTableItLaysOut)
{
    TextureDocument d;
    const QString empty = tempPath("empty.m32");
    d.save(empty);
    const QByteArray header = readAll(empty);
    ASSERT_EQ(header.size(), 968);
    EXPECT_EQ(i32At(header, 0), 4);
    EXPECT_EQ(i32At(header, 708), 2048);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(i32At(header, test::kOffsetsAt + 4 * k), 0);

    EXPECT_EQ(d.appendLevel(64, 64, "64x64"), 1);
    EXPECT_EQ(d.appendLevel(32, 32, "32x32"), 2);
    EXPECT_EQ(d.levelEntries(), QStringList({"64x64", "32x32"}));
    const QString path = tempPath("two.m32");
    d.save(path);
    EXPECT_EQ(d.currentFile(), path);
    const QByteArray bytes = readAll(path);
    EXPECT_EQ(bytes.size(), 21448);
    EXPECT_EQ(i32At(bytes, test::kOffsetsAt), 968);
    EXPECT_EQ(i32At(bytes, test::kOffsetsAt + 4), 17352);
    EXPECT_EQ(i32At(bytes, test::kOffsetsAt + 8), 0);
    EXPECT_EQ(i32At(bytes, test::kWidthsAt + 4), 32);
    // A new level is white and opaque.
    EXPECT_EQ(bytes.mid(968, 4), QByteArray("\xff\xff\xff\xff", 4));
}

TEST(TextureDocument, NamesVersionAndReservedBytes)
{
    M32Fields s;
    s.version = 7;
    s.name = QByteArray(128, 'N');
    s.substitution_name = QByteArray("abc\0junk", 8);
    s.detail_name = "\xe9t\xe9";
    s.scale_x = 1.234f;
    s.dt_u = 0.5f;
    for (int i = 0; i < 72; ++i) s.reserved[i] = char(0xA0 + i);
    TextureDocument d;
    d.open(test::writeTempFile("names.m32", test::m32Header(s)));
    EXPECT_EQ(d.header().version, 7);
    EXPECT_EQ(d.texts().name, QString(128, u'N'));
    EXPECT_EQ(d.texts().substitution_name, "abc");
    EXPECT_EQ(d.texts().detail_name, QString::fromUtf8("été"));
    EXPECT_EQ(d.texts().scale_x, "1.23");
    EXPECT_EQ(d.texts().dt_u, " 5.00000000000000E-0001");
    EXPECT_EQ(d.levelCount(), 0);

    d.newDocument(); // New keeps the reserved bytes of the last file opened
    d.setTexts(HeaderTexts::fromHeader(decodeM32Header(test::m32Header(s).data().constData())));
    const QString out = tempPath("names-out.m32");
    d.save(out);
    const QByteArray bytes = readAll(out);
    ASSERT_EQ(bytes.size(), 968);
    EXPECT_EQ(i32At(bytes, 0), 4);
    EXPECT_EQ(d.header().version, 4);
    EXPECT_EQ(bytes.mid(4, 128), QByteArray(128, 'N'));
    EXPECT_EQ(bytes.mid(132, 128), QByteArray("abc").append(125, '\0'));
    EXPECT_EQ(bytes.mid(732, 4), QByteArray("\xe9t\xe9\0", 4));
    EXPECT_EQ(test::f32At(bytes, 720), 1.23f);
    EXPECT_EQ(test::f32At(bytes, 868), 0.5f);
    EXPECT_EQ(bytes.mid(896), s.reserved);
}

// Bad files leave the document as it was: header, texts, file, levels and their pixels.
TEST(TextureDocument, RefusesBadFilesAndKeepsTheDocument)
{
    const QByteArray tooBig = "Level 2 is 2048 x 16 pixels; a level has 0 to 1024 pixels on a side";
    struct Row {
        const char* name;
        QByteArray bytes;
        QByteArray message;
    } rows[] = {
        {"empty", QByteArray(), "Read beyond end of file"},
        {"short header", test::m32Header(M32Fields()).data().left(967), "Read beyond end of file"},
        {"short level data", Bytes(test::m32Header(M32Fields().level(1, 4, 4, 968))).fill(63), "Read beyond end of file"},
        {"second level short",
         Bytes(test::m32Header(M32Fields().level(1, 2, 2, 968).level(2, 2, 2, 984))).fill(16 + 15),
         "Read beyond end of file"},
        {"offset past the end", Bytes(test::m32Header(M32Fields().level(1, 1, 1, 5000))).fill(4), "Read beyond end of file"},
        {"negative offset", Bytes(test::m32Header(M32Fields().level(1, 1, 1, -4))).fill(4), "Read beyond end of file"},
        {"oversized level",
         Bytes(test::m32Header(M32Fields().level(1, 1, 1, 968).level(2, 2048, 16, 972))).fill(4 + 2048 * 16 * 4), tooBig},
        {"negative width", Bytes(test::m32Header(M32Fields().level(1, -4, 4, 968))).fill(64),
         "Level 1 is -4 x 4 pixels; a level has 0 to 1024 pixels on a side"},
        {"negative height", Bytes(test::m32Header(M32Fields().level(3, 4, -1, 968))).fill(64),
         "Level 3 is 4 x -1 pixels; a level has 0 to 1024 pixels on a side"},
        {"too tall", Bytes(test::m32Header(M32Fields().level(1, 1024, 1025, 968))).fill(64),
         "Level 1 is 1024 x 1025 pixels; a level has 0 to 1024 pixels on a side"},
        // Plainly no texture: its first bytes are no version and its level table is impossible
        // for the file (or it is shorter than a header). PATH stands for the file's path.
        {"text file", QByteArray("Quorvel notes: a text file, no texture.\n").repeated(40), "PATH is not an m32 texture"},
        {"short text", QByteArray("hello"), "PATH is not an m32 texture"},
        {"picture", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(1200, '\x7f'), "PATH is not an m32 texture"},
        {"three bytes", QByteArray("abc"), "Read beyond end of file"},
    };

    M32Fields good;
    good.name = "good";
    good.flags = 77;
    good.level(1, 2, 1, 968);
    const QString goodPath = test::writeTempFile("good.m32", Bytes(test::m32Header(good)).u8s({10, 20, 30, 255, 40, 50, 60, 0}));
    TextureDocument d;
    d.open(goodPath);
    HeaderTexts typed = d.texts();
    typed.value = "typed";
    d.setTexts(typed);
    d.editPixels(1, QRect(0, 0, 2, 1), [](QImage& image, QImage& alpha) {
        image.fill(qRgb(1, 2, 3));
        alpha.fill(9);
    });
    const QImage image1 = d.levelImage(1), image2 = d.levelImage(2), alpha1 = d.alphaPlane(1), alpha2 = d.alphaPlane(2);
    const M32Header header = d.header();
    const HeaderTexts texts = d.texts();

    QString file;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        try {
            file = test::writeTempFile(QString::fromLatin1(r.name).replace(' ', '-') + ".m32", r.bytes);
            d.open(file);
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(r.message).replace(QStringLiteral("PATH"), file));
        }
        EXPECT_EQ(std::memcmp(&d.header(), &header, sizeof header), 0);
        EXPECT_EQ(d.texts(), texts);
        EXPECT_EQ(d.currentFile(), goodPath);
        EXPECT_EQ(d.levelEntries(), QStringList{"2 * 1"});
        EXPECT_EQ(d.levelImage(1), image1);
        EXPECT_EQ(d.levelImage(2), image2);
        EXPECT_EQ(d.alphaPlane(1), alpha1);
        EXPECT_EQ(d.alphaPlane(2), alpha2);
        EXPECT_FALSE(d.hasLevelImage(3));
    }

    // Odd but valid: a version no writer of ours stores, behind a level table that fits the
    // file, still opens.
    M32Fields odd;
    odd.version = 0x474E5089;
    odd.level(1, 1, 1, 968);
    d.open(test::writeTempFile("odd.m32", Bytes(test::m32Header(odd)).u8s({1, 2, 3, 4})));
    EXPECT_EQ(d.header().version, 0x474E5089);
    EXPECT_EQ(d.levelCount(), 1);
}

TEST(TextureDocument, MissingAndUnreadableFiles)
{
    const QString dir = QFileInfo(tempPath("x")).absolutePath();
    struct Row {
        QString path;
        const char* message;
    } rows[] = {
        {dir + "/no-such-file.m32", "File not found"},
        {dir + "/no-such-dir/a.m32", "Invalid filename"},
        {"", "File not found"},
    };
    TextureDocument d;
    for (const Row& r : rows) {
        try {
            d.open(r.path);
            ADD_FAILURE() << "opened " << r.path.toStdString();
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), r.message) << r.path.toStdString();
        }
        EXPECT_TRUE(d.currentFile().isEmpty());
    }
}

TEST(TextureDocument, WhatIsNotARegularFileOrIsTooLargeIsRefusedBeforeItIsRead)
{
    QTemporaryDir dir;
    std::vector<std::pair<QString, QString>> rows{{dir.path(), dir.path() + " is not a regular file"}};
    for (const test::hostile::SpecialFile& f : test::hostile::specialFiles(dir.path(), "x.m32"))
        rows.emplace_back(f.path, f.path + " is not a regular file");
    // One byte more than the header and sixteen 1024 x 1024 levels.
    const QString big = test::hostile::sparseFile(dir.filePath("big.m32"), 968 + 16 * 4194304LL + 1);
    rows.emplace_back(big, big + " is 67109833 bytes, more than a texture can hold (67109832)");
    TextureDocument d;
    Bytes one = test::m32Header(M32Fields().level(1, 1, 1, 968));
    one.u8s({1, 2, 3, 255});
    d.open(test::writeTempFile("kept.m32", one));
    const QString kept = d.currentFile();
    for (const auto& [path, message] : rows) {
        try {
            d.open(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), message);
        }
        EXPECT_EQ(d.currentFile(), kept);
        EXPECT_EQ(d.levelCount(), 1);
        EXPECT_THROW(readM32Header(path), Error) << path.toStdString();
    }
}

TEST(TextureDocument, LevelsOutsideALeadingRunAreReadFromTheirOwnOffsets)
{
    // Levels 2 and 5 present (1, 3, 4 absent), level 5's data first in the file.
    Bytes b = test::m32Header(M32Fields().level(2, 2, 2, 968 + 4).level(5, 1, 1, 968));
    b.u8s({9, 8, 7, 255});
    for (int i = 0; i < 4; ++i) b.u8s({i, i, i, 255});
    TextureDocument d;
    d.open(test::writeTempFile("scattered.m32", b));
    ASSERT_EQ(d.levelCount(), 2);
    EXPECT_EQ(d.levelEntries(), QStringList({"2 * 2", "1 * 1"}));
    EXPECT_EQ(d.levelSize(1), QSize(2, 2));
    EXPECT_EQ(d.levelSize(2), QSize(1, 1));
    EXPECT_EQ(d.header().offsets[0], 968);
    EXPECT_EQ(d.header().offsets[1], 968 + 16);
    EXPECT_EQ(d.header().offsets[4], 0);
    EXPECT_EQ(shownAt(d, 1, 1, 1), qRgb(3, 3, 3) & 0xFFFFFF);
    EXPECT_EQ(shownAt(d, 2, 0, 0), qRgb(9, 8, 7) & 0xFFFFFF);

    const QString out = tempPath("scattered-out.m32");
    d.save(out);
    const QByteArray bytes = readAll(out);
    EXPECT_EQ(bytes.size(), 968 + 16 + 4);
    EXPECT_EQ(bytes.mid(968 + 12, 4), QByteArray("\3\3\3\xff", 4));
    EXPECT_EQ(bytes.mid(968 + 16, 4), QByteArray("\x9\x8\x7\xff", 4));
}

TEST(TextureDocument, NewAfterANineLevelFileThenSevenLevels)
{
    M32Fields nine;
    int at = 968;
    for (int k = 1, side = 256; k <= 9; ++k, side /= 2) {
        nine.level(k, side, side, at);
        at += side * side * 4;
    }
    Bytes file = test::m32Header(nine);
    file.fill(at - 968, 0x80);
    TextureDocument d;
    d.open(test::writeTempFile("nine.m32", file));
    ASSERT_EQ(d.levelCount(), 9);

    d.newDocument();
    EXPECT_EQ(d.levelCount(), 0);
    EXPECT_TRUE(d.currentFile().isEmpty());
    EXPECT_FALSE(d.hasLevelImage(1)); // no slot keeps pixels without a level
    for (int k = 1, side = 64; k <= 7; ++k, side /= 2) d.appendLevel(side, side, QStringLiteral("%1x%1").arg(side));
    const QString out = tempPath("seven.m32");
    d.save(out);
    const QByteArray bytes = readAll(out);
    int expected = 968;
    for (int side = 64; side >= 1; side /= 2) expected += side * side * 4;
    EXPECT_EQ(bytes.size(), expected);
    EXPECT_NE(i32At(bytes, test::kOffsetsAt + 6 * 4), 0);
    EXPECT_EQ(i32At(bytes, test::kOffsetsAt + 7 * 4), 0);
    EXPECT_EQ(i32At(bytes, test::kOffsetsAt + 8 * 4), 0);
}

TEST(TextureDocument, RemovingALevelMovesTheLaterOnesDown)
{
    TextureDocument d;
    d.appendLevel(256, 256, "256x256");
    d.appendLevel(128, 128, "128x128", 100);
    d.appendLevel(64, 64, "64x64", 50);
    paintPixel(d, 3, 0, 0, qRgb(1, 2, 3));
    d.setCurrentLevel(3);

    d.removeLevel(2);
    EXPECT_EQ(d.levelCount(), 2);
    EXPECT_EQ(d.levelEntries(), QStringList({"256x256", "64x64"}));
    EXPECT_EQ(d.levelSize(2), QSize(64, 64));
    EXPECT_EQ(d.header().offsets[0], 968);
    EXPECT_EQ(d.header().offsets[1], 968 + 262144);
    EXPECT_EQ(d.header().offsets[2], 0);
    EXPECT_EQ(shownAt(d, 2, 0, 0), qRgb(1, 2, 3) & 0xFFFFFF);
    EXPECT_EQ(alphaAt(d, 2, 0, 0), 50);
    EXPECT_EQ(d.currentLevel(), 1);

    d.removeLevel(2);
    d.removeLevel(1);
    EXPECT_EQ(d.levelCount(), 0);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(d.header().offsets[k], 0);
    EXPECT_THROW(d.removeLevel(1), std::out_of_range);
}

TEST(TextureDocument, AppendKeepsToTheLimits)
{
    TextureDocument d;
    EXPECT_THROW(d.appendLevel(1025, 1, "x"), Error);
    EXPECT_THROW(d.appendLevel(1, -1, "x"), Error);
    for (int k = 1; k <= 16; ++k) d.appendLevel(1, 1, "1x1");
    EXPECT_THROW(d.appendLevel(1, 1, "1x1"), Error);
    EXPECT_EQ(d.levelCount(), 16);
    EXPECT_EQ(d.header().offsets[15], 968 + 15 * 4);
}

// A write that fails part way leaves the old file whole and reports the failure.
TEST(TextureDocument, FailedSaveKeepsTheFileItWouldReplace)
{
    const QString path = tempPath("keep.m32");
    TextureDocument small;
    small.save(path);
    const QByteArray before = readAll(path);
    ASSERT_EQ(before.size(), 968);

    TextureDocument big;
    big.appendLevel(256, 256, "256x256");
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 100000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    QByteArray message;
    try {
        big.save(path);
    } catch (const Error& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(message, "Disk full");
    EXPECT_EQ(readAll(path), before);
    EXPECT_TRUE(big.currentFile().isEmpty()); // not renamed to a file that does not hold it
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).filter("keep").size(), 1);

    try {
        big.save(tempPath("missing-dir/x.m32"));
        ADD_FAILURE() << "saved";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid filename");
    }
}

// Rows of alpha 255, of one other alpha, of mixed alphas and of alpha 0 each take their own path
// through open and save; a level taller than the read window is read in pieces, and a reopened
// document reads into the memory it has. Every pixel must still be the table's, both ways.
TEST(TextureDocument, EveryKindOfRowOpensAndSavesByTheTables)
{
    constexpr int w = 1024, h = 21;
    const auto alphaOf = [](int x, int y) { return y % 4 == 0 ? 255 : y % 4 == 1 ? 77 : y % 4 == 2 ? (x * 37) & 0xFF : 0; };
    const auto channel = [](int x, int y, int c) { return (x * 7 + y * 13 + c * 101) & 0xFF; };
    Bytes file = test::m32Header(M32Fields().level(1, w, h, 968).level(2, 3, 1, 968 + 4 * w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) file.u8s({channel(x, y, 0), channel(x, y, 1), channel(x, y, 2), alphaOf(x, y)});
    file.u8s({1, 2, 3, 255, 4, 5, 6, 128, 7, 8, 9, 200});
    const QString path = test::writeTempFile("row-kinds.m32", file);
    const Composition& c = composition();

    TextureDocument d;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "fresh document" : "reopened");
        d.open(path);
        int wrong = 0;
        for (int y = 0; y < h && wrong < 5; ++y)
            for (int x = 0; x < w && wrong < 5; ++x) {
                const std::uint8_t* shown = c.shown[alphaOf(x, y)];
                const QRgb want = qRgb(shown[channel(x, y, 0)], shown[channel(x, y, 1)], shown[channel(x, y, 2)]);
                if (shownAt(d, 1, x, y) != (want & 0xFFFFFF) || alphaAt(d, 1, x, y) != alphaOf(x, y)) {
                    ADD_FAILURE() << "pixel " << x << "," << y;
                    ++wrong;
                }
            }
        EXPECT_EQ(shownAt(d, 2, 1, 0), qRgb(c.shown[128][4], c.shown[128][5], c.shown[128][6]) & 0xFFFFFF);
    }

    const QByteArray saved = d.saveToBytes();
    ASSERT_EQ(saved.size(), file.size());
    int wrong = 0;
    for (qsizetype i = 968; i < saved.size() && wrong < 5; i += 4) {
        const int a = std::uint8_t(file.data()[i + 3]);
        for (int k = 0; k < 3; ++k) {
            const int want = c.stored[a][c.shown[a][std::uint8_t(file.data()[i + k])]];
            if (std::uint8_t(saved[i + k]) != want || std::uint8_t(saved[i + 3]) != a) {
                ADD_FAILURE() << "byte " << i + k << ": " << int(std::uint8_t(saved[i + k])) << ", not " << want;
                ++wrong;
            }
        }
    }
}

TEST(TextureDocument, OpenedFileSavesAsTheSameBytes)
{
    M32Fields s;
    s.name = "brick";
    s.flags = 5;
    s.scale_x = 0.5f;
    s.dt_v = 0.1f;
    s.level(1, 2, 2, 968).level(2, 1, 1, 968 + 16);
    Bytes b = test::m32Header(s);
    b.u8s({0, 0, 0, 255, 255, 255, 255, 255, 1, 2, 3, 255, 0, 0, 0, 0, 5, 6, 7, 255});
    TextureDocument d;
    d.open(test::writeTempFile("brick.m32", b));
    EXPECT_EQ(d.saveToBytes(), b.data());
}

// Everything the document announces, in order, as short words.
struct Announcements {
    explicit Announcements(TextureDocument& d)
    {
        QObject::connect(&d, &TextureDocument::levelsChanged, [this] { log << "levels"; });
        QObject::connect(&d, &TextureDocument::pixelsChanged, [this](int level, const QRect& r) {
            log << QStringLiteral("pixels %1 %2,%3 %4x%5").arg(level).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        });
        QObject::connect(&d, &TextureDocument::currentLevelChanged, [this](int level) { log << QStringLiteral("current %1").arg(level); });
        QObject::connect(&d, &TextureDocument::fileChanged, [this] { log << "file"; });
        QObject::connect(&d, &TextureDocument::textsChanged, [this] { log << "texts"; });
    }
    QStringList take() { return std::exchange(log, {}); }
    QStringList log;
};

TEST(TextureDocument, PixelsWrittenThroughTheDocumentAreAnnouncedWithTheirRectangle)
{
    TextureDocument d;
    d.appendLevel(8, 4, "8x4");
    Announcements seen(d);

    d.editPixels(1, QRect(2, 1, 3, 2), [](QImage& image, QImage& alpha) {
        for (int y = 1; y < 3; ++y)
            for (int x = 2; x < 5; ++x) {
                image.setPixel(x, y, qRgb(10, 20, 30));
                alpha.scanLine(y)[x] = 7;
            }
    });
    EXPECT_EQ(seen.take(), QStringList{"pixels 1 2,1 3x2"});
    EXPECT_EQ(shownAt(d, 1, 4, 2), qRgb(10, 20, 30) & 0xFFFFFF);
    EXPECT_EQ(alphaAt(d, 1, 2, 1), 7);
    EXPECT_EQ(shownAt(d, 1, 5, 2), 0xFFFFFFu);

    // A rectangle reaching past the level is announced as far as the level goes; one wholly
    // outside it is not announced at all.
    d.editPixels(1, QRect(6, -2, 10, 4), [](QImage&, QImage&) {});
    d.editPixels(1, QRect(20, 20, 2, 2), [](QImage&, QImage&) {});
    EXPECT_EQ(seen.take(), QStringList{"pixels 1 6,0 2x2"});

    // Whole-level replacement, as undo does it; another size is the caller's fault.
    QImage colour(8, 4, QImage::Format_RGB32);
    colour.fill(qRgb(1, 1, 1));
    d.setLevelPixels(1, colour);
    EXPECT_EQ(seen.take(), QStringList{"pixels 1 0,0 8x4"});
    EXPECT_EQ(shownAt(d, 1, 7, 3), qRgb(1, 1, 1) & 0xFFFFFF);
    EXPECT_EQ(alphaAt(d, 1, 2, 1), 7); // the plane kept
    EXPECT_THROW(d.setLevelPixels(1, QImage(4, 4, QImage::Format_RGB32)), std::invalid_argument);
    EXPECT_THROW(d.editPixels(2, QRect(0, 0, 1, 1), [](QImage&, QImage&) {}), std::out_of_range);
    EXPECT_TRUE(seen.take().isEmpty());
}

TEST(TextureDocument, AnnouncesLevelsFileCurrentLevelAndTexts)
{
    TextureDocument d;
    Announcements seen(d);
    d.appendLevel(4, 4, "4x4");
    d.appendLevel(2, 2, "2x2");
    EXPECT_EQ(seen.take(), QStringList({"levels", "levels"}));
    d.setCurrentLevel(2);
    EXPECT_EQ(seen.take(), QStringList{"current 2"});
    HeaderTexts texts;
    texts.name = "wall";
    d.setTexts(texts);
    EXPECT_EQ(seen.take(), QStringList{"texts"});

    const QString path = tempPath("announced.m32");
    d.save(path);
    EXPECT_EQ(seen.take(), QStringList{"file"});
    d.removeLevel(1);
    EXPECT_EQ(seen.take(), QStringList({"levels", "current 1"}));
    d.open(path);
    EXPECT_EQ(seen.take(), QStringList({"levels", "texts", "file", "current 1"}));
    EXPECT_EQ(d.texts().name, "wall");

    // A file that fails to open announces nothing, and neither does a failed save.
    EXPECT_THROW(d.open(test::writeTempFile("short.m32", QByteArray(10, '\0'))), Error);
    EXPECT_THROW(d.save(tempPath("no-such-dir/x.m32")), Error);
    EXPECT_TRUE(seen.take().isEmpty());

    d.newDocument();
    EXPECT_EQ(seen.take(), QStringList({"levels", "texts", "file"}));
}

// The document knows whether it has changes since its last open, New or save: every change of
// pixels, levels or texts sets it, and only a change of the state itself is announced.
TEST(TextureDocument, KnowsWhetherItHasChangesSinceItsLastOpenNewOrSave)
{
    TextureDocument d;
    // A std::vector: comparing two empty QList<bool> hands memcmp a null pointer.
    std::vector<bool> announced;
    QObject::connect(&d, &TextureDocument::modifiedChanged, [&](bool m) { announced.push_back(m); });
    EXPECT_FALSE(d.isModified());
    const QString path = tempPath("modified.m32");
    HeaderTexts named;
    named.name = "wall";
    struct Row {
        const char* step;
        std::function<void()> run;
        bool modified;
    } rows[] = {
        {"append", [&] { d.appendLevel(4, 4, "4x4"); }, true},
        {"save", [&] { d.save(path); }, false},
        {"the same texts", [&] { d.setTexts(d.texts()); }, false},
        {"a current level", [&] { d.setCurrentLevel(1); }, false},
        {"an edit outside the level", [&] { d.editPixels(1, QRect(9, 9, 2, 2), [](QImage&, QImage&) {}); }, false},
        {"texts", [&] { d.setTexts(named); }, true},
        {"open", [&] { d.open(path); }, false},
        {"pixels", [&] { d.editPixels(1, QRect(0, 0, 1, 1), [](QImage& i, QImage&) { i.setPixel(0, 0, 0); }); }, true},
        {"a failed open", [&] { EXPECT_THROW(d.open(tempPath("missing.m32")), Error); }, true},
        {"a failed save", [&] { EXPECT_THROW(d.save(tempPath("no-such-dir/x.m32")), Error); }, true},
        {"New", [&] { d.newDocument(); }, false},
        {"append again", [&] { d.appendLevel(2, 2, "2x2"); }, true},
        {"New as at start", [&] { d.newBlankDocument(); }, false},
        {"reopen", [&] { d.open(path); }, false},
        {"whole pixels", [&] { d.setLevelPixels(1, d.levelImage(1).copy()); }, true},
        {"the bytes of a save", [&] { d.saveToBytes(); }, true},
        {"save as", [&] { d.save(tempPath("other.m32")); }, false},
        {"remove", [&] { d.removeLevel(1); }, true},
    };
    for (const Row& r : rows) {
        const bool before = d.isModified();
        announced.clear();
        r.run();
        EXPECT_EQ(d.isModified(), r.modified) << r.step;
        EXPECT_EQ(announced, before == r.modified ? std::vector<bool>() : std::vector<bool>{r.modified}) << r.step;
    }
}

// Each level's image and plane are of the level's own size; a slot without a level holds none.
TEST(TextureDocument, LevelImagesHoldTheLevelsOwnSize)
{
    Bytes b = test::m32Header(M32Fields().level(1, 64, 16, 968).level(2, 1, 1, 968 + 4096));
    b.fill(4096 + 4, 0x40);
    TextureDocument d;
    d.open(test::writeTempFile("own-size.m32", b));
    EXPECT_EQ(d.levelImage(1).size(), QSize(64, 16));
    EXPECT_EQ(d.alphaPlane(1).size(), QSize(64, 16));
    EXPECT_EQ(d.levelImage(1).format(), QImage::Format_RGB32);
    EXPECT_EQ(d.alphaPlane(1).format(), QImage::Format_Grayscale8);
    EXPECT_EQ(d.levelImage(2).size(), QSize(1, 1));
    EXPECT_FALSE(d.hasLevelImage(3));

    // Reopening the same file holds no more memory than before: the old images (5 KB here)
    // go back to the heap for the next open. A few bytes of bookkeeping may come and go.
    d.open(d.currentFile());
    const std::size_t held = heapBytesInUse();
    for (int i = 0; i < 3; ++i) d.open(d.currentFile());
    EXPECT_LT(heapBytesInUse(), held + 1024);

    d.removeLevel(1);
    EXPECT_EQ(d.levelImage(1).size(), QSize(1, 1));
    EXPECT_FALSE(d.hasLevelImage(2));
    EXPECT_FALSE(d.hasAlphaPlane(2));

    // A level of no pixels has no image and saves as no bytes.
    d.appendLevel(0, 5, "0x5");
    EXPECT_FALSE(d.hasLevelImage(2));
    EXPECT_EQ(d.saveToBytes().size(), 968 + 4);
}

} // namespace
} // namespace quorvel
