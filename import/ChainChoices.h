// The chain choices of the import dialog and the batch wizard, kept between runs in a settings
// file of their own beside QUORVEL.INI, so that the fourteen lines of that file stay exactly as
// they are. Each window keeps its choices in a group of its own.
#pragma once

#include "import/MipmapChain.h"

#include <QString>

namespace quorvel {

struct ChainChoices {
    Resampling resampling = Resampling::Point; // "Resampling"
    bool keepPictureAlpha = false;             // "Use the picture's alpha"
    bool holdCoverage = false;                 // "Keep alpha-test coverage at"
    int coverageReference = 128;               // its value, 1..255

    // What the chain builder is asked for: coverage only with the picture's alpha, as without
    // it every pixel has the one alpha.
    ChainOptions options() const;
};

// QUORVEL-CHAINS.INI in the directory of the settings file.
QString chainChoicesPath(const QString& settingsFilePath);

// The choices stored under `group`; a file, group or value that is missing or not one the
// windows offer gives that choice's default, and so does a file that cannot be read (reported
// as the settings stores report, base/SettingsStore.h).
ChainChoices readChainChoices(const QString& path, const QString& group);
// Stores the choices under `group`, the rest of the file kept; a file that cannot be written is
// reported, and the caller goes on.
void writeChainChoices(const QString& path, const QString& group, const ChainChoices& choices);

} // namespace quorvel
