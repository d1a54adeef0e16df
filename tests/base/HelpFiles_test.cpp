// Where the help texts are looked up and how they are read.
#include "base/Error.h"
#include "base/HelpFiles.h"
#include "base/Paths.h"
#include "tests/support/HostileFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(HelpFiles, TheFirstDirectoryHoldingTheFileWinsAndAMissingOneNamesTheFirstPlace)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QDir root(temp.path());
    const QString first = root.filePath("first");
    const QString second = root.filePath("second/"); // a trailing "/" changes nothing
    ASSERT_TRUE(root.mkpath("first") && root.mkpath("second"));
    write(root.filePath("second/both.txt"), "b");
    write(root.filePath("first/both.txt"), "a");
    write(root.filePath("second/late.txt"), "l");
    ASSERT_TRUE(root.mkpath("first/dir.txt")); // a directory of that name is no file
    write(root.filePath("second/dir.txt"), "d");

    struct Row {
        const char* name;
        QString expected;
    } rows[] = {
        {"both.txt", first + "/both.txt"},
        {"late.txt", root.filePath("second/late.txt")},
        {"dir.txt", root.filePath("second/dir.txt")},
        {"none.txt", first + "/none.txt"},
    };
    for (const Row& r : rows) EXPECT_EQ(helpFilePath(r.name, {first, second}).toStdString(), r.expected.toStdString()) << r.name;
}

TEST(HelpFiles, ProgramDirectoryFirstThenTheInstalledShareDirectory)
{
    const QStringList directories = helpDirectories();
    ASSERT_GE(directories.size(), 2);
    EXPECT_EQ(directories.first(), programDirectory());
    EXPECT_TRUE(directories.last().endsWith("/quorvel/")) << directories.last().toStdString();
    EXPECT_EQ(directories.at(1), QDir::cleanPath(programDirectory() + "../share/quorvel") + "/");
}

TEST(HelpFiles, TextsComeOutAsLinesAndUnreadableFilesRaiseTheFileMessage)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QDir root(temp.path());
    struct Row {
        QByteArray bytes;
        const char* text;
    } rows[] = {
        {"", ""},
        {"one\ntwo\n", "one\ntwo"},
        {"one\r\ntwo\r\n\r\n", "one\ntwo\n"},
        {"old\rmac", "old\nmac"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
    };
    for (const Row& r : rows) {
        const QString file = root.filePath("t.txt");
        write(file, r.bytes);
        EXPECT_EQ(readHelpText(file).toStdString(), r.text) << r.bytes.toStdString();
    }
    std::vector<std::pair<QString, QString>> bad{{root.filePath("missing.txt"), "Cannot open file " + root.filePath("missing.txt")},
                                                 {root.path(), root.path() + " is not a regular file"}};
    for (const test::hostile::SpecialFile& f : test::hostile::specialFiles(root.path(), "help.txt"))
        bad.emplace_back(f.path, f.path + " is not a regular file");
    const QString big = test::hostile::sparseFile(root.filePath("big.txt"), 1024 * 1024 + 1);
    bad.emplace_back(big, big + " is 1048577 bytes, more than a help text can hold (1048576)");
    for (const auto& [path, message] : bad) {
        try {
            readHelpText(path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.message().toStdString(), message.toStdString());
        }
    }
}

} // namespace
} // namespace quorvel
