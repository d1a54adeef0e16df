// Header presets: the fifteen number texts of the properties window (the header fields marked
// as kept by presets) kept under a name the user chooses, so that a whole set of textures gets the same surface and detail numbers. They are
// the user's own, kept in the user's configuration directory apart from QUORVEL.INI, which
// belongs to the program's directory; a settings store (base/SettingsStore.h) that fails as the
// others do.
#pragma once

#include "document/HeaderTexts.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace quorvel {

// What a store's presets may hold; the rest of a file is ignored.
inline constexpr int kMaxPresets = 1000;
inline constexpr int kMaxPresetNameLength = 128;
// The longest number text the program writes is a two-decimal -3.4e38: 43 characters.
inline constexpr int kMaxPresetValueLength = 48;

// The file the presets live in, an INI file of the user's configuration:
// $XDG_CONFIG_HOME/Quorvel/HeaderPresets.ini (~/.config/...), a name apart from a QUORVEL.INI
// kept in the same directory. Tests point it elsewhere with XDG_CONFIG_HOME.
QString presetsFilePath();

class HeaderPresets {
public:
    // Reads the presets kept at `path`, in the order they were first saved: at most kMaxPresets,
    // each within the lengths above; what else the file holds is ignored with one report, and
    // kept in the file when the presets are written again.
    explicit HeaderPresets(const QString& path);

    QStringList names() const;
    // Keeps the number texts of `texts` under `name`, replacing a preset of that name, and
    // writes the store at once (a store that cannot be written is reported; the preset is kept
    // for this run). Error for a name or text over its length, or a preset past kMaxPresets.
    void save(const QString& name, const HeaderTexts& texts);
    // `texts` with the preset's number texts in place of its own, names untouched; nothing for
    // a name without a preset.
    std::optional<HeaderTexts> applied(const QString& name, HeaderTexts texts) const;

private:
    struct Preset {
        QString name;
        HeaderTexts texts; // only the texts of the fields presets keep count
    };
    // An entry of the store as it stands there, key by key.
    using StoredEntry = std::vector<std::pair<QString, QVariant>>;
    void write() const;

    QString path_;
    std::vector<Preset> presets_;
    // The entries ignored at reading, written back after the presets so that no write loses
    // what another version of the program kept there.
    std::vector<StoredEntry> ignored_;
};

} // namespace quorvel
