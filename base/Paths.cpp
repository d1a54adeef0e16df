#include "base/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel {

namespace {
const QString kSettingsFileName = QStringLiteral("QUORVEL.INI");
}

QString dirstr(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString namestr(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString dialogDirectory(const QString& directory)
{
    if (directory.size() > 1 && directory.endsWith(u'/')) return directory.chopped(1);
    return directory;
}

QString programDirectory()
{
    return dirstr(QCoreApplication::applicationFilePath());
}

namespace {
bool writableDirectory(const QString& directory)
{
    const QFileInfo info(directory);
    return info.isDir() && info.isWritable();
}
} // namespace

QString startDirectory(const QString& programDirectory, const QString& home)
{
    return writableDirectory(programDirectory) ? programDirectory : home;
}

QString settingsFilePath(const QString& programDirectory, const QString& configDirectory)
{
    if (writableDirectory(programDirectory)) return QDir(programDirectory).filePath(kSettingsFileName);
    return QDir(configDirectory).filePath(kSettingsFileName);
}

QString settingsFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString path = settingsFilePath(programDirectory(), config);
    // The configuration directory may not exist yet on a first start.
    if (path.startsWith(config)) QDir().mkpath(config);
    return path;
}

} // namespace quorvel
