#include "number/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace pelmora::number {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Collects the digits of a decimal number and rounds it to the nearest double.
// Only the first kKeep significant digits are kept; any later nonzero digit is remembered as
// one more '1' digit. Every point halfway between two doubles has at most 767 significant
// digits, so that tail lands on the same side of it and the rounding stays exact for inputs
// of any length, in bounded memory.
class DecimalNumber {
public:
    void integerDigit(char c) { digit(c, false); }
    void fractionDigit(char c) { digit(c, true); }
    bool hasDigits() const { return m_anyDigit; }

    // Adds a power of ten from an exponent; `power` is already clamped to a safe range.
    void scale(std::int64_t power) { m_exponent += power; }

    double toDouble(bool negative) const {
        const double magnitude = unsignedValue();
        return negative ? -magnitude : magnitude;
    }

private:
    static constexpr std::size_t kKeep = 800;

    void digit(char c, bool fraction) {
        m_anyDigit = true;
        if (m_count == 0 && c == '0') {  // a leading zero only moves the point
            if (fraction) --m_exponent;
            return;
        }
        if (m_count < kKeep) {
            m_digits[m_count++] = c;
            if (fraction) --m_exponent;
        } else {
            m_sticky = m_sticky || c != '0';
            if (!fraction) ++m_exponent;
        }
    }

    double unsignedValue() const {
        if (m_count == 0) return 0.0;
        // The value lies in [10^(magnitude-1), 10^magnitude).
        const std::int64_t magnitude = static_cast<std::int64_t>(m_count) + m_exponent;
        if (magnitude > 310) return kInfinity;
        if (magnitude < -324) return 0.0;

        std::array<char, kKeep + 32> text;
        char* end = std::copy_n(m_digits.begin(), m_count, text.begin());
        std::int64_t exponent = m_exponent;
        if (m_sticky) {
            *end++ = '1';
            --exponent;
        }
        *end++ = 'e';
        end = std::to_chars(end, text.end(), exponent).ptr;

        double value = 0.0;
        const auto [ptr, error] = std::from_chars(text.data(), end, value);
        if (error == std::errc::result_out_of_range) return magnitude > 0 ? kInfinity : 0.0;
        return value;
    }

    std::array<char, kKeep> m_digits;  // only the first m_count are ever read
    std::size_t m_count = 0;
    bool m_sticky = false;
    bool m_anyDigit = false;
    std::int64_t m_exponent = 0;  // value = digits × 10^m_exponent
};

// Walks the text byte by byte, passing over the blanks that reading ignores wherever they
// stand. UTF-8 never uses these bytes inside a multi-byte character.
class Cursor {
public:
    static constexpr int kEnd = -1;

    explicit Cursor(std::string_view text) : m_text(text) {}

    int peek() {
        while (m_pos < m_text.size() && IsIgnored(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size() ? static_cast<unsigned char>(m_text[m_pos]) : kEnd;
    }
    void next() { ++m_pos; }

private:
    static bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Reads an exponent's digits, saturating far beyond any power that could matter.
std::int64_t ReadExponentDigits(Cursor& cursor) {
    constexpr std::int64_t kLimit = 1'000'000'000'000;
    std::int64_t power = 0;
    for (int c = cursor.peek(); IsDigit(c); c = cursor.peek()) {
        power = std::min(kLimit, power * 10 + (c - '0'));
        cursor.next();
    }
    return power;
}

int RadixDigit(int c, int radix) {
    int value = 99;
    if (IsDigit(c))
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// A hexadecimal or octal integer of any length, rounded to the nearest double (ties to even).
double ReadRadixInteger(Cursor& cursor, int bitsPerDigit) {
    const int radix = 1 << bitsPerDigit;
    std::uint64_t mantissa = 0;
    bool sticky = false;  // a nonzero bit was dropped below the mantissa
    std::int64_t droppedBits = 0;
    for (int digit = RadixDigit(cursor.peek(), radix); digit >= 0;
         digit = RadixDigit(cursor.peek(), radix)) {
        cursor.next();
        if ((mantissa >> (64 - bitsPerDigit)) == 0) {
            mantissa = (mantissa << bitsPerDigit) | static_cast<std::uint64_t>(digit);
        } else {
            sticky = sticky || digit != 0;
            droppedBits += bitsPerDigit;
        }
    }
    if (mantissa == 0) return 0.0;

    const int width = static_cast<int>(std::bit_width(mantissa));
    if (width > 53) {
        const int drop = width - 53;
        const std::uint64_t rest = mantissa & ((std::uint64_t{1} << drop) - 1);
        const std::uint64_t half = std::uint64_t{1} << (drop - 1);
        mantissa >>= drop;
        droppedBits += drop;
        if (rest > half || (rest == half && (sticky || (mantissa & 1) != 0))) ++mantissa;
    }
    if (droppedBits > 1100) return kInfinity;
    return std::ldexp(static_cast<double>(mantissa), static_cast<int>(droppedBits));
}

// A number in decimal: sign, digits with at most one point, an optional exponent.
double ReadDecimal(Cursor& cursor) {
    bool negative = false;
    if (const int c = cursor.peek(); c == '+' || c == '-') {
        negative = c == '-';
        cursor.next();
    }
    DecimalNumber number;
    for (int c = cursor.peek(); IsDigit(c); c = cursor.peek()) {
        number.integerDigit(static_cast<char>(c));
        cursor.next();
    }
    if (cursor.peek() == '.') {
        cursor.next();
        for (int c = cursor.peek(); IsDigit(c); c = cursor.peek()) {
            number.fractionDigit(static_cast<char>(c));
            cursor.next();
        }
    }
    if (!number.hasDigits()) return 0.0;

    // An exponent letter belongs to the number only when a digit follows it.
    if (const int c = cursor.peek(); c == 'E' || c == 'e' || c == 'D' || c == 'd') {
        Cursor exponent = cursor;
        exponent.next();
        bool negativePower = false;
        if (const int s = exponent.peek(); s == '+' || s == '-') {
            negativePower = s == '-';
            exponent.next();
        }
        if (IsDigit(exponent.peek())) {
            const std::int64_t power = ReadExponentDigits(exponent);
            number.scale(negativePower ? -power : power);
        }
    }
    return number.toDouble(negative);
}

// ---- writing ----

// The decimal digits of |value| cut to 15 significant digits, half away from zero:
// value ≈ d[0].d[1]…d[14] × 10^exponent.
struct Significant15 {
    std::array<int, 15> digits{};
    int exponent = 0;
};

// Writes `magnitude` with `precision` digits after the point in scientific form ("d.ddd…e±xx",
// correctly rounded from the exact value) and takes its first 17 digits and its exponent.
void ScientificDigits(double magnitude, int precision, std::array<char, 800>& buffer,
                      std::array<int, 17>& firstDigits, int& exponent) {
    char* const begin = buffer.data();
    char* const end = std::to_chars(begin, begin + buffer.size(), magnitude,
                                    std::chars_format::scientific, precision)
                          .ptr;
    char* const e = std::find(begin, end, 'e');
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    std::size_t count = 0;
    for (const char* p = begin; p < e && count < firstDigits.size(); ++p) {
        if (IsDigit(*p)) firstDigits[count++] = *p - '0';
    }
}

Significant15 CutTo15Digits(double magnitude) {
    Significant15 result;
    if (magnitude == 0) return result;

    // 17 correctly rounded digits decide the 16th-digit question in all but one case: when
    // they end in "50" the exact value may lie on either side of the halfway point.
    std::array<int, 17> first{};
    std::array<char, 800> buffer;
    int exponent = 0;
    ScientificDigits(magnitude, 16, buffer, first, exponent);
    bool up = first[15] * 10 + first[16] >= 50;
    if (first[15] == 5 && first[16] == 0) {
        // The exact expansion of a double has at most 767 significant digits.
        ScientificDigits(magnitude, 780, buffer, first, exponent);
        up = first[15] >= 5;
    }
    std::copy_n(first.begin(), 15, result.digits.begin());
    result.exponent = exponent;
    if (up) {
        std::size_t i = 15;
        for (; i > 0 && result.digits[i - 1] == 9; --i)
            result.digits[i - 1] = 0;
        if (i > 0) {
            ++result.digits[i - 1];
        } else {
            result.digits[0] = 1;
            ++result.exponent;
        }
    }
    return result;
}

// The decimal digits of |value| × 1000 rounded to an integer, half away from zero, after the
// cut to 15 significant digits; at least four digits, so the integer part is never empty.
std::string ThousandthsDigits(double magnitude) {
    const Significant15 cut = CutTo15Digits(magnitude);
    std::string digits;
    if (magnitude != 0) {
        const int roundingDigit = cut.exponent + 4;  // index of the 10^-4 digit
        if (roundingDigit >= 0) {
            const int kept = std::min(roundingDigit, 15);
            for (std::size_t i = 0; i < static_cast<std::size_t>(kept); ++i)
                digits.push_back(static_cast<char>('0' + cut.digits[i]));
            // Pad with zeros down to the 10^-3 place.
            digits.append(static_cast<std::size_t>(cut.exponent + 4 - kept), '0');
            if (roundingDigit < 15 && cut.digits[static_cast<std::size_t>(roundingDigit)] >= 5) {
                auto it = digits.rbegin();
                for (; it != digits.rend() && *it == '9'; ++it)
                    *it = '0';
                if (it != digits.rend())
                    ++*it;
                else
                    digits.insert(digits.begin(), '1');
            }
        }
    }
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

void AppendGrouped(std::string& out, std::string_view integerDigits, const NumberFormat& format) {
    // Split into groups from the right, then write them left to right.
    std::array<std::size_t, 400> groupEnds{};  // offsets where a grouping symbol follows
    std::size_t groupCount = 0;
    std::size_t remaining = integerDigits.size();
    for (std::size_t i = 0; !format.groupingSymbol.empty() && remaining > 0; ++i) {
        const int size = format.groupSizes.empty()
                             ? 0
                             : format.groupSizes[std::min(i, format.groupSizes.size() - 1)];
        if (size <= 0 || static_cast<std::size_t>(size) >= remaining) break;
        remaining -= static_cast<std::size_t>(size);
        groupEnds[groupCount++] = remaining;
        if (groupCount == groupEnds.size()) break;
    }
    std::size_t start = 0;
    while (groupCount > 0) {
        const std::size_t end = groupEnds[--groupCount];
        out.append(integerDigits.substr(start, end - start));
        out.append(format.groupingSymbol);
        start = end;
    }
    out.append(integerDigits.substr(start));
}

std::string_view DecimalSymbolOf(const NumberFormat& format) {
    return format.decimalSymbol.empty() ? std::string_view(".") : format.decimalSymbol;
}

std::string ApplyNegativePattern(std::string magnitude, NegativePattern pattern) {
    switch (pattern) {
        case NegativePattern::Parentheses:
            return "(" + magnitude + ")";
        case NegativePattern::LeadingMinus:
            return "-" + magnitude;
        case NegativePattern::LeadingMinusSpace:
            return "- " + magnitude;
        case NegativePattern::TrailingMinus:
            return magnitude + "-";
        case NegativePattern::TrailingSpaceMinus:
            return magnitude + " -";
    }
    return "-" + magnitude;
}

}  // namespace

double ReadNumber(std::string_view utf8Text) {
    Cursor cursor(utf8Text);
    if (cursor.peek() == '&') {
        cursor.next();
        const int kind = cursor.peek();
        if (kind == 'H' || kind == 'h' || kind == 'O' || kind == 'o') {
            cursor.next();
            return ReadRadixInteger(cursor, kind == 'H' || kind == 'h' ? 4 : 3);
        }
        return 0.0;
    }
    return ReadDecimal(cursor);
}

FormattedNumber FormatResult(double value, const NumberFormat& format) {
    if (std::isnan(value)) return {"NaN", value};
    if (std::isinf(value)) {
        return {value > 0 ? "∞" : ApplyNegativePattern("∞", format.negativePattern), value};
    }
    const std::string digits = ThousandthsDigits(std::fabs(value));
    const std::string_view integerDigits(digits.data(), digits.size() - 3);
    const std::string_view fractionDigits(digits.data() + digits.size() - 3, 3);

    std::string out;
    out.reserve(digits.size() + digits.size() / 2 * format.groupingSymbol.size() + 16);
    if (integerDigits != "0" || format.leadingZero) AppendGrouped(out, integerDigits, format);
    out.append(DecimalSymbolOf(format));
    out.append(fractionDigits);

    const bool shownAsZero = digits.find_first_not_of('0') == std::string::npos;
    const bool negative = std::signbit(value) && !shownAsZero;
    DecimalNumber shown;
    for (const char c : integerDigits)
        shown.integerDigit(c);
    for (const char c : fractionDigits)
        shown.fractionDigit(c);
    if (negative) return {ApplyNegativePattern(out, format.negativePattern), shown.toDouble(true)};
    return {out, shown.toDouble(false)};
}

}  // namespace pelmora::number
