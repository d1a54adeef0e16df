// Whether this processor moves bytes by a shuffle (x86 SSSE3), and 32 at a time (AVX2), for the
// pixel loops that take several pixels a step; elsewhere they take one at a time, to the same
// bytes.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define QUORVEL_X86_SHUFFLE 1
#else
#define QUORVEL_X86_SHUFFLE 0
#endif

namespace quorvel {

#if QUORVEL_X86_SHUFFLE
inline bool hasByteShuffle()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
inline bool hasWideByteShuffle()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#else
constexpr bool hasByteShuffle() { return false; }
constexpr bool hasWideByteShuffle() { return false; }
#endif

// How many pixels a loop may take a step: one, sixteen by 16-byte shuffles, or sixteen by 32-byte
// ones. Loops take the widest the processor has; the tests try each of those too.
enum class PixelSteps { One, Sixteen, SixteenWide };

inline PixelSteps widestPixelSteps()
{
    return hasWideByteShuffle() ? PixelSteps::SixteenWide : hasByteShuffle() ? PixelSteps::Sixteen : PixelSteps::One;
}

} // namespace quorvel
