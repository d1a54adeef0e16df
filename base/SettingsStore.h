// The program's settings stores: QUORVEL.INI (the recent files and the dialogs' directories),
// QUORVEL-CHAINS.INI (the chain choices) and HeaderPresets.ini (the header presets). Every one
// is read and written here, under one rule: a store that cannot be read (missing, not a regular
// file, over 1 MB, unreadable) gives its defaults, and a store that cannot be written is
// reported to the user once, the program's other work going on as if it had been written.
//
// Reports go to a sink the program sets (the editor shows a message box); without one they go
// to stderr. Each names its store, "PATH: File access denied", and each store is reported at
// most once until the sink is set again, so a store that fails at every use does not repeat it.
#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quorvel {

// The largest store read; a real one is a few hundred bytes.
inline constexpr qint64 kMaxSettingsStoreSize = 1024 * 1024;

using StoreProblemSink = std::function<void(const QString& message)>;
// Sets where the problems go (an empty sink: stderr) and forgets which stores were reported.
void setStoreProblemSink(StoreProblemSink sink);
// Reports `message` about the store at `path`, unless that store was reported already.
void reportStoreProblem(const QString& path, const QString& message);

// The bytes of the store; nothing when it is missing, and nothing with a report when it cannot
// be read.
std::optional<QByteArray> readStore(const QString& path);
// Replaces the store whole with `bytes`; false with a report when it cannot be written, the old
// store then as it was. A name that is not a regular file is not replaced.
bool writeStore(const QString& path, const QByteArray& bytes);

// A store kept by QSettings (which reads a whole file as soon as it is made): a QSettings on
// the store when it is missing or a regular file within the size, otherwise nothing, reported.
std::unique_ptr<QSettings> openSettingsStore(const QString& path);
// Whether QSettings may write the store (missing or a regular file); reports when not.
bool settingsStoreWritable(const QString& path);
// After `settings` is synced: false with a report when it could not be written.
bool settingsStoreWritten(QSettings& settings);

} // namespace quorvel
