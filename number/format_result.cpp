#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>

#include "number/decimal.h"
#include "number/number_text.h"

namespace pelmora::number {
namespace {

// The three decimals that every result shows.
constexpr int kDecimals = 3;

// A result has at least one integer digit, and at most 309: those of the largest double.
constexpr std::size_t kMinDigits = 1 + kDecimals;
constexpr std::size_t kMaxDigits = std::numeric_limits<double>::max_exponent10 + 1 + kDecimals;
using DigitBuffer = std::array<char, kMinDigits + kMaxDigits>;

// `cut` rounded half away from zero to a whole number of thousandths: exponent −3, or the cut
// itself when it has no digit below the thousandths.
Decimal RoundToThousandths(Decimal cut) {
    const int dropped = -kDecimals - cut.exponent;  // digits below the thousandths
    if (dropped <= 0) return cut;
    // A cut has kCutDigits digits: dropping more leaves less than a tenth of a thousandth.
    if (dropped > kCutDigits) return {0, -kDecimals};
    const std::uint64_t unit = kPowersOfTen[static_cast<std::size_t>(dropped)];
    Decimal thousandths{cut.significand / unit, -kDecimals};
    if (cut.significand % unit >= unit / 2) ++thousandths.significand;
    return thousandths;
}

// |value| as a whole number of thousandths: cut to 15 significant digits, then rounded half away
// from zero. The cut moves a value by less than 10^-14 of it (half a unit of its 15th digit),
// so it can change the thousandths only of a value that close to a half-thousandth; any other
// value is rounded at once. Each step of that is exact, or errs far less than the cut's
// reach. From 5·10^10 up the reach is half a thousandth or more, and every value takes the
// exact cut.
Decimal ToThousandths(double magnitude) {
    constexpr double kCutReach = 1e-14;
    const double scaled = magnitude * 1000;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) > scaled * kCutReach) {
        return {static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0), -kDecimals};
    }
    return RoundToThousandths(CutTo15Digits(magnitude));
}

// The digits of a whole number of thousandths, at least four so that the integer part is never
// empty.
std::string_view ThousandthsDigits(Decimal thousandths, DigitBuffer& buffer) {
    // The number starts kMinDigits characters in, leaving room for zeros in front of it.
    char* const start = buffer.data() + kMinDigits;
    char* end = std::to_chars(start, buffer.data() + buffer.size(), thousandths.significand).ptr;
    end = std::fill_n(end, thousandths.exponent + kDecimals, '0');
    char* const begin = std::min(start, end - kMinDigits);
    std::fill(begin, start, '0');
    return {begin, end};
}

// The nearest double to a whole number of thousandths; beyond the double range, infinity.
double ShownValue(Decimal thousandths) {
    // A count of thousandths below 10^15 is exact as a double, and one division rounds it
    // correctly.
    if (thousandths.exponent == -kDecimals) {
        return ExactDouble(thousandths.significand) / ExactDouble(kPowersOfTen[kDecimals]);
    }
    constexpr std::size_t kSignificandRoom = std::numeric_limits<std::uint64_t>::digits10 + 1;
    std::array<char, kSignificandRoom + 8> text;  // the significand, 'e', the exponent
    char* end =
        std::to_chars(text.data(), text.data() + kSignificandRoom, thousandths.significand).ptr;
    *end++ = 'e';
    end = std::to_chars(end, text.data() + text.size(), thousandths.exponent).ptr;
    double value = 0;
    const std::from_chars_result read = std::from_chars(text.data(), end, value);
    if (read.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
    return value;
}

// Appends the integer digits with `symbol` between groups. Groups are counted from the right:
// the last has sizes[0] digits, the one before it sizes[1], and so on, the last size
// repeating; a size of 0, or no sizes at all, leaves the digits that remain in one piece.
void AppendGrouped(std::string& text, std::string_view digits, std::span<const int> sizes,
                   std::string_view symbol) {
    const int size = sizes.empty() ? 0 : sizes.front();
    if (size <= 0 || digits.size() <= static_cast<std::size_t>(size)) {
        text += digits;
        return;
    }
    const std::size_t head = digits.size() - static_cast<std::size_t>(size);
    AppendGrouped(text, digits.substr(0, head), sizes.size() > 1 ? sizes.subspan(1) : sizes,
                  symbol);
    text += symbol;
    text += digits.substr(head);
}

// What goes before and after a negative value, for each NegativePattern in its order.
struct Affixes {
    std::string_view before;
    std::string_view after;
};

constexpr std::array<Affixes, 5> kNegativeAffixes{{
    {"(", ")"},  // Parentheses
    {"-", ""},   // LeadingMinus
    {"- ", ""},  // LeadingMinusSpace
    {"", "-"},   // TrailingMinus
    {"", " -"},  // TrailingSpaceMinus
}};

Affixes SignOf(bool negative, NegativePattern pattern) {
    return negative ? kNegativeAffixes[static_cast<std::size_t>(pattern)] : Affixes{};
}

}  // namespace

FormattedNumber FormatResult(double value, const NumberFormat& format) {
    if (std::isnan(value)) return {"NaN", value};
    if (std::isinf(value)) {
        const Affixes sign = SignOf(value < 0, format.negativePattern);
        return {std::string(sign.before).append("∞").append(sign.after), value};
    }

    const Decimal thousandths = ToThousandths(std::fabs(value));
    DigitBuffer buffer;
    const std::string_view digits = ThousandthsDigits(thousandths, buffer);
    const std::string_view integer = digits.substr(0, digits.size() - kDecimals);
    const std::string_view decimals = digits.substr(digits.size() - kDecimals);
    const bool negative = std::signbit(value) && thousandths.significand != 0;
    const Affixes sign = SignOf(negative, format.negativePattern);

    std::string text(sign.before);
    if (integer != "0" || format.leadingZero) {
        AppendGrouped(text, integer, format.groupSizes, format.groupingSymbol);
    }
    text += format.decimalSymbol.empty() ? std::string_view(".") : format.decimalSymbol;
    text += decimals;
    text += sign.after;
    const double shown = ShownValue(thousandths);
    return {std::move(text), negative ? -shown : shown};
}

}  // namespace pelmora::number
