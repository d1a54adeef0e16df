// QUORVEL.INI: reading by line position with the runtime's line rules, writing the fourteen
// lines, the first start without a file, and the recent-file list; and the rule every settings
// store keeps: what cannot be read gives the defaults, what cannot be written is reported once,
// naming the store, and nothing else changes.
#include "document/SettingsFile.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/SettingsStore.h"
#include "document/HeaderPresets.h"
#include "document/NumberText.h"
#include "tests/support/HostileFiles.h"

#include <QFileInfo>
#include <QSettings>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

namespace quorvel {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(SettingsFile, ReadsValuesByLinePosition)
{
    struct Row {
        const char* what;
        QByteArray bytes;
        Settings expected;
    } rows[] = {
        {"fourteen CR LF lines",
         "OPENDIR\r\n/tex\r\nIMPORTDIR\r\n/img\r\nFILE1\r\n/a.m32\r\nFILE2\r\n/b.m32\r\nFILE3\r\n\r\n"
         "FILE4\r\n/d.m32\r\nFILE5\r\n/e.m32\r\n",
         {"/tex", "/img", {"/a.m32", "/b.m32", "", "/d.m32", "/e.m32"}}},
        {"keys are not compared", "X\r\n/tex\r\nY\r\n/img\r\nZ\r\n/a.m32\r\n",
         {"/tex", "/img", {"/a.m32", "", "", "", ""}}},
        {"five lines: the rest empty", "OPENDIR\r\n/tex\r\nIMPORTDIR\r\n/img\r\nFILE1\r\n",
         {"/tex", "/img", {}}},
        {"CR alone ends a line", "OPENDIR\r/tex\rIMPORTDIR\r/img\r", {"/tex", "/img", {}}},
        {"LF alone ends a line", "OPENDIR\n/tex\r\nIMPORTDIR\r\n/img\r\n", {"/tex", "/img", {}}},
        {"Unix line ends throughout",
         "OPENDIR\n/tex\nIMPORTDIR\n/img\nFILE1\n/a.m32\nFILE2\n\nFILE3\n/c.m32\n",
         {"/tex", "/img", {"/a.m32", "", "/c.m32", "", ""}}},
        {"LF CR is two line ends", "OPENDIR\n\r/tex\r\n/img\r\n", {"", "/img", {}}},
        {"a last line without its CR", "OPENDIR\r\n/tex", {"/tex", "", {}}},
        {"byte 26 ends the file", "OPENDIR\r\n/tex\r\n\x1AIMPORTDIR\r\n/img\r\n", {"/tex", "", {}}},
        {"byte 26 inside a line", "OPENDIR\r\n/te\x1Ax\r\nIMPORTDIR\r\n/img\r\n", {"/te", "", {}}},
        {"empty file", "", {}},
        {"lines after the fourteenth ignored",
         "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n16\r\n",
         {"2", "4", {"6", "8", "10", "12", "14"}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const Settings s = parseSettings(r.bytes);
        EXPECT_EQ(s.openDirectory, r.expected.openDirectory);
        EXPECT_EQ(s.importDirectory, r.expected.importDirectory);
        for (int i = 0; i < kRecentFileCount; ++i) EXPECT_EQ(s.recentFiles[i], r.expected.recentFiles[i]) << i;
    }
}

TEST(SettingsFile, WritesFourteenCrLfLinesThatReadBack)
{
    const Settings s{"/home/tex", "/", {"/home/tex/x.m32", "", "/a b/ü.m32", "", "/e.m32"}};
    const QByteArray bytes = settingsBytes(s);
    EXPECT_EQ(bytes, QByteArray("OPENDIR\r\n/home/tex\r\nIMPORTDIR\r\n/\r\nFILE1\r\n/home/tex/x.m32\r\nFILE2\r\n\r\n"
                                "FILE3\r\n/a b/\xC3\xBC.m32\r\nFILE4\r\n\r\nFILE5\r\n/e.m32\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 14);
    EXPECT_EQ(parseSettings(bytes), s);
}

TEST(SettingsFile, FirstStartCreatesTheFileWithEmptyValues)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("QUORVEL.INI");
    EXPECT_FALSE(readSettingsFile(path).has_value());
    EXPECT_EQ(readAll(path), "OPENDIR\r\n\r\nIMPORTDIR\r\n\r\nFILE1\r\n\r\nFILE2\r\n\r\nFILE3\r\n\r\nFILE4\r\n\r\nFILE5\r\n\r\n");

    writeAll(path, "OPENDIR\r\n/tex\r\n");
    const auto read = readSettingsFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->openDirectory, "/tex");
}

// Collects what the stores report, for one test.
struct Reports {
    QStringList messages;
    Reports() { setStoreProblemSink([this](const QString& m) { messages.append(m); }); }
    ~Reports() { setStoreProblemSink({}); }
};

TEST(SettingsFile, FailuresCarryTheRuntimesMessageNamingTheFile)
{
    QTemporaryDir dir;
    const QString inMissingDir = QDir(dir.path()).filePath("no/QUORVEL.INI");
    {
        Reports reports;
        EXPECT_FALSE(readSettingsFile(inMissingDir).has_value());
        EXPECT_EQ(reports.messages, QStringList{inMissingDir + ": Invalid filename"});
    }
    // A write that fails leaves the file it would replace as it was.
    const QString path = QDir(dir.path()).filePath("QUORVEL.INI");
    writeAll(path, "OPENDIR\r\n/old\r\n");
    Reports reports;
    EXPECT_FALSE(writeSettingsFile(inMissingDir, Settings()));
    EXPECT_FALSE(writeSettingsFile(dir.path(), Settings())); // a directory stands there
    // Each store once: a second failure of the same store says nothing more.
    EXPECT_FALSE(writeSettingsFile(inMissingDir, Settings()));
    EXPECT_EQ(reports.messages, (QStringList{inMissingDir + ": Invalid filename", dir.path() + " is not a regular file"}));
    EXPECT_EQ(readAll(path), "OPENDIR\r\n/old\r\n");
    EXPECT_TRUE(writeSettingsFile(path, Settings{"/tex", "", {}}));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(SettingsFile, WhatIsNotARegularFileOrIsTooLargeGivesTheDefaultsAndIsKept)
{
    QTemporaryDir dir;
    struct Row {
        QString what, path, message;
    };
    std::vector<Row> rows;
    for (const test::hostile::SpecialFile& f : test::hostile::specialFiles(dir.path(), "QUORVEL.INI"))
        rows.push_back({f.what, f.path, f.path + " is not a regular file"});
    const QString big = test::hostile::sparseFile(QDir(dir.path()).filePath("big.INI"), 1024 * 1024 + 1);
    rows.push_back({"over 1 MB", big, big + " is 1048577 bytes, more than a settings file can hold (1048576)"});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what.toStdString());
        const QFileInfo before(r.path);
        Reports reports;
        EXPECT_FALSE(readSettingsFile(r.path).has_value());
        EXPECT_EQ(writeSettingsFile(r.path, Settings{"/tex", "", {}}), r.path == big);
        EXPECT_EQ(reports.messages, QStringList{r.message});
        // The special file stays what it was; only the oversized file is replaced, as a missing
        // one would be.
        const QFileInfo after(r.path);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_EQ(after.isFile(), r.path == big);
        if (r.path == big) {
            EXPECT_LT(after.size(), 1024);
        }
    }
}

TEST(SettingsFile, RecentFilesWithUnixLineEndsOrNamesThatAreNotUtf8SurviveTheRewrite)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("QUORVEL.INI");
    writeAll(path, "OPENDIR\n/tex\nIMPORTDIR\n/img\nFILE1\n/a/caf\xe9.m32\nFILE2\n/b.m32\n");
    const auto read = readSettingsFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(pathBytes(read->recentFiles[0]), QByteArray("/a/caf\xe9.m32"));
    EXPECT_EQ(shownPath(read->recentFiles[0]), "/a/caf\\xe9.m32");
    EXPECT_EQ(read->recentFiles[1], "/b.m32");
    ASSERT_TRUE(writeSettingsFile(path, *read));
    EXPECT_EQ(readAll(path), "OPENDIR\r\n/tex\r\nIMPORTDIR\r\n/img\r\nFILE1\r\n/a/caf\xe9.m32\r\nFILE2\r\n/b.m32\r\n"
                             "FILE3\r\n\r\nFILE4\r\n\r\nFILE5\r\n\r\n");

    // A name holding a line end is written as an empty entry, so no later value moves.
    Settings odd = *read;
    odd.importDirectory = "/img\nnew";
    odd.recentFiles[0] = "/a\rb.m32";
    EXPECT_EQ(settingsBytes(odd), "OPENDIR\r\n/tex\r\nIMPORTDIR\r\n\r\nFILE1\r\n\r\nFILE2\r\n/b.m32\r\n"
                                  "FILE3\r\n\r\nFILE4\r\n\r\nFILE5\r\n\r\n");
}

TEST(HeaderPresets, AStoreBeyondItsLimitsKeepsWhatFitsWithOneReport)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("HeaderPresets.ini");
    const QString name128(128, u'n'), value48(48, u'7');
    struct Row {
        const char* what;
        QByteArray file;
        QStringList names;
        bool reported;
    } rows[] = {
        {"a count far past the presets", "[header_presets]\nsize=2147483647\n1\\name=moss\n", {"moss"}, true},
        {"names and values at their limits",
         "[header_presets]\nsize=1\n1\\name=" + name128.toUtf8() + "\n1\\flags=" + value48.toUtf8() + "\n", {name128}, false},
        {"a name too long", "[header_presets]\nsize=2\n1\\name=" + name128.toUtf8() + "x\n2\\name=b\n", {"b"}, true},
        {"a value too long", "[header_presets]\nsize=1\n1\\name=a\n1\\dt_u=" + value48.toUtf8() + "7\n", {}, true},
        {"not a settings file", "\xff\x00\x01[", {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        writeAll(path, r.file);
        Reports reports;
        const HeaderPresets presets(path);
        EXPECT_EQ(presets.names(), r.names);
        EXPECT_EQ(reports.messages.size(), r.reported ? 1 : 0) << reports.messages.join('\n').toStdString();
        if (r.reported) {
            EXPECT_TRUE(reports.messages[0].startsWith(path + ": ")) << reports.messages[0].toStdString();
        }
    }

    // What was ignored stays in the store when a preset is saved: a later version may read it.
    // The longest number text the program writes (a two-decimal -3.4e38) fits a preset.
    {
        writeAll(path, "[header_presets]\nsize=1002\n1\\name=" + name128.toUtf8() + "x\n2\\name=b\n1001\\name=late\n");
        Reports reports;
        HeaderPresets presets(path);
        HeaderTexts huge;
        huge.scale_x = realTwoDecimals(-std::numeric_limits<float>::max());
        ASSERT_EQ(huge.scale_x.size(), 43);
        presets.save("huge", huge);
        const HeaderPresets again(path);
        EXPECT_EQ(again.names(), (QStringList{"b", "huge", "late"}));
        const std::optional<HeaderTexts> applied = again.applied("huge", HeaderTexts());
        ASSERT_TRUE(applied.has_value());
        EXPECT_EQ(applied->scale_x, huge.scale_x);
        QSettings kept(path, QSettings::IniFormat);
        EXPECT_EQ(kept.value("header_presets/3/name").toString(), name128 + u'x');
    }

    // 1000 kept, the 1001st refused, and nothing of the store changed by the refusals.
    QByteArray many = "[header_presets]\nsize=1000\n";
    for (int i = 1; i <= 1000; ++i) many += QByteArray::number(i) + "\\name=p" + QByteArray::number(i) + "\n";
    writeAll(path, many);
    Reports reports;
    HeaderPresets presets(path);
    EXPECT_EQ(presets.names().size(), 1000);
    EXPECT_THROW(presets.save("one more", HeaderTexts()), Error);
    EXPECT_THROW(presets.save(name128 + u'x', HeaderTexts()), Error);
    EXPECT_EQ(readAll(path), many);
    EXPECT_TRUE(reports.messages.isEmpty());
    presets.save("p7", HeaderTexts()); // replacing one is no new preset
    EXPECT_EQ(HeaderPresets(path).names().size(), 1000);
}

TEST(HeaderPresets, AStoreThatIsNotARegularFileGivesNoPresetsAndIsNotReplaced)
{
    QTemporaryDir dir;
    for (const test::hostile::SpecialFile& f : test::hostile::specialFiles(dir.path(), "HeaderPresets.ini")) {
        SCOPED_TRACE(f.what);
        const QFileInfo before(f.path);
        Reports reports;
        HeaderPresets presets(f.path);
        EXPECT_TRUE(presets.names().isEmpty());
        presets.save("moss", HeaderTexts()); // kept for the run, reported, never written there
        EXPECT_EQ(presets.names(), QStringList{"moss"});
        EXPECT_EQ(reports.messages, QStringList{f.path + " is not a regular file"});
        EXPECT_EQ(QFileInfo(f.path).isSymLink(), before.isSymLink());
        EXPECT_EQ(QFileInfo(f.path).isDir(), before.isDir());
    }
}

TEST(SettingsFile, RecentFilesNewestFirstWithoutSearching)
{
    std::array<QString, kRecentFileCount> list;
    putAtHead(list, "/a.m32");
    putAtHead(list, "/a.m32");
    EXPECT_EQ(list[0], "/a.m32");
    EXPECT_EQ(list[1], "/a.m32");
    EXPECT_EQ(list[2], "");

    for (const char* p : {"/1.m32", "/2.m32", "/3.m32", "/4.m32", "/5.m32", "/6.m32"}) putAtHead(list, p);
    EXPECT_EQ(list, (std::array<QString, kRecentFileCount>{"/6.m32", "/5.m32", "/4.m32", "/3.m32", "/2.m32"}));
}

} // namespace
} // namespace quorvel
