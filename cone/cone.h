#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <variant>

namespace pelmora::cone {

// The four quantities of a right circular cone, in the column order of the field grid.
struct ConeValues {
    double R;   // radius of the base
    double L;   // slant height (generatrix)
    double So;  // lateral surface area
    double Sp;  // total surface area, lateral plus base
};

enum class ConeFailure { DivisionByZero, NegativeSquareRoot, Overflow };

using ConeResult = std::variant<ConeValues, ConeFailure>;

// The program's π: the double nearest to 3.14159265358979, a few units in the last place
// below the true π. Every formula uses it; the library's π would change the results.
inline constexpr double Pi = std::bit_cast<double>(std::uint64_t{0x400921FB54442D11});

// A quantity, and the column of the field grid it is shown in.
enum class Quantity { R, L, So, Sp };

inline constexpr int kQuantityCount = 4;
inline constexpr int kVariantCount = 6;

// The two quantities a variant takes as known, in the order SolveCone takes them.
struct KnownPair {
    Quantity first;
    Quantity second;
};

inline constexpr std::array<KnownPair, kVariantCount> kKnownPairs{{
    {Quantity::R, Quantity::L},
    {Quantity::R, Quantity::So},
    {Quantity::L, Quantity::Sp},
    {Quantity::L, Quantity::So},
    {Quantity::R, Quantity::Sp},
    {Quantity::So, Quantity::Sp},
}};

double ValueOf(const ConeValues& values, Quantity quantity);

// Completes a cone from the two known quantities of `variant` (0 to 5, see kKnownPairs).
// The known members of the result are exactly `first` and `second`; the other two are
// computed in double precision, one rounded operation at a time, in a fixed order, so the
// bits are the same on every machine. No input is checked for sign or range.
// Fails, with the kind of the first failing operation, on a division by zero (0/0 included),
// the square root of a negative number, or a result that is infinite or not a number
// (Overflow); an input that is already infinite or not a number is an Overflow too.
// Throws std::out_of_range for a variant outside 0 to 5.
ConeResult SolveCone(std::int16_t variant, double first, double second);

}  // namespace pelmora::cone
