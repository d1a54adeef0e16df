// Header presets: the fifteen number texts of the properties window (the header fields marked
// as kept by presets, each under its key) kept under a name the user chooses, so that a whole
// set of textures gets the same surface and detail numbers. They are the user's own,
// kept in the per-user settings of the platform (QSettings), apart from QUORVEL.INI, which
// belongs to the program's directory.
#pragma once

#include "document/HeaderTexts.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QSettings;

namespace quorvel {

// The settings the presets live in: organisation "Quorvel", application "HeaderPresets", INI
// format, per user (~/.config/Quorvel/HeaderPresets.ini, a name apart from a QUORVEL.INI kept
// in the same directory). Tests point it elsewhere with QSettings::setPath(IniFormat, UserScope).
QSettings* openPresetSettings();

class HeaderPresets {
public:
    // Reads the presets from `settings` (kept, not owned), in the order they were first saved.
    explicit HeaderPresets(QSettings& settings);

    QStringList names() const;
    // Keeps the number texts of `texts` under `name`, replacing a preset of that name; written
    // to the settings at once (Error when they cannot be written).
    void save(const QString& name, const HeaderTexts& texts);
    // `texts` with the preset's number texts in place of its own, names untouched; nothing for
    // a name without a preset.
    std::optional<HeaderTexts> applied(const QString& name, HeaderTexts texts) const;

private:
    struct Preset {
        QString name;
        HeaderTexts texts; // only the texts of the fields presets keep count
    };
    void write();

    QSettings& settings_;
    std::vector<Preset> presets_;
};

} // namespace quorvel
