// Paths as the editor uses them: the directory and name parts of a path, the directory a file
// dialog keeps, the program's own directory and where the settings file lives.
#pragma once

#include <QString>

namespace quorvel {

// dirstr: everything up to and including the last "/", or empty text when there is none.
QString dirstr(const QString& path);
// namestr: what follows the last "/", or the whole path when there is none.
QString namestr(const QString& path);

// A directory as a file dialog holds it: one trailing "/" dropped, except for the root "/".
QString dialogDirectory(const QString& directory);

// program_directory: the directory of the running program file, with its trailing "/".
QString programDirectory();

// Where the open and import dialogs start before the settings say otherwise: the program's
// directory while it is writable (a copy the user keeps beside its textures), else `home` (an
// installed copy, whose bin/ holds no textures).
QString startDirectory(const QString& programDirectory, const QString& home);

// QUORVEL.INI in the program's directory when that directory is writable, otherwise in
// `configDirectory` (an installed copy keeps its settings in the user's configuration).
QString settingsFilePath(const QString& programDirectory, const QString& configDirectory);
// The same for the running program, with QStandardPaths::AppConfigLocation as the fallback.
QString settingsFilePath();

} // namespace quorvel
