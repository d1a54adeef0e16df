// Every benchmark program starts as the programs it measures do: with the memory settings they
// make before reading their first picture.
#include "base/ProcessMemory.h"

namespace {

[[maybe_unused]] const bool started = (quorvel::keepFreedMemoryForReuse(), true);

} // namespace
