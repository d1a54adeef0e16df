// LZRW1-KH: a small block compressor (LZ77 with a 12-bit offset and a 4-bit length, plus a
// run-length item) behind the universal bitmap's compressed streams. Blocks are independent.
// The compressor keeps no state of its own: the caller owns its output buffer and its hash table,
// so compressions on different threads, each with its own table, do not meet.
//
// A compressed block starts with a flag byte: 0x80 means the source bytes follow unchanged
// (stored), 0x40 means groups follow, each a 16-bit control word (high byte first, read from its
// top bit down: 0 = literal byte, 1 = copy or run item) and up to 16 items. A copy item is the
// big-endian value offset * 16 + (length - 3), offset 1..4095 back into the output, length
// 3..18; a run item is 0x00, H, L, V and repeats V (H * 256 + L + 16) times.
#pragma once

#include "base/Error.h"

#include <cstddef>
#include <cstdint>

namespace quorvel {

class ELzrw1KHCompressor : public Error {
public:
    using Error::Error;
};

// The largest source block; a compressed block is at most one byte longer.
constexpr std::size_t kLzrwMaxBlock = 32768;
constexpr std::size_t kLzrwMaxCompressedBlock = kLzrwMaxBlock + 1;

// The worst-case compressed size of `size` source bytes: the stored block.
constexpr std::size_t lzrwCompressBound(std::size_t size) { return size + 1; }

// The compressor's working memory (8 KB): for each of the 4096 hashes, the position of the last
// three-byte string with that hash in the current block. Every compression refills it first, so
// nothing carries over between blocks and one table serves any number of calls in turn; calls
// that may run at the same time each need their own.
struct LzrwHashTable {
    static constexpr std::size_t kEntries = 4096;
    std::int16_t positions[kEntries];
};

// Compresses `size` bytes (0..32768) of `source` into `destination`, which must hold at least
// lzrwCompressBound(size) bytes, and returns the compressed size (1..size + 1). Reads only
// source[0, size) and writes only destination[0, size + 1) and `table`. Data that does not
// shrink becomes a stored block. A size above 32768 raises ELzrw1KHCompressor.
std::size_t lzrwCompress(const std::uint8_t* source, std::size_t size, std::uint8_t* destination,
                         LzrwHashTable& table);

// Expands the compressed block source[0, size) into destination[0, capacity) and returns the
// number of bytes produced. Safe on any input: it reads only source[0, size) and writes only
// destination[0, capacity); an empty block, a block longer than 32769 bytes, an item cut off by
// the end of the block, a copy reaching before the start of the output or output that would pass
// `capacity` raise ELzrw1KHCompressor. A block from lzrwCompress expands to at most 32768 bytes.
std::size_t lzrwDecompress(const std::uint8_t* source, std::size_t size, std::uint8_t* destination,
                           std::size_t capacity);

} // namespace quorvel
