// Path parts, dialog directories and where the settings file is kept.
#include "base/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Paths, DirectoryAndNameParts)
{
    struct Row {
        const char* path;
        const char* dir;
        const char* name;
    } rows[] = {
        {"/home/tex/wall.m32", "/home/tex/", "wall.m32"},
        {"wall.m32", "", "wall.m32"},
        {"/wall.m32", "/", "wall.m32"},
        {"/home/tex/", "/home/tex/", ""},
        {"a/b", "a/", "b"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        EXPECT_EQ(dirstr(QString::fromUtf8(r.path)), QString::fromUtf8(r.dir));
        EXPECT_EQ(namestr(QString::fromUtf8(r.path)), QString::fromUtf8(r.name));
    }
}

TEST(Paths, DialogDirectoryKeepsOnlyTheRootsSlash)
{
    EXPECT_EQ(dialogDirectory("/home/tex/"), "/home/tex");
    EXPECT_EQ(dialogDirectory("/home/tex"), "/home/tex");
    EXPECT_EQ(dialogDirectory("/"), "/");
    EXPECT_EQ(dialogDirectory(""), "");
    EXPECT_EQ(dialogDirectory(dirstr("/wall.m32")), "/");
}

TEST(Paths, SettingsFileAndDialogsBesideAWritableProgramElseInTheConfigurationAndTheHome)
{
    QTemporaryDir program, config;
    const QString home = config.path() + "/home";
    EXPECT_EQ(settingsFilePath(program.path(), config.path()), QDir(program.path()).filePath("QUORVEL.INI"));
    EXPECT_EQ(startDirectory(program.path(), home), program.path());
    EXPECT_EQ(settingsFilePath(program.path() + "/", config.path()), QDir(program.path()).filePath("QUORVEL.INI"));

    // An installed copy: its directory cannot be written.
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool readOnly = !QFileInfo(program.path()).isWritable(); // root may write anyway
    if (readOnly) {
        EXPECT_EQ(settingsFilePath(program.path(), config.path()), QDir(config.path()).filePath("QUORVEL.INI"));
        // The first Open and Import of an installed copy start in the home, not in bin/.
        EXPECT_EQ(startDirectory(program.path(), home), home);
    }
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(settingsFilePath(program.path() + "/missing", config.path()), QDir(config.path()).filePath("QUORVEL.INI"));
    EXPECT_EQ(startDirectory(program.path() + "/missing", home), home);
}

} // namespace
} // namespace quorvel
