// The block compressor on arbitrary bytes: compressing and expanding gives the bytes back, and
// expanding the bytes themselves as a block gives data or ELzrw1KHCompressor, nothing else.
#include "codecs/LZRW1KH.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quorvel;
    // Exactly sized buffers, so a sanitizer sees any access past them.
    if (size <= kLzrwMaxBlock) {
        std::vector<std::uint8_t> block(lzrwCompressBound(size));
        LzrwHashTable table;
        const std::size_t length = lzrwCompress(data, size, block.data(), table);
        if (length == 0 || length > size + 1) std::abort();
        std::vector<std::uint8_t> back(size);
        if (lzrwDecompress(block.data(), length, back.data(), back.size()) != size) std::abort();
        if (size > 0 && std::memcmp(back.data(), data, size) != 0) std::abort();
    }
    const std::vector<std::uint8_t> source(data, data + size);
    for (std::size_t capacity : {std::size_t(kLzrwMaxBlock), size}) {
        std::vector<std::uint8_t> out(capacity);
        try {
            if (lzrwDecompress(source.data(), source.size(), out.data(), out.size()) > capacity) std::abort();
        } catch (const ELzrw1KHCompressor&) {
        }
    }
    return 0;
}
