// Reading the header of an m32 file alone. Failures raise the runtime's messages of
// base/FileErrors.h.
#pragma once

#include "base/FileErrors.h"
#include "document/M32Format.h"

#include <QString>

namespace quorvel {

// The header of an m32 file alone, as the file holds it.
M32Header readM32Header(const QString& path);

} // namespace quorvel
