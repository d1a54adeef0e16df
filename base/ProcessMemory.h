// How the process keeps memory it frees, set once at start by each program.
#pragma once

// First, so that the C library says which it is (__GLIBC__).
#include <cstdlib>

// 1 where glibc's allocator serves the process, so that its settings apply; 0 elsewhere, and
// under a sanitizer, which keeps its own heap.
#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_GLIBC_HEAP 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define QUORVEL_GLIBC_HEAP 0
#endif
#endif
#if !defined(QUORVEL_GLIBC_HEAP) && defined(__GLIBC__)
#define QUORVEL_GLIBC_HEAP 1
#endif
#ifndef QUORVEL_GLIBC_HEAP
#define QUORVEL_GLIBC_HEAP 0
#endif

namespace quorvel {

// Keeps freed picture-sized blocks in the process for the next picture instead of giving them
// back to the system at once. Call once, before the first picture is read.
void keepFreedMemoryForReuse();

} // namespace quorvel
