// Registers every picture kind the program reads, in the order of program start: the graphics
// layer's own kinds, then the codecs', then the import's. Later registrations win.
#pragma once

namespace quorvel {

// Safe to call more than once: only the first call registers.
void registerAllPictureKinds();

} // namespace quorvel
