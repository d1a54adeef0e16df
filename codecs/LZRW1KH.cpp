#include "codecs/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvel {

namespace {

constexpr std::uint8_t kFlagCompressed = 0x40;
constexpr std::uint8_t kFlagStored = 0x80;
constexpr std::size_t kMaxOffset = 4095;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxRun = 4095;

inline std::size_t hashAt(const std::uint8_t* p)
{
    const std::uint32_t mixed = ((std::uint32_t(p[0]) << 4 ^ p[1]) << 4 ^ p[2]) * 40543u;
    return (mixed >> 4) & 0xFFF;
}

inline std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// How many bytes at `a` and `b` agree, up to the longest copy and the `readable` bytes left in
// the block from `a` on. Compares eight bytes at a time while the
// block holds them; little-endian, so the lowest differing byte is the first. Most candidates
// differ within the first eight bytes, which is the path kept short.
inline std::size_t agreeing(const std::uint8_t* a, const std::uint8_t* b, std::size_t readable)
{
    const std::size_t limit = std::min(kMaxMatch, readable);
    std::size_t n = 0;
    if (readable >= 8) {
        const std::uint64_t diff = load64(a) ^ load64(b);
        if (diff != 0) return std::size_t(std::countr_zero(diff) >> 3); // below 8 <= limit
        n = 8;
        while (n < limit && n + 8 <= readable) {
            const std::uint64_t more = load64(a + n) ^ load64(b + n);
            if (more != 0) return std::min(limit, n + std::size_t(std::countr_zero(more) >> 3));
            n += 8;
        }
        if (n >= limit) return limit;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

[[noreturn]] void fail(const char* message)
{
    throw ELzrw1KHCompressor(message);
}

} // namespace

std::size_t lzrwCompress(const std::uint8_t* source, std::size_t size, std::uint8_t* destination,
                         LzrwHashTable& hashTable)
{
    if (size > kLzrwMaxBlock) fail("LZRW1KH : source block longer than 32768 bytes");

    // The output may never pass `size` bytes: a block that would is stored instead, so every write
    // below first checks that it stays within destination[0, size). Three bytes or fewer never
    // shrink (flag, control word and one item already take four).
    bool fits = size > 3;
    if (fits) {
        // -1: no string of this hash yet.
        std::int16_t* const table = hashTable.positions;
        std::fill(table, table + LzrwHashTable::kEntries, std::int16_t(-1));
        destination[0] = kFlagCompressed;
        std::size_t control = 1; // where the current control word goes
        std::size_t out = 3;
        std::uint32_t word = 0;
        int bits = 0;
        std::size_t pos = 0;
        while (pos < size) {
            if (bits == 16) {
                destination[control] = std::uint8_t(word >> 8);
                destination[control + 1] = std::uint8_t(word);
                control = out;
                out += 2;
                word = 0;
                bits = 0;
                if (out > size) { fits = false; break; }
            }
            const std::uint8_t value = source[pos];
            const std::size_t runLimit = std::min(kMaxRun, size - pos);
            std::size_t run = 1;
            if (runLimit > 1 && source[pos + 1] == value) {
                const std::uint64_t same = 0x0101010101010101ull * value;
                run = 2;
                while (run + 8 <= runLimit) {
                    const std::uint64_t diff = load64(source + pos + run) ^ same;
                    if (diff != 0) break;
                    run += 8;
                }
                while (run < runLimit && source[pos + run] == value) ++run;
            }

            if (run >= kMinRun) {
                if (out + 4 > size) { fits = false; break; }
                const std::size_t stored = run - kMinRun;
                destination[out] = 0;
                destination[out + 1] = std::uint8_t(stored >> 8);
                destination[out + 2] = std::uint8_t(stored);
                destination[out + 3] = value;
                out += 4;
                pos += run;
                word = word << 1 | 1;
            } else {
                std::size_t length = 0, offset = 0;
                // Within two bytes of the end no match of three bytes can start, and nothing later
                // in the block could use the table entry, so the hash is skipped there.
                if (pos + kMinMatch <= size) {
                    const std::size_t h = hashAt(source + pos);
                    const std::int16_t previous = table[h];
                    table[h] = std::int16_t(pos);
                    // Measured whether or not the entry is usable and then masked: which it is
                    // follows no pattern, and a mispredicted branch costs more than the compare.
                    const std::size_t candidate = previous >= 0 ? std::size_t(previous) : 0;
                    const bool usable = (previous >= 0) & (pos - candidate <= kMaxOffset);
                    length = agreeing(source + pos, source + candidate, size - pos);
                    length &= std::size_t(0) - std::size_t(usable);
                    offset = pos - candidate;
                }
                if (length >= kMinMatch) {
                    if (out + 2 > size) { fits = false; break; }
                    const std::size_t item = offset << 4 | (length - kMinMatch);
                    destination[out] = std::uint8_t(item >> 8);
                    destination[out + 1] = std::uint8_t(item);
                    out += 2;
                    pos += length;
                    word = word << 1 | 1;
                } else {
                    if (out + 1 > size) { fits = false; break; }
                    destination[out++] = value;
                    ++pos;
                    word <<= 1;
                }
            }
            ++bits;
        }
        if (fits) {
            word <<= 16 - bits;
            destination[control] = std::uint8_t(word >> 8);
            destination[control + 1] = std::uint8_t(word);
            return out;
        }
    }
    destination[0] = kFlagStored;
    if (size > 0) std::memcpy(destination + 1, source, size);
    return size + 1;
}

namespace {

// One copy or run item at source[in], announced by a set control bit; returns the bytes it read.
// The caller has checked that the two bytes of a copy item are there.
inline std::size_t expandItem(const std::uint8_t* source, std::size_t size, std::size_t in,
                              std::uint8_t* destination, std::size_t capacity, std::size_t& out)
{
    const std::size_t offset = std::size_t(source[in]) << 4 | source[in + 1] >> 4;
    if (offset == 0) {
        if (size - in < 4) fail("LZRW1KH : compressed block cut short");
        const std::size_t length = (std::size_t(source[in + 1]) << 8 | source[in + 2]) + kMinRun;
        if (length > capacity - out) fail("LZRW1KH : expanded block too large");
        std::memset(destination + out, source[in + 3], length);
        out += length;
        return 4;
    }
    const std::size_t length = (source[in + 1] & 0x0F) + kMinMatch;
    if (offset > out) fail("LZRW1KH : copy reaches before the start of the block");
    if (length > capacity - out) fail("LZRW1KH : expanded block too large");
    std::uint8_t* to = destination + out;
    const std::uint8_t* from = to - offset;
    if (offset >= 4 && capacity - out >= kMaxMatch) {
        // Most copies are short: four bytes in one move, then the rest; a copy from at least 18
        // bytes back cannot overlap itself and moves in one piece.
        std::memcpy(to, from, 4);
        if (length > 4) {
            if (offset >= kMaxMatch)
                std::memcpy(to + 4, from + 4, kMaxMatch - 4);
            else
                for (std::size_t i = 4; i < length; ++i) to[i] = from[i];
        }
    } else {
        // Close enough to overlap: the copy repeats the bytes it has just produced.
        for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
    }
    out += length;
    return 2;
}

} // namespace

std::size_t lzrwDecompress(const std::uint8_t* source, std::size_t size, std::uint8_t* destination,
                           std::size_t capacity)
{
    if (size == 0) fail("LZRW1KH : empty compressed block");
    if (size > kLzrwMaxCompressedBlock) fail("LZRW1KH : compressed block longer than 32769 bytes");
    if (source[0] == kFlagStored) {
        const std::size_t length = size - 1;
        if (length > capacity) fail("LZRW1KH : expanded block too large");
        if (length > 0) std::memcpy(destination, source + 1, length);
        return length;
    }
    if (size < 3) fail("LZRW1KH : compressed block cut short");

    // The control bits still to use sit at the top of `word`, the current one in bit 31. Each
    // round takes the literals up to the next set bit at once (perhaps none) and then the copy or
    // run item that bit announces, so no branch depends on which kind of item comes next.
    std::uint32_t word = (std::uint32_t(source[1]) << 8 | source[2]) << 16;
    std::size_t bits = 16;
    std::size_t in = 3;
    std::size_t out = 0;

    // The bulk of a block, far from both ends: with more than 84 bytes left, neither the current
    // group nor the next is the last (a group's items take at most 64 bytes), so every control
    // bit stands for a real item and every fixed-size read stays in the block. A new control word
    // is taken without a branch, and twice per round, so a round that ends a group goes on into
    // the next.
    const auto refill = [&] {
        const bool empty = bits == 0;
        const std::uint32_t next = (std::uint32_t(source[in]) << 8 | source[in + 1]) << 16;
        word = empty ? next : word;
        bits = empty ? 16 : bits;
        in += empty ? 2 : 0;
    };
    const auto literals = [&] {
        const std::size_t count = std::min(std::size_t(std::countl_zero(word)), bits);
        std::memcpy(destination + out, source + in, 16); // one fixed-size move for all of them
        in += count;
        out += count;
        word <<= count;
        bits -= count;
    };
    while (size - in >= 100 && capacity - out >= 64) {
        refill();
        literals();
        refill();
        literals();
        if (bits == 0) continue; // a whole group of literals
        in += expandItem(source, size, in, destination, capacity, out);
        word <<= 1;
        --bits;
    }

    // The rest, every read and write checked.
    while (in < size) {
        if (bits == 0) {
            if (size - in < 3) fail("LZRW1KH : compressed block cut short"); // word and an item
            word = (std::uint32_t(source[in]) << 8 | source[in + 1]) << 16;
            in += 2;
            bits = 16;
        }
        // The control bits after the last item of a block are zero too, hence the limit by the
        // input.
        const std::size_t count = std::min({std::size_t(std::countl_zero(word)), bits, size - in});
        if (count > capacity - out) fail("LZRW1KH : expanded block too large");
        std::memcpy(destination + out, source + in, count);
        in += count;
        out += count;
        word <<= count;
        bits -= count;
        if (bits == 0 || in == size) continue;
        if (size - in < 2) fail("LZRW1KH : compressed block cut short");
        in += expandItem(source, size, in, destination, capacity, out);
        word <<= 1;
        --bits;
    }
    return out;
}

} // namespace quorvel
