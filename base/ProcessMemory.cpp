#include "base/ProcessMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quorvel {

void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    // A picture of 1024 x 1024 pixels is 4 MiB, and its file's bytes as much again. By default
    // glibc maps blocks that large on their own and unmaps them when freed, or trims the top of
    // the heap above 128 KiB, so every picture of a batch, every reopened texture and every
    // benchmark round faulted the same memory in again, page by page (most of a decode's time
    // was spent in the kernel). Blocks up to 32 MiB now come from the heap, and up to 64 MiB of
    // free heap top stays for the next one.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

} // namespace quorvel
