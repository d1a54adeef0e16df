#include "base/ProcessMemory.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
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
#if QUORVEL_GLIBC_HEAP && defined(MADV_HUGEPAGE)
    // Even met once, a picture's memory costs a page fault every 4 KiB, and a fault costs
    // microseconds (more in a virtual machine): half of a one-picture command's time. So the
    // heap is grown once by 30 MiB, which stays as its free top (below the trim threshold), and
    // that stretch is marked for 2 MiB pages, which the system gives where it can: a picture
    // made there faults a few times instead of a thousand. A 2 MiB page lies on a 2 MiB
    // boundary, so the bytes from the heap's top to the next boundary are taken once and never
    // used (nor touched): what comes after begins on the boundary.
    constexpr std::size_t kStretch = std::size_t(30) << 20, kHugePage = std::size_t(2) << 20;
    void* block = std::malloc(kStretch);
    if (!block) return;
    const auto top = reinterpret_cast<std::uintptr_t>(block);
    std::free(block);
    const auto begin = (top + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (top + kStretch) & ~(kHugePage - 1);
    constexpr std::size_t kChunkHeader = 2 * sizeof(std::size_t);
    // Kept where the compiler cannot drop it as unused.
    static void* volatile upToTheBoundary = nullptr;
    if (!upToTheBoundary && begin - top > 2 * kChunkHeader) upToTheBoundary = std::malloc(begin - top - kChunkHeader);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
#endif
}

} // namespace quorvel
