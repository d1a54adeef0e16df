// QUORVEL.INI: what the editor remembers between runs, the two dialog directories and the five
// most recently opened files. The file is fourteen lines, each ended by CR LF: "OPENDIR", the
// open directory, "IMPORTDIR", the import directory, then "FILE1" to "FILE5" each followed by
// its path. It is read by line position; the key lines are never compared. It is one of the
// settings stores of base/SettingsStore.h and fails as they do.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace quorvel {

constexpr int kRecentFileCount = 5;

struct Settings {
    QString openDirectory;
    QString importDirectory;
    // Recent file 1 (the newest) to 5; an empty path is an empty entry.
    std::array<QString, kRecentFileCount> recentFiles;

    bool operator==(const Settings&) const = default;
};

// lastfiles: `path` becomes recent file 1 and the others move down one; the oldest falls off.
// The list is not searched first, so a path may stand in several entries.
void putAtHead(std::array<QString, kRecentFileCount>& recentFiles, const QString& path);

// The values of a settings file's bytes: a line ends at a CR (an LF right after it skipped) or at
// an LF alone, as a file edited with Unix line ends has them; a byte 26 ends the file, and
// missing lines read empty. The bytes are the paths' own (base/FileNames.h), so a name that is
// not UTF-8 comes back as it was written.
Settings parseSettings(const QByteArray& bytes);
// The fourteen CR LF lines for the values.
QByteArray settingsBytes(const Settings& settings);

// Reads the settings file. When it cannot be read it is created with every value empty and the
// result is empty (nothing to take from it); what cannot be read or created is reported as the
// stores report (a name that is not a regular file is reported and left as it is).
std::optional<Settings> readSettingsFile(const QString& path);
// Replaces the settings file with the values; false, reported, when it cannot be written (the
// old file then stays as it was).
bool writeSettingsFile(const QString& path, const Settings& settings);

} // namespace quorvel
