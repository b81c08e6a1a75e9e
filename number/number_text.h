#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelmora::number {

// Where the minus sign, or the parentheses, go for a negative value.
enum class NegativePattern {
    Parentheses,        // (1.1)
    LeadingMinus,       // -1.1
    LeadingMinusSpace,  // - 1.1
    TrailingMinus,      // 1.1-
    TrailingSpaceMinus  // 1.1 -
};

// The user's regional number settings. A default-constructed one holds the example
// settings: '.' decimal symbol, ',' grouping in threes, leading zero, leading minus.
struct NumberFormat {
    std::string decimalSymbol = ".";
    std::string groupingSymbol = ",";
    // Integer digits per group, from the decimal symbol leftwards; the last size repeats.
    // An empty list or a 0 means no (further) grouping.
    std::vector<int> groupSizes = {3};
    bool leadingZero = true;
    NegativePattern negativePattern = NegativePattern::LeadingMinus;

    bool operator==(const NumberFormat&) const = default;
};

// Reads the number a field's text starts with; never fails and ignores the regional settings.
// Blanks, tabs and line feeds are dropped wherever they stand. Then: an optional sign, digits
// with at most one '.', and an optional exponent (E or D, either case, an optional sign and at
// least one digit). "&H" and "&O" start a hexadecimal or octal integer of any length.
// Reading stops at the first character that cannot continue the number; with no digit read
// the result is 0. The number is rounded to the nearest double, ties to even; beyond the
// double range it is ±infinity, below it a subnormal or zero.
double ReadNumber(std::string_view utf8Text);

// Reads the number a field's text starts with as ReadNumber does, but also under the user's
// settings: `format`'s decimal symbol is a decimal point as '.' is, and its grouping symbol is
// skipped where it separates the integer digits into exactly the groups `format` writes
// ("1,234.5" under the example settings; "3,5" stops at the ',' as 5 is no group of three).
// A grouping symbol '.' that does not separate such groups is the decimal point. Settings that
// clash with the grammar (both symbols the same, or a decimal symbol holding a digit, a sign,
// a blank, E or D) are ignored; a grouping symbol that clashes only turns grouping off.
double ReadUserNumber(std::string_view utf8Text, const NumberFormat& format);

// `utf8Text` with the grouping symbols taken out of the number it starts with, where
// ReadUserNumber skips them ("4 712,389" to "4712,389"); everything else as it stands.
std::string WithoutGrouping(std::string_view utf8Text, const NumberFormat& format);

// A value as FormatResult writes it, and the number that text shows.
struct FormattedNumber {
    std::string text;
    // The three-decimal value of the text as the nearest double (beyond the double range,
    // ±infinity), not the exact value it was made from; infinities and NaN show themselves.
    double shown;
};

// Writes `value` rounded to three decimals in fixed notation, grouped and signed as `format`
// says. The exact value is first cut to 15 significant digits, then rounded to three
// decimals, both half away from zero. A value that rounds to zero has no minus sign.
// Values of any size are written in full; infinities and NaN as "∞", "-∞" and "NaN".
FormattedNumber FormatResult(double value, const NumberFormat& format);

}  // namespace pelmora::number
