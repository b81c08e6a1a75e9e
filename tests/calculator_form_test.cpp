#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "tests/form_events.h"

namespace pelmora::form {
namespace {

using namespace pelmora::form::testing;
using cone::ConeFailure;

number::NumberFormat Bulgarian() {
    return {",", "", {3}, true, number::NegativePattern::LeadingMinus};
}

struct FormCase {
    const char* name;
    std::vector<Event> events;
    std::map<int, std::string> texts;  // every field not named here is empty
    std::set<int> unlocked;
    std::int16_t selected;
    std::optional<ConeFailure> lastFailure = std::nullopt;
    number::NumberFormat settings = {};
};

void PrintTo(const FormCase& c, std::ostream* os) {
    *os << c.name;
}

const std::set<int> kRow0{0, 1, 2, 3};

const FormCase kCases[] = {
    {"LoadOpensRowZero", {Load()}, {}, kRow0, 0},
    {"EmptyRowZeroCalculatesZeros",
     {Load(), Click(0)},
     {{0, "0.000"}, {1, "0.000"}, {2, "0.000"}, {3, "0.000"}},
     kRow0,
     0},
    {"WorkedCone",
     {Load(), Type(0, "3"), Type(1, "5"), Click(0)},
     {{0, "3.000"}, {1, "5.000"}, {2, "47.124"}, {3, "75.398"}},
     kRow0,
     0},
    {"KnownFieldsAreRewrittenWithTheValueRead",
     {Load(), Type(0, "12cm"), Type(1, "1e3"), Click(0)},
     {{0, "12.000"}, {1, "1,000.000"}, {2, "37,699.112"}, {3, "38,151.501"}},
     kRow0,
     0},
    {"WorkedConeFromAreas",
     {Load(), Select(5), Type(22, "47.124"), Type(23, "75.398"), Click(0)},
     {{20, "3.000"}, {21, "5.000"}, {22, "47.124"}, {23, "75.398"}},
     {20, 21, 22, 23},
     5},
    {"ComputedFieldRefusesTyping", {Load(), Type(2, "9")}, {}, kRow0, 0},
    {"LockedFieldRefusesTyping", {Load(), Type(4, "9")}, {}, kRow0, 0},
    {"NoSuchFieldRefusesTyping", {Load(), Type(-1, "9"), Type(24, "9")}, {}, kRow0, 0},
    {"TypingReplacesTheWholeText", {Load(), Type(0, "3"), Type(0, "35")}, {{0, "35"}}, kRow0, 0},
    {"SelectingEmptiesTheGridAndOpensOneRow",
     {Load(), Type(0, "3"), Type(1, "5"), Click(0), Select(2)},
     {},
     {8, 9, 10, 11},
     2},
    {"SelectingTheSameVariantEmptiesToo", {Load(), Type(0, "3"), Select(0)}, {}, kRow0, 0},
    {"SelectingNoSuchVariantIsIgnored",
     {Load(), Type(0, "3"), Select(6), Select(-1)},
     {{0, "3"}},
     kRow0,
     0},
    {"ClearEmptiesAndKeepsTheRowOpen",
     {Load(), Type(0, "3"), Type(1, "5"), Click(0), Click(1)},
     {},
     kRow0,
     0},
    {"OtherButtonsDoNothing", {Load(), Type(0, "3"), Click(2), Click(-1)}, {{0, "3"}}, kRow0, 0},
    {"FailedCalculationChangesNothing",
     {Load(), Select(1), Type(4, "0"), Type(6, "5"), Click(0)},
     {{4, "0"}, {6, "5"}},
     {4, 5, 6, 7},
     1,
     ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantTwo",
     {Load(), Select(1), Click(0)},
     {},
     {4, 5, 6, 7},
     1,
     ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantFour",
     {Load(), Select(3), Click(0)},
     {},
     {12, 13, 14, 15},
     3,
     ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantFive",
     {Load(), Select(4), Click(0)},
     {},
     {16, 17, 18, 19},
     4,
     ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantSix",
     {Load(), Select(5), Click(0)},
     {},
     {20, 21, 22, 23},
     5,
     ConeFailure::DivisionByZero},
    {"EmptyFieldsSucceedInVariantThree",
     {Load(), Select(2), Click(0)},
     {{8, "0.000"}, {9, "0.000"}, {10, "0.000"}, {11, "0.000"}},
     {8, 9, 10, 11},
     2},
    {"NegativeRootFailsAndKeepsTheText",
     {Load(), Select(5), Type(22, "5"), Type(23, "4"), Click(0)},
     {{22, "5"}, {23, "4"}},
     {20, 21, 22, 23},
     5,
     ConeFailure::NegativeSquareRoot},
    {"NumberBeyondRangeOverflows",
     {Load(), Type(0, "1e400"), Type(1, "1"), Click(0)},
     {{0, "1e400"}, {1, "1"}},
     kRow0,
     0,
     ConeFailure::Overflow},
    {"UnderBulgarianSettings",
     {Load(), Type(0, "3"), Type(1, "5"), Click(0)},
     {{0, "3,000"}, {1, "5,000"}, {2, "47,124"}, {3, "75,398"}},
     kRow0,
     0,
     std::nullopt,
     Bulgarian()},
    // Calculating again reads the program's own text as the number it shows.
    {"SecondCalculationKeepsAGroupedValue",
     {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Click(0)},
     {{0, "1,234.500"}, {1, "1.000"}, {2, "3,878.296"}, {3, "4,791,634.870"}},
     kRow0,
     0},
    {"SecondCalculationKeepsACommaDecimal",
     {Load(), Type(0, "12.5"), Type(1, "2"), Click(0), Click(0)},
     {{0, "12,500"}, {1, "2,000"}, {2, "78,540"}, {3, "569,414"}},
     kRow0,
     0,
     std::nullopt,
     Bulgarian()},
    // Text that arrives by typing is the user's, even when it is the same characters.
    {"RetypedProgramTextReadsByTheTypingRules",
     {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Type(0, "1,234.500"), Click(0)},
     {{0, "1.000"}, {1, "1.000"}, {2, "3.142"}, {3, "6.283"}},
     kRow0,
     0},
    {"TypedCommaDecimalStillReadsByTheTypingRules",
     {Load(), Type(0, "3,5"), Type(1, "1"), Click(0)},
     {{0, "3,000"}, {1, "1,000"}, {2, "9,425"}, {3, "37,699"}},
     kRow0,
     0,
     std::nullopt,
     Bulgarian()},
    {"ClearForgetsTheProgramsText",
     {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Click(1), Click(0)},
     {{0, "0.000"}, {1, "0.000"}, {2, "0.000"}, {3, "0.000"}},
     kRow0,
     0},
};

class FormEvents : public ::testing::TestWithParam<FormCase> {};

TEST_P(FormEvents, EndInTheExpectedState) {
    const FormCase& c = GetParam();
    CalculatorForm form([&c] { return c.settings; });
    std::optional<ConeFailure> failure;
    FormState beforeLast;
    for (const Event& event : c.events) {
        beforeLast = form.state();
        failure = Apply(form, event);
    }
    EXPECT_EQ(failure, c.lastFailure);
    if (failure) {
        EXPECT_EQ(form.state(), beforeLast);
    }

    const FormState& state = form.state();
    EXPECT_EQ(state.selectedVariant, c.selected);
    for (int field = 0; field < kFieldCount; ++field) {
        SCOPED_TRACE(field);
        const auto expectedText = c.texts.find(field);
        EXPECT_EQ(state.field(field).text,
                  expectedText == c.texts.end() ? std::string() : expectedText->second);
        EXPECT_EQ(state.field(field).locked, !c.unlocked.contains(field));
    }
}

INSTANTIATE_TEST_SUITE_P(Form, FormEvents, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CalculatorForm, ComputedFieldsFollowTheVariantTable) {
    const std::set<int> computed{2, 3, 5, 7, 8, 10, 12, 15, 17, 18, 20, 21};
    const CalculatorForm form({});
    for (int field = 0; field < kFieldCount; ++field) {
        EXPECT_EQ(form.state().field(field).computed, computed.contains(field)) << field;
    }
}

TEST(CalculatorForm, AsksForTheSettingsAtEachCalculation) {
    int asked = 0;
    number::NumberFormat current;
    CalculatorForm form([&] {
        ++asked;
        return current;
    });
    form.LoadForm();
    form.TypeText(0, "1234.5");
    form.CommandClick(0);
    EXPECT_EQ(form.state().field(0).text, "1,234.500");
    current = Bulgarian();
    form.TypeText(0, "1234.5");
    form.CommandClick(0);
    EXPECT_EQ(form.state().field(0).text, "1234,500");
    EXPECT_EQ(asked, 2);
}

TEST(CalculatorForm, TellsTheListenerOfEachChange) {
    CalculatorForm form({});
    std::vector<FormChange> changes;
    form.setChangeListener([&](const FormChange& change) { changes.push_back(change); });
    form.LoadForm();
    ASSERT_EQ(changes.size(), 20u);  // fields 4 to 23 locked; the variant was already 0
    EXPECT_EQ(changes.front().kind, FormChange::Kind::FieldLocked);
    EXPECT_EQ(changes.front().field, 4);

    changes.clear();
    form.SelectVariant(1);  // variant, then 4 fields newly unlocked and 4 newly locked
    ASSERT_EQ(changes.size(), 9u);
    EXPECT_EQ(changes.front().kind, FormChange::Kind::SelectedVariant);

    changes.clear();
    form.CommandClick(0);  // fails: empty fields in variant 2
    EXPECT_TRUE(changes.empty());
}

}  // namespace
}  // namespace pelmora::form
