#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "number/decimal.h"
#include "number/number_text.h"
#include "tests/random_doubles.h"

namespace pelmora::number {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The point halfway between the largest subnormal and the smallest normal double, which has the
// most significant digits any such point has (768): read exactly, it ties to the even one.
const std::string kLongestHalfway =
    "2.2250738585072011360574097967091319759348195463516456480234261097248222220210769455165295"
    "2390813508791414915891303962110687008643869459464552765720740782062174337998814106326732"
    "9253552286881372149012981122451451889849057222307285255133155755015914397476397983411801"
    "9993239625482890171070818506906306666559949382757725720157630626906633326475653000092458"
    "8831643303777979186961204949739037782970490505108060994073026293712895895000358379996720"
    "7254304360284078895771796150945516748243471030702609144621572289880258182545180325707018"
    "8608721131280795122334262883686223215037756666225039825343359745688844239002654981983854"
    "8794829220689472168983109969836584681402285424333066033985088644580400103493397042756718"
    "644338377048603786162277173854562306587467901408672332763671875e-308";

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

// clang-format off
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
    {"DigitsPastAThousandBreakTheTie", "9007199254740993." + Repeat("0", 1000) + "1", 9007199254740994.0},
    {"ZerosPastAThousandKeepTheTie", "9007199254740993." + Repeat("0", 1000), 9007199254740992.0},
    {"LongestHalfwayPointTiesToEven", kLongestHalfway, 0x1p-1022},
    {"ManyLeadingZeros", Repeat("0", 100000) + "5", 5},
    {"ManyFractionZeros", "0." + Repeat("0", 100000) + "5", 0},
    {"ManyIntegerDigits", Repeat("9", 400), kInf},
};
// clang-format on

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
                         [](const auto& row) { return std::string(row.param.name); });

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
const NumberFormat kNoLeadingZero = Format(".", ",", {3}, false);
const NumberFormat kParentheses = Format(".", ",", {3}, true, NegativePattern::Parentheses);
const NumberFormat kMinusSpace = Format(".", ",", {3}, true, NegativePattern::LeadingMinusSpace);
const NumberFormat kTrailingMinus = Format(".", ",", {3}, true, NegativePattern::TrailingMinus);
const NumberFormat kTrailingSpaceMinus =
    Format(".", ",", {3}, true, NegativePattern::TrailingSpaceMinus);

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
    // Seventeen correctly rounded digits end in "50" here, yet the exact value lies below the
    // halfway point of the 16th digit: only the exact expansion rounds the cut correctly.
    {"ExactValueBelowHalfAtTheSixteenthDigit", 121970014555.8445, kExample, "121,970,014,555.844"},
    {"ExactValueBelowHalfInTheThirdDecimal", 74653148074.04245, kExample, "74,653,148,074.042"},
    {"ExactValueBelowHalfBelowOne", 0.1234999999999995, kExample, "0.123"},
    {"ExactValueBelowHalfBeforeACarry", 0.9994999999999995, kExample, "0.999"},
    // Just below a half-thousandth, but the cut to 15 digits rounds up to it.
    {"CutReachesAHalfFromBelow", 1234.567499999997, kExample, "1,234.568"},
    {"CutReachesAHalfBelowOne", 0.1234999999999997, kExample, "0.124"},
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
    {"NoLeadingZero", 0.25, kNoLeadingZero, ".250"},
    {"NoLeadingZeroNegative", -0.25, kNoLeadingZero, "-.250"},
    {"NoLeadingZeroForZero", 0, kNoLeadingZero, ".000"},
    {"Parentheses", -1.1, kParentheses, "(1.100)"},
    {"MinusSpace", -1.1, kMinusSpace, "- 1.100"},
    {"TrailingMinus", -1.1, kTrailingMinus, "1.100-"},
    {"TrailingSpaceMinus", -1.1, kTrailingSpaceMinus, "1.100 -"},
};

void PrintTo(const Writing& c, std::ostream* os) {
    *os << c.name;
}

class FormatResultCase : public ::testing::TestWithParam<Writing> {};

TEST_P(FormatResultCase, WritesThreeDecimals) {
    const Writing& c = GetParam();
    EXPECT_EQ(FormatResult(c.value, c.format).text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(NumberText, FormatResultCase, ::testing::ValuesIn(kWritings),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormatResult, LargestDoubleIsWrittenInFull) {
    const FormattedNumber written = FormatResult(std::numeric_limits<double>::max(), kExample);
    EXPECT_TRUE(written.text.starts_with("179,769,313,486,232,000,000,")) << written.text;
    EXPECT_EQ(written.text.size(), 309 + 102 + 4);  // digits, separators, ".000"
    EXPECT_EQ(written.shown, kInf);  // cut to 15 digits, it lies beyond the double range
}

struct UserReading {
    const char* name;
    std::string text;
    NumberFormat format;
    double expected;
};

const NumberFormat kBulgarian = Format(",", "\u00A0", {3});
const NumberFormat kGerman = Format(",", ".", {3});

// clang-format off
const UserReading kUserReadings[] = {
    // The decimal symbol is a point, and '.' still is.
    {"CommaDecimal", "2,5", kBulgarian, 2.5},
    {"PointUnderCommaSettings", "2.5", kBulgarian, 2.5},
    {"CommaDecimalFirst", "-,5", kBulgarian, -0.5},
    {"SecondDecimalSymbolStops", "1,2,3", kBulgarian, 1.2},
    {"MultiByteDecimal", "1٬234٫5", Format("٫", "٬", {3}), 1234.5},
    // Grouping symbols between well-formed groups are skipped; anywhere else they stop.
    {"GroupedExample", "1,234.500", kExample, 1234.5},
    {"NoBreakSpaceGroups", "1\u00A0234,5", kBulgarian, 1234.5},
    {"NarrowNoBreakSpaceGroups", "1\u202F234\u202F567,891", Format(",", "\u202F", {3}), 1234567.891},
    {"IndianGroups", "12,34,567.891", Format(".", ",", {3, 2}), 1234567.891},
    {"ThreesUnderIndianSettingsStop", "1,234,567", Format(".", ",", {3, 2}), 1},
    {"GroupOnlyOnce", "1234,567", Format(".", ",", {3, 0}), 1234567},
    {"ShortLastGroupStops", "3,5", kExample, 3},
    {"LongFirstGroupStops", "1234,567", kExample, 1234},
    {"OneBadGroupStopsAtTheFirstSeparator", "1,234,5", kExample, 1},
    {"TrailingSeparatorStops", "1,234,", kExample, 1234},
    {"SeparatorFirstReadsNothing", ",234", kExample, 0},
    {"NoGroupSizesNoGrouping", "1,234", Format(".", ",", {}), 1},
    {"GroupsAcrossBlanks", "1, 234 .5", kExample, 1234.5},
    // A '.' grouping symbol groups where the groups are right, and is the point elsewhere.
    {"DotGroups", "1.234.567,891", kGerman, 1234567.891},
    {"DotGroupOfThree", "1.234", kGerman, 1234},
    {"DotNotAGroupIsThePoint", "3.14159", kGerman, 3.14159},
    {"DotBadGroupThenComma", "1.5,3", kGerman, 1.5},
    // Settings that clash with the grammar.
    {"SameSymbolsReadPlainly", "1.234.500", Format(".", ".", {3}), 1.234},
    {"LetterDecimalReadsPlainly", "2E3", Format("E", ",", {3}), 2000},
    {"BlankGroupingKeepsTheComma", "1 234,5", Format(",", " ", {3}), 1234.5},
    {"SignGroupingIsNoGrouping", "1-234", Format(",", "-", {3}), 1},
    // The rest of the grammar stays.
    {"HexUnderSettings", "&H1,0", kBulgarian, 1},
    {"ExponentAfterComma", "1,5E3", kBulgarian, 1500},
    {"SignBeforeGroups", "-1,234.5", kExample, -1234.5},
};
// clang-format on

void PrintTo(const UserReading& c, std::ostream* os) {
    *os << c.name;
}

class ReadUserNumberCase : public ::testing::TestWithParam<UserReading> {};

TEST_P(ReadUserNumberCase, ReadsUnderTheSettings) {
    const UserReading& c = GetParam();
    EXPECT_EQ(ReadUserNumber(c.text, c.format), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(NumberText, ReadUserNumberCase, ::testing::ValuesIn(kUserReadings),
                         [](const auto& row) { return std::string(row.param.name); });

// Switches the process's locale for one test and puts the old one back.
class ProcessLocaleGuard {
public:
    explicit ProcessLocaleGuard(const char* name) : m_old(std::setlocale(LC_ALL, nullptr)) {
        m_switched = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocaleGuard() { std::setlocale(LC_ALL, m_old.c_str()); }
    ProcessLocaleGuard(const ProcessLocaleGuard&) = delete;
    ProcessLocaleGuard& operator=(const ProcessLocaleGuard&) = delete;

    bool switched() const { return m_switched; }

private:
    std::string m_old;
    bool m_switched = false;
};

// Under a German process locale the C library reads "1.5" as 1 and writes 1,5; neither
// conversion may follow it. The C runtime of Windows knows the locale by another name.
#ifdef _WIN32
constexpr const char* kGermanLocale = "German_Germany.1252";
#else
constexpr const char* kGermanLocale = "de_DE.UTF-8";
#endif

TEST(NumberText, DoesNotDependOnTheProcessLocale) {
    const ProcessLocaleGuard german(kGermanLocale);
    if (!german.switched()) GTEST_SKIP() << "the locale " << kGermanLocale << " is not available";
    EXPECT_EQ(ReadNumber("1.5e1"), 15.0);
    EXPECT_EQ(FormatResult(-1234.5, kExample).text, "-1,234.500");
}

struct Shown {
    const char* name;
    double value;
    NumberFormat format;
    std::string text;
    double shown;
};

// What a written text shows is its three-decimal value, whatever the symbols around it.
const Shown kShown[] = {
    {"Grouped", 1234.5, kExample, "1,234.500", 1234.5},
    {"CommaDecimal", 12.5, Format(",", "", {3}), "12,500", 12.5},
    {"DotGrouping", 1234567.891, Format(",", ".", {3}), "1.234.567,891", 1234567.891},
    {"SameSymbolForBoth", 1234.5, Format(".", ".", {3}), "1.234.500", 1234.5},
    {"MultiByteSymbols", 1234.5, Format("٫", "٬", {3}), "1٬234٫500", 1234.5},
    {"Parentheses", -1.1, kParentheses, "(1.100)", -1.1},
    {"TrailingSpaceMinus", -1.1, kTrailingSpaceMinus, "1.100 -", -1.1},
    {"NoLeadingZero", 0.25, kNoLeadingZero, ".250", 0.25},
    {"ThreeDecimalsNotTheExactValue", 47.12388980384685, kExample, "47.124", 47.124},
    {"CutBeforeRounding", 1.0005, kExample, "1.001", 1.001},
    {"NegativeShownAsZero", -0.0001, kExample, "0.000", 0.0},
    {"Infinity", -kInf, kExample, "-∞", -kInf},
};

void PrintTo(const Shown& c, std::ostream* os) {
    *os << c.name;
}

class ShownValue : public ::testing::TestWithParam<Shown> {};

TEST_P(ShownValue, IsTheNumberTheTextShows) {
    const Shown& c = GetParam();
    const FormattedNumber written = FormatResult(c.value, c.format);
    EXPECT_EQ(written.text, c.text);
    EXPECT_EQ(written.shown, c.shown);
    EXPECT_EQ(std::signbit(written.shown), std::signbit(c.shown));
}

INSTANTIATE_TEST_SUITE_P(NumberText, ShownValue, ::testing::ValuesIn(kShown),
                         [](const auto& row) { return std::string(row.param.name); });

struct Cut {
    const char* name;
    double value;
    Decimal expected;
};

const Cut kCuts[] = {
    {"Zero", 0, {0, 0}},
    {"One", 1, {100000000000000, -14}},
    {"FifteenDigitsStay", 123456789012345, {123456789012345, 0}},
    {"NearestDoubleJustBelowAHalf", 1.0005, {100050000000000, -14}},
    {"ExactTieRoundsAway", 100000000000000.5, {100000000000001, 0}},
    {"SeventeenDigitsEndIn50ValueBelowHalf", 121970014555.8445, {121970014555844, -3}},
    {"SeventeenDigitsEndIn50ValueAboveHalf", 110366081.4341425, {110366081434143, -6}},
    {"RoundingUpGainsADigit", 9.9999999999999982, {100000000000000, -13}},
    {"LargestDouble", std::numeric_limits<double>::max(), {179769313486232, 294}},
    {"SmallestSubnormal", 5e-324, {494065645841247, -338}},
};

void PrintTo(const Cut& c, std::ostream* os) {
    *os << c.name;
}

class CutTo15DigitsCase : public ::testing::TestWithParam<Cut> {};

TEST_P(CutTo15DigitsCase, RoundsTheExactValueHalfAway) {
    const Cut& c = GetParam();
    const Decimal cut = CutTo15Digits(c.value);
    EXPECT_EQ(cut.significand, c.expected.significand);
    EXPECT_EQ(cut.exponent, c.expected.exponent);
}

INSTANTIATE_TEST_SUITE_P(NumberText, CutTo15DigitsCase, ::testing::ValuesIn(kCuts),
                         [](const auto& row) { return std::string(row.param.name); });

// Random doubles of every magnitude: the written text is within half a thousandth (plus the
// 15-digit cut) of the value, and under every format the value it shows is what its plain
// form reads as, and what the text reads as under that format.
TEST(NumberText, WrittenTextShowsTheValueUnderEveryFormat) {
    const NumberFormat plain = Format(".", "", {});
    const NumberFormat formats[] = {
        kExample, Format(",", ".", {3}), Format(".", ",", {3, 2}),
        Format("٫", "\u202F", {3}, false, NegativePattern::Parentheses)};
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const double value = testing::RandomDouble(random, i);
        if (!std::isfinite(value)) continue;
        const std::string plainText = FormatResult(value, plain).text;
        const double shown = ReadNumber(plainText);
        const double tolerance = 0.0005 + std::fabs(value) * 1e-14;
        ASSERT_LE(std::fabs(shown - value), tolerance) << plainText << " for " << value;
        for (const NumberFormat& format : formats) {
            const FormattedNumber written = FormatResult(value, format);
            ASSERT_EQ(written.shown, shown) << written.text;
            // Reading a text with a leading minus under its settings gives what it shows.
            if (format.negativePattern == NegativePattern::LeadingMinus) {
                ASSERT_EQ(ReadUserNumber(written.text, format), shown) << written.text;
            }
        }
    }
}

}  // namespace
}  // namespace pelmora::number
