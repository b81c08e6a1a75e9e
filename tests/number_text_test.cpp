#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "cone/number_text.h"

namespace pelmora::cone {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Reading {
    const char* name;
    std::string text;
    double expected;
};

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

const Reading kReadings[] = {
    // Blanks, tabs and line feeds vanish before anything else; other spaces stay.
    {"BlanksInsideDigits", " 2 45 7", 2457},
    {"BlanksAroundThePoint", "  3 . 5 ", 3.5},
    {"TabAndLineFeed", "\t1\n2", 12},
    {"BlanksJoinWords", "24 and 57", 24},
    {"CarriageReturnStops", "1\r2", 1},
    {"NoBreakSpaceStops", "1\u00A02", 1},
    // Signs and points.
    {"Plus", "+5", 5},
    {"Minus", "-5", -5},
    {"SignAlone", "-", 0},
    {"TwoSigns", "+-5", 0},
    {"PointFirst", ".5", 0.5},
    {"PointLast", "5.", 5},
    {"PointAlone", ".", 0},
    {"NegativePointFirst", "-.5", -0.5},
    {"SecondPointStops", "1.2.3", 1.2},
    {"CommaIsNoDecimalPoint", "2,5", 2},
    {"CommaIsNoGrouping", "1,234.500", 1},
    // Exponents.
    {"ExponentE", "1.5E3", 1500},
    {"ExponentLowerD", "2d-2", 0.02},
    {"ExponentUpperDPlus", "2D+2", 200},
    {"ExponentAcrossBlanks", "1 e 3", 1000},
    {"ExponentWithoutMantissa", "E5", 0},
    {"ExponentAfterLonePoint", ".e5", 0},
    {"LetterWithoutDigits", "12E", 12},
    {"LetterAndSignWithoutDigits", "3E+", 3},
    {"HugeExponent", "1e99999999999999999999", kInf},
    {"HugeNegativeExponent", "-1e-99999999999999999999", -0.0},
    {"BeyondTheLargestDouble", "-1e400", -kInf},
    {"JustBelowOverflowRoundsDown", "1.7976931348623158e308", 1.7976931348623157e308},
    {"PastHalfAnUlpAboveTheLargest", "1.7976931348623159e308", kInf},
    {"Subnormal", "1e-320", 1e-320},
    {"BelowHalfTheSmallestSubnormal", "2e-324", 0},
    // Junk.
    {"Empty", "", 0},
    {"Letters", "abc", 0},
    {"Units", "12cm", 12},
    {"InvalidUtf8", "\xff\xfe", 0},
    {"InvalidUtf8AfterDigits", "5\xff", 5},
    {"Cyrillic", "пет", 0},
    // Hexadecimal and octal integers.
    {"Hex", "&HFFFF", 65535},
    {"HexLowerCase", "&hff", 255},
    {"Octal", "&O777", 511},
    {"OctalStopsAtEight", "&o178", 15},
    {"HexWithBlanks", "& H 1 0", 16},
    {"HexStopsAtPoint", "&H1F.5", 31},
    {"PrefixAlone", "&H", 0},
    {"PrefixWithoutDigit", "&HG", 0},
    {"OtherPrefix", "&X1", 0},
    {"SignBeforePrefix", "-&H10", 0},
    {"HexTieRoundsToEven", "&H20000000000001", 9007199254740992.0},
    {"HexTieRoundsToEvenUp", "&H20000000000003", 9007199254740996.0},
    {"HexStickyBitsRoundUp", "&H2000000000000100000000000000001", 0x1.0000000000001p+121},
    {"HexBeyondRange", "&H" + Repeat("F", 300), kInf},
    // Nearest double, ties to even, for inputs of any length.
    {"DecimalTieRoundsToEven", "9007199254740993", 9007199254740992.0},
    {"DigitsPastAThousandBreakTheTie", "9007199254740993." + Repeat("0", 1000) + "1",
     9007199254740994.0},
    {"ZerosPastAThousandKeepTheTie", "9007199254740993." + Repeat("0", 1000), 9007199254740992.0},
    {"ManyLeadingZeros", Repeat("0", 100000) + "5", 5},
    {"ManyFractionZeros", "0." + Repeat("0", 100000) + "5", 0},
    {"ManyIntegerDigits", Repeat("9", 400), kInf},
};

void PrintTo(const Reading& c, std::ostream* os) {
    *os << c.name;
}

class ReadNumberCase : public ::testing::TestWithParam<Reading> {};

TEST_P(ReadNumberCase, ReadsTheLeadingNumber) {
    const Reading& c = GetParam();
    const double value = ReadNumber(c.text);
    EXPECT_EQ(value, c.expected) << '"' << c.text.substr(0, 60) << '"';
    EXPECT_EQ(std::signbit(value), std::signbit(c.expected));
}

INSTANTIATE_TEST_SUITE_P(NumberText, ReadNumberCase, ::testing::ValuesIn(kReadings),
                         [](const auto& info) { return std::string(info.param.name); });

NumberFormat Format(std::string decimal, std::string grouping, std::vector<int> sizes,
                    bool leadingZero = true,
                    NegativePattern negative = NegativePattern::LeadingMinus) {
    return {std::move(decimal), std::move(grouping), std::move(sizes), leadingZero, negative};
}

struct Writing {
    const char* name;
    double value;
    NumberFormat format;
    std::string expected;
};

const NumberFormat kExample;

const Writing kWritings[] = {
    {"Zero", 0, kExample, "0.000"},
    {"Integer", 3, kExample, "3.000"},
    {"LateralArea", 47.12388980384685, kExample, "47.124"},
    {"Grouped", 1234.5, kExample, "1,234.500"},
    {"Fraction", 0.25, kExample, "0.250"},
    {"Negative", -7.56637061435916, kExample, "-7.566"},
    // The cut to 15 significant digits comes first, then three decimals; both half away.
    {"CutBeforeRounding", 1.0005, kExample, "1.001"},
    {"HalfAwayFromZero", 1.2345, kExample, "1.235"},
    {"NegativeHalfAwayFromZero", -0.0005, kExample, "-0.001"},
    {"ExactTieAtTheSixteenthDigit", 100000000000000.5, kExample, "100,000,000,000,001.000"},
    {"SixteenthDigitCut", 9007199254740992.0, kExample, "9,007,199,254,740,990.000"},
    {"CarryIntoANewDigit", 999.9995, kExample, "1,000.000"},
    {"SmallestShownStep", 0.0005, kExample, "0.001"},
    {"BelowTheSmallestStep", 0.00049, kExample, "0.000"},
    {"NegativeRoundingToZeroHasNoSign", -0.0001, kExample, "0.000"},
    {"NegativeZeroHasNoSign", -0.0, kExample, "0.000"},
    {"Residue", -7.067899292141156e-17, kExample, "0.000"},
    {"Huge", 1e20, kExample, "100,000,000,000,000,000,000.000"},
    {"SmallestSubnormal", 5e-324, kExample, "0.000"},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), kExample, "NaN"},
    {"Infinity", kInf, kExample, "∞"},
    {"NegativeInfinity", -kInf, kExample, "-∞"},
    // Regional formats.
    {"CommaDecimalNoSeparator", 1234.5, Format(",", "", {3}), "1234,500"},
    {"DotsAndComma", 1234567.891, Format(",", ".", {3}), "1.234.567,891"},
    {"IndianGrouping", 1234567.891, Format(".", ",", {3, 2}), "12,34,567.891"},
    {"GroupOnlyOnce", 1234567.0, Format(".", ",", {3, 0}), "1234,567.000"},
    {"NoGroupSizes", 1234567.0, Format(".", ",", {}), "1234567.000"},
    {"NarrowNoBreakSpace", 1234.5, Format(",", "\u202F", {3}), "1\u202F234,500"},
    {"ArabicSymbols", 1234.5, Format("٫", "٬", {3}), "1٬234٫500"},
    {"EmptyDecimalSymbolFallsBackToPoint", 1.5, Format("", "", {}), "1.500"},
    {"NoLeadingZero", 0.25, Format(".", ",", {3}, false), ".250"},
    {"NoLeadingZeroNegative", -0.25, Format(".", ",", {3}, false), "-.250"},
    {"NoLeadingZeroForZero", 0, Format(".", ",", {3}, false), ".000"},
    {"Parentheses", -1.1, Format(".", ",", {3}, true, NegativePattern::Parentheses), "(1.100)"},
    {"MinusSpace", -1.1, Format(".", ",", {3}, true, NegativePattern::LeadingMinusSpace),
     "- 1.100"},
    {"TrailingMinus", -1.1, Format(".", ",", {3}, true, NegativePattern::TrailingMinus), "1.100-"},
    {"TrailingSpaceMinus", -1.1, Format(".", ",", {3}, true, NegativePattern::TrailingSpaceMinus),
     "1.100 -"},
};

void PrintTo(const Writing& c, std::ostream* os) {
    *os << c.name;
}

class FormatResultCase : public ::testing::TestWithParam<Writing> {};

TEST_P(FormatResultCase, WritesThreeDecimals) {
    const Writing& c = GetParam();
    EXPECT_EQ(FormatResult(c.value, c.format), c.expected);
}

INSTANTIATE_TEST_SUITE_P(NumberText, FormatResultCase, ::testing::ValuesIn(kWritings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatResult, LargestDoubleIsWrittenInFull) {
    const std::string text = FormatResult(std::numeric_limits<double>::max(), kExample);
    EXPECT_TRUE(text.starts_with("179,769,313,486,232,000,000,")) << text;
    EXPECT_EQ(text.size(), 309 + 102 + 4);  // digits, separators, ".000"
}

// Under a German process locale the C library reads "1.5" as 1 and writes 1,5; neither
// conversion may follow it. The C runtime of Windows knows the locale by another name.
#ifdef _WIN32
constexpr const char* kGermanLocale = "German_Germany.1252";
#else
constexpr const char* kGermanLocale = "de_DE.UTF-8";
#endif

TEST(NumberText, DoesNotDependOnTheProcessLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, kGermanLocale), nullptr)
        << kGermanLocale << " is not installed; ./test.sh generates it";
    const double read = ReadNumber("1.5e1");
    const std::string written = FormatResult(-1234.5, kExample);
    std::setlocale(LC_ALL, old.c_str());
    EXPECT_EQ(read, 15.0);
    EXPECT_EQ(written, "-1,234.500");
}

struct ShownCase {
    const char* name;
    std::string text;
    NumberFormat format;
    std::optional<double> expected;
};

const ShownCase kShown[] = {
    {"Grouped", "1,234.500", kExample, 1234.5},
    {"CommaDecimal", "12,500", Format(",", "", {3}), 12.5},
    {"DotGrouping", "1.234.567,891", Format(",", ".", {3}), 1234567.891},
    {"SameSymbolForBoth", "1.234.500", Format(".", ".", {3}), 1234.5},
    {"MultiByteSymbols", "1٬234٫500", Format("٫", "٬", {3}), 1234.5},
    {"Parentheses", "(1.100)", Format(".", ",", {3}, true, NegativePattern::Parentheses), -1.1},
    {"TrailingSpaceMinus", "1.100 -",
     Format(".", ",", {3}, true, NegativePattern::TrailingSpaceMinus), -1.1},
    {"NoLeadingZero", ".250", Format(".", ",", {3}, false), 0.25},
    {"TooFewDecimals", "1.23", kExample, std::nullopt},
    {"TooManyDecimals", "1.2345", kExample, std::nullopt},
    {"OtherSymbols", "1,234.500", Format(",", "", {3}), std::nullopt},
    {"Words", "abc", kExample, std::nullopt},
    {"Infinity", "∞", kExample, std::nullopt},
};

void PrintTo(const ShownCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadShownNumberCase : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ReadShownNumberCase, ReadsWhatTheTextShows) {
    const ShownCase& c = GetParam();
    EXPECT_EQ(ReadShownNumber(c.text, c.format), c.expected);
}

INSTANTIATE_TEST_SUITE_P(NumberText, ReadShownNumberCase, ::testing::ValuesIn(kShown),
                         [](const auto& info) { return std::string(info.param.name); });

// Random doubles of every magnitude: the written text is within half a thousandth (plus the
// 15-digit cut) of the value, and reads back under its format as it reads in plain form.
TEST(NumberText, WrittenTextShowsTheValueUnderEveryFormat) {
    const NumberFormat plain = Format(".", "", {});
    const NumberFormat formats[] = {
        kExample, Format(",", ".", {3}), Format(".", ",", {3, 2}),
        Format("٫", "\u202F", {3}, false, NegativePattern::Parentheses)};
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const double value = i % 2 == 0 ? std::bit_cast<double>(random())
                                        : std::ldexp(static_cast<double>(random() >> 11) - 0x1p52,
                                                     static_cast<int>(random() % 80) - 60);
        if (!std::isfinite(value)) continue;
        const std::string plainText = FormatResult(value, plain);
        const double shown = ReadNumber(plainText);
        const double tolerance = 0.0005 + std::fabs(value) * 1e-14;
        ASSERT_LE(std::fabs(shown - value), tolerance) << plainText << " for " << value;
        for (const NumberFormat& format : formats) {
            const std::string text = FormatResult(value, format);
            ASSERT_EQ(ReadShownNumber(text, format), shown) << text;
        }
    }
}

}  // namespace
}  // namespace pelmora::cone
