// The two plain-text help files the how-to window shows, textures.txt and icons.txt: where they
// are looked up and how they are read.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

inline constexpr char kTexturesHelpFile[] = "textures.txt";
inline constexpr char kIconsHelpFile[] = "icons.txt";

// The directories searched for the help files, in order: program_directory (a build or a copy
// kept together), the share directory beside an installed program's bin/ (bin/../share/quorvel,
// so an install moved elsewhere keeps its help), then the share directory the program was built
// to be installed in. Each ends with "/"; duplicates are left out.
QStringList helpDirectories();

// The file `name` in the first of `directories` that holds it; when none does, the path in the
// first directory, so that the failure names the place the file belongs.
QString helpFilePath(const QString& name, const QStringList& directories);

// The text of a help file, its lines joined with "\n" whatever line ends the file used.
// A file that is missing or cannot be read raises Error "Cannot open file PATH"; one that is not
// a regular file or is over 1 MB is refused as base/RegularFile.h says.
QString readHelpText(const QString& path);

} // namespace quorvel
