// A pseudo-random integer generator that is never seeded from the clock: every new generator
// gives the same sequence, in every run and on every platform (a 32-bit linear congruential
// generator with a fixed start).
#pragma once

#include <cstdint>

namespace quorvel {

class PseudoRandom {
public:
    // An integer from 0 to n - 1; 0 when n is 0 or less.
    int below(int n)
    {
        state_ = state_ * 134775813u + 1u;
        if (n <= 0) return 0;
        // The high bits of the state are the well-mixed ones.
        return static_cast<int>((static_cast<std::uint64_t>(state_) * static_cast<std::uint64_t>(n)) >> 32);
    }

private:
    std::uint32_t state_ = 0;
};

} // namespace quorvel
