#pragma once

#include <bit>
#include <cmath>
#include <random>

namespace pelmora::testing {

// Doubles of every kind for property tests: for even `i` any bit pattern (infinities and NaN
// included), for odd `i` a whole number below 2^53 scaled by 2^-60 to 2^19, which has many
// decimals and often sits near a half-thousandth.
inline double RandomDouble(std::mt19937_64& random, int i) {
    if (i % 2 == 0) return std::bit_cast<double>(random());
    return std::ldexp(static_cast<double>(random() >> 11) - 0x1p52,
                      static_cast<int>(random() % 80) - 60);
}

}  // namespace pelmora::testing
