#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "cone/cone.h"
#include "number/number_text.h"

namespace pelmora::cone {
namespace {

using number::FormatResult;
using number::NumberFormat;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Exact {
    const char* name;
    std::int16_t variant;
    double first, second;
    ConeValues expected;
};

// Results pinned to the last bit.
// clang-format off
const Exact kExact[] = {
    // name                           variant  first   second   R                       L                   So                      Sp
    {"UnitConeIsPiAndTwoPi",          0,       1,      1,      {1,                      1,                  3.14159265358979,       6.28318530717958}},
    {"WorkedConeThreeFive",           0,       3,      5,      {3,                      5,                  47.12388980384685,      75.39822368615496}},
    {"ZeroConeDoesNotFail",           0,       0,      0,      {0,                      0,                  0,                      0}},
    {"FlatZeroConeDoesNotFail",       2,       0,      0,      {0,                      0,                  0,                      0}},
    {"NegativeTotalTakesThePlusRoot", 2,       10,     -1,     {-0.03193296001189133,   10,                 -1.0032035258073433,    -1}},
    {"ResidueIsNotCleanedAway",       2,       0.7,    0,      {-7.067899292141156e-17, 0.7,                -1.554312234475219e-16, 0}},
    {"NoResidueForUnitSlant",         2,       1,      0,      {0,                      1,                  0,                      0}},
    {"UnderflowIsNotAFailure",        0,       1e-200, 1e-200, {1e-200,                 1e-200,             0,                      0}},
    // Each row below changes in its last bit if its variant's formulas are regrouped, e.g.
    // (So / Pi) / R for So / (Pi * R), Pi * (R * R) for (Pi * R) * R, Sp / Pi - So / Pi for
    // (Sp - So) / Pi, or if a multiply and an add of variant 2 are fused.
    {"SlantIsLateralAreaOverPiR",     1,       56.4,   368,    {56.4,                   2.0769155694261543, 368,                    10361.280567362977}},
    {"RadiusIsLateralAreaOverPiL",    3,       70.8,   174,    {0.78228700841779142,    70.8,               174,                    175.92256976645052}},
    {"BaseAreaIsPiRTimesR",           4,       26.8,   300,    {26.8,                   -23.236829632271,   -1956.4175075143312,    300}},
    {"RadiusIsAreaGapOverPi",         5,       47.124, 75.398, {2.9999822869411252,     5.0000412141831232, 47.124,                 75.398}},
    {"DiscriminantIsNotFused",        2,       81.6,   263,    {1.0133411731989732,     81.6,               259.77402312063936,     263}},
    // Each row below catches orders that the rows above let through:
    //   SoIsPiRThenL_SpIsPiRThenSum  Pi * (R * L) for So and Pi * (R * (R + L)) for Sp
    //   SoIsNotPiLThenR              (Pi * L) * R for So
    //   SpIsNotPiSumThenR            (Pi * (R + L)) * R for Sp
    //   SlantIsNotSoOverRThenPi      (So / R) / Pi for So / (Pi * R)
    //   RadiusIsNotSoOverLThenPi     (So / L) / Pi for So / (Pi * L)
    //   SlantFromTotalOverPiR        (lateral / Pi) / R, (lateral / R) / Pi for lateral / (Pi * R)
    //   SlantIsNotSpOverPiRMinusR    Sp / (Pi * R) - Pi * R * R / (Pi * R), the difference split
    //   SlantFromAreasIsSoOverPiR    (So / R) / Pi for So / (Pi * R)
    //   RadiusIsOverTwoPiAtOnce      (x / Pi) / 2 and (x / 2) / Pi for x / (2 * Pi); only a
    //                                subnormal x tells them apart
    // Sp * (4 * Pi) and (Sp * 4) * Pi are equal for every input, as scaling by 4 is exact.
    {"SoIsPiRThenL_SpIsPiRThenSum",   0,       3,      3,      {3,                      3,                  28.274333882308113,     56.548667764616226}},
    {"SoIsNotPiLThenR",               0,       5,      7,      {5,                      7,                  109.95574287564264,     188.4955592153874}},
    {"SpIsNotPiSumThenR",             0,       5,      2,      {5,                      2,                  31.4159265358979,       109.95574287564264}},
    {"SlantIsNotSoOverRThenPi",       1,       3,      3,      {3,                      0.31830988618379097, 3,                     31.27433388230811}},
    {"RadiusIsNotSoOverLThenPi",      3,       3,      3,      {0.31830988618379097,    3,                  3,                      3.3183098861837905}},
    {"SlantFromTotalOverPiR",         4,       3,      29,     {3,                      0.07699556644331265, 0.7256661176918868,    29}},
    {"SlantIsNotSpOverPiRMinusR",     4,       1,      4,      {1,                      0.273239544735164,  0.85840734641021,       4}},
    {"SlantFromAreasIsSoOverPiR",     5,       1,      3,      {0.7978845608028658,     0.39894228040143287, 1,                     3}},
    {"RadiusIsOverTwoPiAtOnce",       2,       1e-312, 0,      {-4.99999999997e-313,    1e-312,             0,                      0}},
};
// clang-format on

void PrintTo(const Exact& c, std::ostream* os) {
    *os << c.name;
}

class SolveConeExact : public ::testing::TestWithParam<Exact> {};

TEST_P(SolveConeExact, MatchesToTheLastBit) {
    const Exact& c = GetParam();
    const ConeResult result = SolveCone(c.variant, c.first, c.second);
    ASSERT_TRUE(std::holds_alternative<ConeValues>(result));
    const ConeValues& v = std::get<ConeValues>(result);
    EXPECT_EQ(v.R, c.expected.R);
    EXPECT_EQ(v.L, c.expected.L);
    EXPECT_EQ(v.So, c.expected.So);
    EXPECT_EQ(v.Sp, c.expected.Sp);
}

INSTANTIATE_TEST_SUITE_P(Cone, SolveConeExact, ::testing::ValuesIn(kExact),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SolveCone, PiIsTheProgramsOwnNotTheTrueOne) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(Pi), 0x400921FB54442D11u);
    EXPECT_LT(Pi, 3.141592653589793);
}

// Any known pair of the three-decimal values of the cone R = 3, L = 5 gives the cone back.
TEST(SolveCone, EveryVariantGivesBackTheWorkedCone) {
    const ConeValues shown{3.000, 5.000, 47.124, 75.398};
    const NumberFormat format;
    for (std::int16_t variant = 0; variant < kVariantCount; ++variant) {
        SCOPED_TRACE(variant);
        const KnownPair known = kKnownPairs[static_cast<std::size_t>(variant)];
        const ConeResult result =
            SolveCone(variant, ValueOf(shown, known.first), ValueOf(shown, known.second));
        ASSERT_TRUE(std::holds_alternative<ConeValues>(result));
        const ConeValues& v = std::get<ConeValues>(result);
        EXPECT_EQ(FormatResult(v.R, format).text, "3.000");
        EXPECT_EQ(FormatResult(v.L, format).text, "5.000");
        EXPECT_EQ(FormatResult(v.So, format).text, "47.124");
        EXPECT_EQ(FormatResult(v.Sp, format).text, "75.398");
    }
}

TEST(SolveCone, NegativeResultsStand) {
    const ConeResult result = SolveCone(4, 2, 5);
    ASSERT_TRUE(std::holds_alternative<ConeValues>(result));
    const ConeValues& v = std::get<ConeValues>(result);
    EXPECT_EQ(FormatResult(v.L, {}).text, "-1.204");
    EXPECT_EQ(FormatResult(v.So, {}).text, "-7.566");
}

TEST(SolveCone, KnownMembersAreTheInputsBitForBit) {
    const double inputs[][2] = {{3, 5}, {-0.0, 2}, {-4.5, 1e-300}, {7, -0.25}};
    for (std::int16_t variant = 0; variant < kVariantCount; ++variant) {
        for (const auto& in : inputs) {
            const ConeResult result = SolveCone(variant, in[0], in[1]);
            if (!std::holds_alternative<ConeValues>(result)) continue;
            const KnownPair known = kKnownPairs[static_cast<std::size_t>(variant)];
            const ConeValues& v = std::get<ConeValues>(result);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(ValueOf(v, known.first)),
                      std::bit_cast<std::uint64_t>(in[0]));
            EXPECT_EQ(std::bit_cast<std::uint64_t>(ValueOf(v, known.second)),
                      std::bit_cast<std::uint64_t>(in[1]));
        }
    }
}

struct Failing {
    const char* name;
    std::int16_t variant;
    double first, second;
    ConeFailure expected;
};

const Failing kFailing[] = {
    {"RadiusZeroDividesByZero", 1, 0, 10, ConeFailure::DivisionByZero},
    {"ZeroOverZeroIsADivisionByZero", 1, 0, 0, ConeFailure::DivisionByZero},
    {"SlantZeroDividesByZero", 3, 0, 10, ConeFailure::DivisionByZero},
    {"RadiusZeroWithTotalDividesByZero", 4, 0, 10, ConeFailure::DivisionByZero},
    {"EqualAreasGiveRadiusZero", 5, 5, 5, ConeFailure::DivisionByZero},
    {"AreaGapRoundsToZeroRadius", 5, 0, 5e-324, ConeFailure::DivisionByZero},
    {"TotalBelowLateralHasNoRoot", 5, 5, 4, ConeFailure::NegativeSquareRoot},
    {"NegativeDiscriminantHasNoRoot", 2, 0, -1, ConeFailure::NegativeSquareRoot},
    {"TinyRadiusOverflowsTheQuotient", 1, 1e-308, 1e10, ConeFailure::Overflow},
    {"HugeConeOverflowsTheProduct", 0, 1e200, 1e200, ConeFailure::Overflow},
    {"InfiniteInputIsAnOverflow", 0, kInf, 1, ConeFailure::Overflow},
    {"InfiniteInputBeforeDivisionByZero", 1, 0, -kInf, ConeFailure::Overflow},
    {"NotANumberInputIsAnOverflow", 2, 1, kNaN, ConeFailure::Overflow},
};

void PrintTo(const Failing& c, std::ostream* os) {
    *os << c.name;
}

class SolveConeFailing : public ::testing::TestWithParam<Failing> {};

TEST_P(SolveConeFailing, ReportsTheFirstFailingOperation) {
    const Failing& c = GetParam();
    const ConeResult result = SolveCone(c.variant, c.first, c.second);
    ASSERT_TRUE(std::holds_alternative<ConeFailure>(result));
    EXPECT_EQ(std::get<ConeFailure>(result), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cone, SolveConeFailing, ::testing::ValuesIn(kFailing),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SolveCone, SquareRootOfNegativeZeroIsNotAFailure) {
    // (Sp - So) / p is -0 here: the square root of -0 is -0, and So / (p * -0) divides by zero.
    const ConeResult result = SolveCone(5, 0, -0.0);
    ASSERT_TRUE(std::holds_alternative<ConeFailure>(result));
    EXPECT_EQ(std::get<ConeFailure>(result), ConeFailure::DivisionByZero);
}

TEST(SolveCone, VariantOutsideTheTableThrows) {
#ifdef __wasi__
    GTEST_SKIP() << "WebAssembly under WASI has no unwinding: a throw ends the module";
#endif
    EXPECT_THROW(SolveCone(-1, 1, 1), std::out_of_range);
    EXPECT_THROW(SolveCone(6, 1, 1), std::out_of_range);
}

}  // namespace
}  // namespace pelmora::cone
