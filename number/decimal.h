#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pelmora::number {

// How many significant digits it takes to write a double exactly in decimal: a double is
// m × 2^e with m < 2^53 and e ≥ −1074, and the largest subnormals need the most, 767. A point
// halfway between two neighbouring doubles has one bit more, and needs one digit more.
inline constexpr int kExactDigits = 767;
inline constexpr int kHalfwayDigits = kExactDigits + 1;

// Results are cut to this many significant digits before they are rounded to three decimals.
inline constexpr int kCutDigits = 15;

// 10^0 to 10^15: every power up to the first one past a cut significand.
inline constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, kCutDigits + 1> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}();

// A whole number below 2^53 as the double it equals. Converted in two 32-bit halves, each
// exact, as is their sum: a 32-bit x86 build then converts it with SSE2, not on the x87 unit.
inline double ExactDouble(std::uint64_t whole) {
    return static_cast<double>(static_cast<std::int32_t>(whole >> 32)) * 0x1p32 +
           static_cast<double>(static_cast<std::uint32_t>(whole));
}

// The number significand × 10^exponent.
struct Decimal {
    std::uint64_t significand = 0;
    int exponent = 0;

    bool operator==(const Decimal&) const = default;
};

// `magnitude` (finite, not negative) cut to 15 significant digits, its exact value rounded half
// away from zero: a significand of exactly 15 digits, or 0 for 0.
Decimal CutTo15Digits(double magnitude);

}  // namespace pelmora::number
