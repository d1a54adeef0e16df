// QUORVEL.INI: reading by line position with the runtime's line rules, writing the fourteen
// lines, the first start without a file, and the recent-file list.
#include "document/SettingsFile.h"
#include "base/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
        {"LF alone ends nothing", "OPENDIR\n/tex\r\nIMPORTDIR\r\n/img\r\n", {"IMPORTDIR", "", {}}},
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

TEST(SettingsFile, FailuresCarryTheRuntimesMessage)
{
    QTemporaryDir dir;
    const QString inMissingDir = QDir(dir.path()).filePath("no/QUORVEL.INI");
    try {
        readSettingsFile(inMissingDir);
        FAIL() << "read of an uncreatable file succeeded";
    } catch (const Error& e) {
        EXPECT_FALSE(e.message().isEmpty());
    }
    // A write that fails leaves the file it would replace as it was.
    const QString path = QDir(dir.path()).filePath("QUORVEL.INI");
    writeAll(path, "OPENDIR\r\n/old\r\n");
    EXPECT_THROW(writeSettingsFile(QDir(dir.path()).filePath("no/QUORVEL.INI"), Settings()), Error);
    EXPECT_THROW(writeSettingsFile(dir.path(), Settings()), Error); // a directory stands there
    EXPECT_EQ(readAll(path), "OPENDIR\r\n/old\r\n");
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
