#include "number/decimal.h"

#include <charconv>
#include <string_view>

namespace pelmora::number {
namespace {

// Two digits past the cut, correctly rounded, tell which way the cut goes unless they are
// "50": the exact value may then lie on either side of the halfway point.
constexpr int kCheckDigits = kCutDigits + 2;
constexpr std::uint64_t kPastCut = kPowersOfTen[kCheckDigits - kCutDigits];  // 100
constexpr std::uint64_t kHalfway = kPastCut / 2;                             // "50"

// The first kCheckDigits significant digits of `magnitude` as one number, and the power of ten
// of the first of them, from `magnitude` written with `significantDigits` digits, which
// to_chars rounds correctly from the exact value.
struct LeadingDigits {
    std::uint64_t value;
    int exponent;
};

LeadingDigits Leading(double magnitude, int significantDigits) {
    // "d.ddd…de±xx": the first digit, a point, the other digits, 'e', a sign and two or three
    // digits of exponent.
    std::array<char, 2 + (kExactDigits - 1) + 5> text;
    const char* const end = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                          std::chars_format::scientific, significantDigits - 1)
                                .ptr;
    LeadingDigits leading{static_cast<std::uint64_t>(text[0] - '0'), 0};
    for (const char c : std::string_view(text.data() + 2, kCheckDigits - 1))
        leading.value = leading.value * 10 + static_cast<std::uint64_t>(c - '0');
    const char* const sign = text.data() + 2 + (significantDigits - 1) + 1;
    for (const char* c = sign + 1; c < end; ++c)
        leading.exponent = leading.exponent * 10 + (*c - '0');
    if (*sign == '-') leading.exponent = -leading.exponent;
    return leading;
}

}  // namespace

Decimal CutTo15Digits(double magnitude) {
    if (magnitude == 0) return {};
    LeadingDigits leading = Leading(magnitude, kCheckDigits);
    if (leading.value % kPastCut == kHalfway) leading = Leading(magnitude, kExactDigits);

    // Now the two digits past the cut reach "50" exactly when the value reaches the halfway
    // point, and the cut rounds half away from zero.
    Decimal cut{leading.value / kPastCut, leading.exponent - (kCutDigits - 1)};
    if (leading.value % kPastCut >= kHalfway) ++cut.significand;
    if (cut.significand == kPowersOfTen[kCutDigits]) {  // 999…9 rounded up gains a digit
        cut = {kPowersOfTen[kCutDigits - 1], cut.exponent + 1};
    }
    return cut;
}

}  // namespace pelmora::number
