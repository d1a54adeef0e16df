#include "base/HelpFiles.h"

#include "base/Error.h"
#include "base/Paths.h"
#include "base/RegularFile.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

namespace {

// A help text is a page or two; anything near this is not one.
constexpr SizeLimit kHelpTextLimit{1024 * 1024, "a help text"};

QString withSlash(const QString& directory)
{
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

} // namespace

QStringList helpDirectories()
{
    QStringList directories{programDirectory()};
#ifdef QUORVEL_INSTALL_DATA_DIRECTORY
    // The data directory relative to the prefix, e.g. "share/quorvel".
    const QString relative = QStringLiteral(QUORVEL_INSTALL_DATA_DIRECTORY);
    if (QDir::isRelativePath(relative))
        directories.append(withSlash(QDir::cleanPath(programDirectory() + QStringLiteral("../") + relative)));
#endif
#ifdef QUORVEL_HELP_DIRECTORY
    directories.append(withSlash(QStringLiteral(QUORVEL_HELP_DIRECTORY)));
#endif
    directories.removeDuplicates();
    return directories;
}

QString helpFilePath(const QString& name, const QStringList& directories)
{
    for (const QString& directory : directories) {
        const QString path = withSlash(directory) + name;
        if (QFileInfo(path).isFile()) return path;
    }
    return directories.isEmpty() ? name : withSlash(directories.first()) + name;
}

QString readHelpText(const QString& path)
{
    QString text = QString::fromUtf8(readRegularFile(path, OpenMessages::CannotOpen, kHelpTextLimit));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    // A memo shows no empty line after the file's last line end.
    if (text.endsWith(u'\n')) text.chop(1);
    return text;
}

} // namespace quorvel
