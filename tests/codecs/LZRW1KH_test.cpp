// The block compressor: the exact bytes of small blocks, refusal of malformed blocks, and
// compress-then-expand as the identity over blocks of every kind and size.
#include "codecs/LZRW1KH.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace quorvel;

namespace {

using Block = std::vector<std::uint8_t>;

Block compress(const Block& source)
{
    Block out(lzrwCompressBound(source.size()));
    LzrwHashTable table;
    out.resize(lzrwCompress(source.data(), source.size(), out.data(), table));
    return out;
}

Block expand(const Block& block, std::size_t capacity = kLzrwMaxBlock)
{
    Block out(capacity);
    out.resize(lzrwDecompress(block.data(), block.size(), out.data(), capacity));
    return out;
}

Block concat(std::initializer_list<Block> parts)
{
    Block out;
    for (const Block& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Block counting(int from, int count)
{
    Block out;
    for (int i = 0; i < count; ++i) out.push_back(std::uint8_t(from + i));
    return out;
}

} // namespace

TEST(Lzrw1KH, CompressesSmallBlocksToTheirExactBytes)
{
    const struct {
        const char* what;
        Block source;
        Block compressed;
    } rows[] = {
        {"empty source: the stored flag alone", {}, {0x80}},
        {"three bytes never shrink", {0x61, 0x62, 0x63}, {0x80, 0x61, 0x62, 0x63}},
        {"100 zero bytes: one run item", Block(100, 0), {0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 0x00}},
        {"15 equal bytes: a literal and a copy of offset 1, length 14",
         Block(15, 7), {0x40, 0x40, 0x00, 0x07, 0x00, 0x1B}},
        {"16 equal bytes: the shortest run", Block(16, 9), {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0x09}},
        {"16 literals then a copy of offset 16, length 16", concat({counting(0, 16), counting(0, 16)}),
         concat({{0x40, 0x00, 0x00}, counting(0, 16), {0x80, 0x00, 0x01, 0x0D}})},
        {"a run of 4095 then one more byte: the longest run item",
         concat({Block(4096, 1)}), {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 0x01, 0x01}},
        {"incompressible data is stored", counting(0, 200), concat({{0x80}, counting(0, 200)})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(compress(row.source), row.compressed);
        EXPECT_EQ(expand(row.compressed), row.source);
    }
}

TEST(Lzrw1KH, ExpandsStoredBlocks)
{
    EXPECT_EQ(expand({0x80}), Block{});
    EXPECT_EQ(expand({0x80, 1, 2, 3}), (Block{1, 2, 3}));
    EXPECT_EQ(expand({0x80, 1, 2, 3}, 3), (Block{1, 2, 3}));
}

TEST(Lzrw1KH, RefusesMalformedBlocks)
{
    const struct {
        const char* what;
        Block block;
        std::size_t capacity;
        const char* message;
    } rows[] = {
        {"empty block", {}, kLzrwMaxBlock, "LZRW1KH : empty compressed block"},
        {"longer than any block", concat({{0x80}, Block(32769, 0)}), 40000,
         "LZRW1KH : compressed block longer than 32769 bytes"},
        {"flag without a control word", {0x40, 0x00}, kLzrwMaxBlock, "LZRW1KH : compressed block cut short"},
        {"copy item cut off", {0x40, 0x80, 0x00, 0x01}, kLzrwMaxBlock, "LZRW1KH : compressed block cut short"},
        {"run item cut off", {0x40, 0x80, 0x00, 0x00, 0x00, 0x54}, kLzrwMaxBlock,
         "LZRW1KH : compressed block cut short"},
        {"control word without an item", concat({{0x40, 0x00, 0x00}, Block(16, 5), {0x00, 0x00}}),
         kLzrwMaxBlock, "LZRW1KH : compressed block cut short"},
        {"copy before the first byte", {0x40, 0x80, 0x00, 0x00, 0x10}, kLzrwMaxBlock,
         "LZRW1KH : copy reaches before the start of the block"},
        {"copy further back than produced", {0x40, 0x40, 0x00, 0x41, 0x00, 0x20}, kLzrwMaxBlock,
         "LZRW1KH : copy reaches before the start of the block"},
        {"copy before the first byte, early in a long block", concat({{0x40, 0x80, 0x00, 0xFF, 0xF0}, Block(120, 0)}),
         kLzrwMaxBlock, "LZRW1KH : copy reaches before the start of the block"},
        {"run larger than the destination, early in a long block",
         concat({{0x40, 0x40, 0x00, 0x07, 0x00, 0x0F, 0xFF, 0x01}, Block(120, 0)}), 200,
         "LZRW1KH : expanded block too large"},
        {"stored data larger than the destination", {0x80, 1, 2, 3}, 2, "LZRW1KH : expanded block too large"},
        {"run larger than the destination", {0x40, 0x80, 0x00, 0x00, 0x0F, 0xFF, 0x01}, 4000,
         "LZRW1KH : expanded block too large"},
        {"literal past the destination", {0x40, 0x00, 0x00, 1, 2}, 1, "LZRW1KH : expanded block too large"},
        {"copy past the destination", {0x40, 0x40, 0x00, 0x41, 0x00, 0x1F}, 10,
         "LZRW1KH : expanded block too large"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            expand(row.block, row.capacity);
            ADD_FAILURE() << "no error";
        } catch (const ELzrw1KHCompressor& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }
}

TEST(Lzrw1KH, RefusesSourcesAboveTheBlockSize)
{
    Block source(kLzrwMaxBlock + 1), out(lzrwCompressBound(source.size()));
    LzrwHashTable table;
    EXPECT_THROW(lzrwCompress(source.data(), source.size(), out.data(), table), ELzrw1KHCompressor);
}

// Fills a block with data of one kind: noise, runs, repeated phrases, a smooth ramp with noise,
// a few symbols (as in paletted pixels), or one byte throughout.
Block generate(int kind, std::size_t size, std::mt19937& random)
{
    Block out(size);
    std::uniform_int_distribution<int> byte(0, 255), small(0, 3), length(1, 40);
    switch (kind) {
    case 0:
        for (auto& b : out) b = std::uint8_t(byte(random));
        break;
    case 1:
        for (std::size_t i = 0; i < size;) {
            const std::uint8_t v = std::uint8_t(byte(random));
            const std::size_t n = std::size_t(length(random)) * std::size_t(1 + small(random) * 40);
            for (std::size_t k = 0; k < n && i < size; ++k) out[i++] = v;
        }
        break;
    case 2:
        for (std::size_t i = 0; i < size; ++i)
            out[i] = i >= 20 && small(random) > 0 ? out[i - 1 - std::size_t(length(random)) % 20] : std::uint8_t(byte(random));
        break;
    case 3:
        for (std::size_t i = 0; i < size; ++i) out[i] = std::uint8_t(i / 37 + small(random));
        break;
    case 4:
        for (auto& b : out) b = std::uint8_t("abcd"[small(random)]);
        break;
    default:
        std::fill(out.begin(), out.end(), std::uint8_t(byte(random)));
        break;
    }
    return out;
}

TEST(Lzrw1KH, ATableUsedBeforeGivesTheBytesOfAFreshOne)
{
    std::mt19937 random(5);
    const Block first = generate(2, std::size_t(5000), random), second = generate(3, std::size_t(3000), random);
    Block out(lzrwCompressBound(first.size()));
    LzrwHashTable used;
    lzrwCompress(first.data(), first.size(), out.data(), used);
    out.resize(lzrwCompress(second.data(), second.size(), out.data(), used));
    EXPECT_EQ(out, compress(second));
}

TEST(Lzrw1KH, ExpandingACompressedBlockGivesItBack)
{
    // Every size near the ends of the range, and a spread of sizes in between, each with every
    // kind of data; the sizes in between change with the seed.
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n <= 300; ++n) sizes.push_back(n);
    for (std::size_t n = kLzrwMaxBlock - 40; n <= kLzrwMaxBlock; ++n) sizes.push_back(n);
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::size_t> all = sizes;
        std::uniform_int_distribution<std::size_t> anySize(0, kLzrwMaxBlock);
        for (int i = 0; i < 40; ++i) all.push_back(anySize(random));
        for (std::size_t size : all) {
            const int kind = int((size + seed) % 6);
            const Block source = generate(kind, size, random);
            const Block block = compress(source);
            ASSERT_LE(block.size(), size + 1);
            ASSERT_EQ(block[0] == 0x80, block.size() == size + 1) << "size " << size;
            ASSERT_EQ(expand(block), source) << "seed " << seed << " size " << size << " kind " << kind;
        }
    }
}

TEST(Lzrw1KH, EverySizeOfRunLengthDataComesBack)
{
    // Every block size once, with data made of runs and short phrases between them (cheap to
    // compress, so the whole range stays fast); the sizes decide where the last item ends.
    std::mt19937 random(99);
    Block whole = generate(1, kLzrwMaxBlock, random);
    for (std::size_t i = 0; i + 8 < whole.size(); i += 997) std::fill_n(whole.begin() + std::ptrdiff_t(i), 5, std::uint8_t(i));
    Block block(lzrwCompressBound(kLzrwMaxBlock)), back(kLzrwMaxBlock);
    LzrwHashTable table; // one table for every call in turn
    for (std::size_t size = 0; size <= kLzrwMaxBlock; ++size) {
        const std::size_t length = lzrwCompress(whole.data(), size, block.data(), table);
        ASSERT_LE(length, size + 1);
        ASSERT_EQ(lzrwDecompress(block.data(), length, back.data(), back.size()), size) << "size " << size;
        ASSERT_TRUE(std::equal(back.begin(), back.begin() + std::ptrdiff_t(size), whole.begin())) << "size " << size;
    }
}
