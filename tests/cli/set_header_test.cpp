// quorvel-cli set-header, run as a user runs it: the bytes of the named fields change and no
// other byte of the file does; a text that is not a number changes nothing; a failing file is
// passed over and reported.
#include "tests/cli/CliRun.h"
#include "tests/document/M32Bytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using test::Bytes;
using test::CliRun;
using test::M32Fields;
using test::runCli;

// A texture whose every byte would change if it were re-encoded instead of patched: version 7,
// reserved bytes set, bytes after the NUL of a name, stored pixels that a load and save would
// round differently, and an alpha-0 pixel that still holds a colour.
QByteArray texture()
{
    M32Fields s;
    s.version = 7;
    s.name = QByteArray("old\0kept", 8);
    s.flags = 7;
    s.scale_x = 1.234f;
    s.dt_u = 0.5f;
    s.reserved = QByteArray(72, '\x5a');
    s.widths[5] = 99; // an absent level's size
    s.level(1, 2, 2, 968);
    Bytes b = test::m32Header(s);
    b.u8s({200, 100, 50, 128, 77, 88, 99, 0, 255, 255, 255, 128, 1, 2, 3, 4});
    return b.data();
}

QByteArray le32(std::uint32_t v)
{
    return Bytes().u32(v).data();
}
QByteArray leFloat(float v)
{
    return Bytes().f32(v).data();
}
QByteArray nameBytes(const QByteArray& text)
{
    return text + QByteArray(128 - text.size(), '\0');
}

// `before` with `bytes` put at `at`.
QByteArray patched(QByteArray before, qsizetype at, const QByteArray& bytes)
{
    before.replace(at, bytes.size(), bytes);
    return before;
}

TEST(SetHeader, ChangesExactlyTheNamedFieldsBytes)
{
    const QByteArray original = texture();
    const QByteArray longName(128, 'L');
    struct Row {
        QStringList options;
        QByteArray expected;
    } rows[] = {
        {{"--flags", "$1000"}, patched(original, 708, le32(4096))},
        {{"--contents", "  -12"}, patched(original, 712, le32(std::uint32_t(-12)))},
        {{"--value", ""}, original}, // empty is 0, as it already was
        {{"--mip-scale", "+3"}, patched(original, 728, le32(3))},
        {{"--scale-x", "0.1"}, patched(original, 720, leFloat(0.1f))},
        {{"--scale-y", "-2.5e1"}, patched(original, 724, leFloat(-25.0f))},
        {{"--dt-alpha", "1E-3"}, patched(original, 876, leFloat(0.001f))},
        {{"--damage-health", "75"}, patched(original, 892, leFloat(75.0f))},
        {{"--detail-src", "2"}, patched(original, 880, le32(2))},
        {{"--detail-dst", "-1"}, patched(original, 884, le32(0xFFFFFFFF))},
        {{"--detail-flags", "$FFFFFFFF"}, patched(original, 888, le32(0xFFFFFFFF))},
        {{"--detail-scale-x", "0.25"}, patched(original, 860, leFloat(0.25f))},
        {{"--detail-scale-y", "4"}, patched(original, 864, leFloat(4.0f))},
        {{"--dt-u", "0"}, patched(original, 868, leFloat(0.0f))},
        {{"--dt-v", "3.5"}, patched(original, 872, leFloat(3.5f))},
        // A name loses what followed its NUL, as a save from the properties window does.
        {{"--name", "old"}, patched(original, 4, nameBytes("old"))},
        {{"--substitution-name", "caf\u00e9"}, patched(original, 132, nameBytes("caf\xe9"))},
        {{"--next-frame-name", "frame2"}, patched(original, 260, nameBytes("frame2"))},
        {{"--damaged-name", "broken"}, patched(original, 388, nameBytes("broken"))},
        {{"--detail-name", QString::fromLatin1(longName)}, patched(original, 732, longName)},
        // Several at once, the last text of a field named twice winning.
        {{"--flags", "1", "--value", "9", "--flags", "2", "--name", ""},
         patched(patched(patched(original, 708, le32(2)), 716, le32(9)), 4, nameBytes(""))},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options.join(' ').toStdString());
        const QString file = test::writeFile(dir, "t.m32", original);
        const CliRun run = runCli(QStringList{"set-header"} + r.options + QStringList{file});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(test::readAll(file).toHex(), r.expected.toHex());
    }
}

TEST(SetHeader, RefusesATextItsFieldCannotHoldAndChangesNoFile)
{
    const QByteArray original = texture();
    struct Row {
        QStringList options;
        const char* message;
    } rows[] = {
        {{"--flags", "12abc"}, "--flags \"12abc\": is not a whole number"},
        {{"--value", "4294967296"}, "--value \"4294967296\": is not a whole number"},
        {{"--scale-y", "1,5"}, "--scale-y \"1,5\": is not a number"},
        {{"--dt-u", "e5"}, "--dt-u \"e5\": is not a number"},
        // A good text beside a bad one is not written either.
        {{"--contents", "5", "--mip-scale", "two"}, "--mip-scale \"two\": is not a whole number"},
        {{"--name", QString(129, u'n')}, "a name holds at most 128 characters"},
        {{"--detail-name", QString::fromUtf8("\u20ac\u4e00")}, "Windows-1252"},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options.join(' ').toStdString());
        const QString first = test::writeFile(dir, "a.m32", original);
        const QString second = test::writeFile(dir, "b.m32", original);
        const CliRun run = runCli(QStringList{"set-header"} + r.options + QStringList{first, second});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(r.message)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("no file was changed")) << run.err.toStdString();
        EXPECT_EQ(test::readAll(first), original);
        EXPECT_EQ(test::readAll(second), original);
    }
}

TEST(SetHeader, GoesOnPastAFileThatFailsAndExitsOne)
{
    QTemporaryDir dir;
    const QByteArray original = texture();
    const QByteArray truncated = original.left(968 + 8); // its level ends early
    const QString good1 = test::writeFile(dir, "good1.m32", original);
    const QString shortFile = test::writeFile(dir, "short.m32", QByteArray(100, 'x'));
    const QString broken = test::writeFile(dir, "broken.m32", truncated);
    const QString missing = dir.filePath("missing.m32");
    const QString good2 = test::writeFile(dir, "good2.m32", original);
    const CliRun run = runCli({"set-header", "--flags", "4096", good1, shortFile, missing, broken, good2});
    EXPECT_EQ(run.status, 1);
    const QByteArray expected = patched(original, 708, le32(4096));
    EXPECT_EQ(test::readAll(good1), expected);
    EXPECT_EQ(test::readAll(good2), expected);
    EXPECT_EQ(test::readAll(shortFile), QByteArray(100, 'x'));
    EXPECT_EQ(test::readAll(broken), truncated);
    EXPECT_EQ(test::readAll(missing), "(missing)");
    // Text is plainly no texture: the message says so.
    EXPECT_TRUE(run.err.contains((shortFile + " is not an m32 texture\n").toUtf8())) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains((shortFile + ": " + shortFile).toUtf8())) << run.err.toStdString(); // named once
    EXPECT_TRUE(run.err.contains((missing + ": File not found\n").toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains((broken + ": Read beyond end of file\n").toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("2 changed, 0 unchanged, 3 failed\n")) << run.out.toStdString();
    // No temporary file is left beside the files.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);

    // A file that cannot be written is reported, its change never shown, and not counted.
    const QString full = test::writeFile(dir, "full.m32", original);
    const CliRun refused = runCli({"set-header", "--flags", "4096", full}, test::fileSizeLimitedTo(512));
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.endsWith((full + ": Disk full\n").toUtf8())) << refused.err.toStdString();
    EXPECT_EQ(refused.out, "0 changed, 0 unchanged, 1 failed\n");
    EXPECT_EQ(test::readAll(full), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);
}

TEST(SetHeader, DryRunShowsWhatWouldChangeAndWritesNothing)
{
    QTemporaryDir dir;
    const QByteArray original = texture();
    const QString file = test::writeFile(dir, "t.m32", original);
    const CliRun run = runCli({"set-header", "--dry-run", "--flags", "$10", "--scale-x", "1.234", "--name", "new", file});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(test::readAll(file), original);
    const QByteArray f = file.toUtf8();
    EXPECT_EQ(run.out.toStdString(), (f + ": flags 7 -> 16\n" + f + ": scale-x 1.234 (unchanged)\n" + f + ": name \"old\" -> \"new\"\n" +
                           "1 would change, 0 unchanged, 0 failed (dry run: nothing written)\n").toStdString());
}

TEST(SetHeader, UsageErrorsExitTwo)
{
    QTemporaryDir dir;
    const QString file = test::writeFile(dir, "t.m32", texture());
    for (const QStringList& args : {QStringList{"set-header", file}, QStringList{"set-header", "--flags", "1"},
                                    QStringList{"set-header", "--colour", "1", file},
                                    QStringList{"set-header", file, "--flags"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("usage: quorvel-cli set-header")) << run.err.toStdString();
        EXPECT_EQ(test::readAll(file), texture());
    }
}

} // namespace
} // namespace quorvel
