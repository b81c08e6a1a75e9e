#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "number/decimal.h"
#include "number/number_text.h"

namespace pelmora::number {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Collects the digits of a decimal number and rounds it to the nearest double.
// Only the first kKeep significant digits are kept; any later nonzero digit is remembered as
// one more '1' digit. No point halfway between two doubles has more significant digits than
// are kept, so that tail lands on the same side of it and the rounding stays exact for
// inputs of any length, in bounded memory.
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
    static constexpr std::size_t kKeep = kHalfwayDigits;

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

        // The kept digits, the '1' for the rest, 'e' and the exponent.
        std::array<char, kKeep + 1 + 1 + std::numeric_limits<std::int64_t>::digits10 + 2> text;
        char* end = std::copy_n(m_digits.begin(), m_count, text.data());
        std::int64_t exponent = m_exponent;
        if (m_sticky) {
            *end++ = '1';
            --exponent;
        }
        *end++ = 'e';
        end = std::to_chars(end, text.data() + text.size(), exponent).ptr;

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
    return std::ldexp(ExactDouble(mantissa), static_cast<int>(droppedBits));
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

}  // namespace pelmora::number
