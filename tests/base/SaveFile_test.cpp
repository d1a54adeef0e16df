// Saving whole or not at all: what each kind of failure says in either set of messages, and that
// no failure touches the file that was there or leaves a temporary file beside it.
#include "base/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace quorvel {
namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "(unreadable)";
    return file.readAll();
}

// What a save raised ("" for none).
QByteArray messageOf(const QString& path, SaveMessages messages, const std::function<void(QIODevice&)>& write)
{
    try {
        saveWhole(path, messages, write);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

TEST(SaveFile, WritesTheWholeFileInPlaceOfTheOld)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.bin");
    for (SaveMessages messages : {SaveMessages::Runtime, SaveMessages::PictureLayer}) {
        saveWhole(path, messages, [](QIODevice& file) {
            writeAll(file, "old contents", 12);
        });
        saveWhole(path, messages, [](QIODevice& file) {
            writeAll(file, QByteArray("new"));
            writeAll(file, "", 0);
            writeAll(file, QByteArray(70000, 'x'));
        });
        EXPECT_EQ(readAll(path), QByteArray("new").append(70000, 'x'));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.bin"});
}

TEST(SaveFile, FailuresInEitherSetOfMessagesLeaveTheOldFile)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("keep.bin");
    const QString missingDir = dir.filePath("no-such-dir/x.bin");
    const auto writeSome = [](QIODevice& file) { writeAll(file, "abc", 3); };
    const auto writeThenFail = [](int errorNumber) {
        return [errorNumber](QIODevice& file) {
            writeAll(file, "half", 4);
            throw WriteFailure(errorNumber);
        };
    };
    const auto writeThenRefuse = [](QIODevice& file) {
        writeAll(file, "half", 4);
        throw Error("Bitmap image is not valid");
    };
    struct Row {
        const char* name;
        QString path;
        SaveMessages messages;
        std::function<void(QIODevice&)> write;
        QByteArray message;
    } rows[] = {
        {"runtime: missing directory", missingDir, SaveMessages::Runtime, writeSome, "Invalid filename"},
        {"runtime: a directory", dir.path(), SaveMessages::Runtime, writeSome, "File access denied"},
        {"runtime: no name", "", SaveMessages::Runtime, writeSome, "File not found"},
        {"runtime: disk full", existing, SaveMessages::Runtime, writeThenFail(ENOSPC), "Disk full"},
        {"runtime: file too large", existing, SaveMessages::Runtime, writeThenFail(EFBIG), "Disk full"},
        {"runtime: other reason", existing, SaveMessages::Runtime, writeThenFail(EIO), "I/O error 5"},
        {"runtime: no reason given", existing, SaveMessages::Runtime, writeThenFail(0), "I/O error 5"},
        {"runtime: writer's own error", existing, SaveMessages::Runtime, writeThenRefuse, "Bitmap image is not valid"},
        {"picture: missing directory", missingDir, SaveMessages::PictureLayer, writeSome,
         "Cannot create file " + missingDir.toUtf8()},
        {"picture: a directory", dir.path(), SaveMessages::PictureLayer, writeSome,
         "Cannot create file " + dir.path().toUtf8()},
        {"picture: no name", "", SaveMessages::PictureLayer, writeSome, "Cannot create file "},
        {"picture: short write", existing, SaveMessages::PictureLayer, writeThenFail(EIO), "Disk full"},
        {"picture: writer's own error", existing, SaveMessages::PictureLayer, writeThenRefuse,
         "Bitmap image is not valid"},
    };
    for (const Row& r : rows) {
        saveWhole(existing, SaveMessages::Runtime, [](QIODevice& file) { writeAll(file, "before", 6); });
        EXPECT_EQ(messageOf(r.path, r.messages, r.write), r.message) << r.name;
        EXPECT_EQ(readAll(existing), "before") << r.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bin"}) << r.name;
        EXPECT_FALSE(QFileInfo::exists(missingDir)) << r.name;
    }
}

TEST(SaveFile, AStreamThatRefusesBytesIsDiskFull)
{
    QBuffer closed;
    try {
        writeAll(closed, QByteArray("abc"));
        ADD_FAILURE() << "written";
    } catch (const WriteFailure& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
}

} // namespace
} // namespace quorvel
