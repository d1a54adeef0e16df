// Registers every picture kind the program reads (those of the platform's image plugins only
// where the plugin is installed): its extension, its reader, the filter of the
// open dialogs it is listed under and whether the import draws it. Registering a kind here is
// all it takes for the import, the batch wizard, their dialogs and the CLI to read it.
#pragma once

namespace quorvel {

// Safe to call more than once: only the first call registers.
void registerAllPictureKinds();

} // namespace quorvel
