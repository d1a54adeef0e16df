// How the process keeps memory it frees, set once at start by each program.
#pragma once

namespace quorvel {

// Keeps freed picture-sized blocks in the process for the next picture instead of giving them
// back to the system at once. Call once, before the first picture is read.
void keepFreedMemoryForReuse();

} // namespace quorvel
