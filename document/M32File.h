// Opening an m32 file to read it, and reading its header alone. Failures raise the runtime's
// messages of base/FileErrors.h, and the refusals of base/RegularFile.h.
#pragma once

#include "base/FileErrors.h"
#include "base/RegularFile.h"
#include "document/M32Format.h"

#include <QString>

class QFile;

namespace quorvel {

// The largest m32 file: the header and sixteen levels of 1024 x 1024 pixels of 4 bytes.
inline constexpr SizeLimit kM32FileLimit{kM32HeaderSize + std::int64_t(kMaxLevels) * kMaxLevelSide * kMaxLevelSide * 4,
                                         "a texture"};

// Opens a texture for reading: a regular file of at most kM32FileLimit bytes.
void openM32File(QFile& file, const QString& path);

// The header of an m32 file alone, as the file holds it.
M32Header readM32Header(const QString& path);

} // namespace quorvel
