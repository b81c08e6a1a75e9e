#include <array>
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
    std::int16_t selected;           // the variant selected at the end: only its row is open
    std::array<std::string, 4> row;  // the texts of its R, L, So and Sp; every other one is empty
    std::optional<ConeFailure> lastFailure = std::nullopt;
    number::NumberFormat settings = {};
};

void PrintTo(const FormCase& c, std::ostream* os) {
    *os << c.name;
}

const std::array<std::string, 4> kEmpty{};

// clang-format off
const FormCase kCases[] = {
    {"LoadOpensRowZero", {Load()}, 0, kEmpty},
    {"EmptyRowZeroCalculatesZeros", {Load(), Click(0)}, 0, {"0.000", "0.000", "0.000", "0.000"}},
    {"WorkedCone", {Load(), Type(0, "3"), Type(1, "5"), Click(0)}, 0, {"3.000", "5.000", "47.124", "75.398"}},
    {"KnownFieldsAreRewrittenWithTheValueRead", {Load(), Type(0, "12cm"), Type(1, "1e3"), Click(0)}, 0, {"12.000", "1,000.000", "37,699.112", "38,151.501"}},
    {"WorkedConeFromAreas", {Load(), Select(5), Type(22, "47.124"), Type(23, "75.398"), Click(0)}, 5, {"3.000", "5.000", "47.124", "75.398"}},
    // Typing, and what refuses it.
    {"ComputedFieldRefusesTyping", {Load(), Type(2, "9")}, 0, kEmpty},
    {"LockedFieldRefusesTyping", {Load(), Type(4, "9")}, 0, kEmpty},
    {"NoSuchFieldRefusesTyping", {Load(), Type(-1, "9"), Type(24, "9")}, 0, kEmpty},
    {"TypingReplacesTheWholeText", {Load(), Type(0, "3"), Type(0, "35")}, 0, {"35", "", "", ""}},
    // Selecting a variant, clearing, other buttons.
    {"SelectingEmptiesTheGridAndOpensOneRow", {Load(), Type(0, "3"), Type(1, "5"), Click(0), Select(2)}, 2, kEmpty},
    {"SelectingTheSameVariantEmptiesToo", {Load(), Type(0, "3"), Select(0)}, 0, kEmpty},
    {"ClickingTheSelectedOptionKeepsTheGrid", {Load(), Type(0, "3"), Option(0)}, 0, {"3", "", "", ""}},
    {"ClickingAnotherOptionSelectsIt", {Load(), Type(0, "3"), Option(2)}, 2, kEmpty},
    {"ClickingNoSuchOptionIsIgnored", {Load(), Type(0, "3"), Option(6), Option(-1)}, 0, {"3", "", "", ""}},
    {"LoadRestoresTheStartStateFromAnyOther", {Load(), Select(3), Type(13, "4"), Load()}, 0, kEmpty},
    {"LoadAfterACalculationEmptiesTheGrid", {Load(), Type(0, "3"), Click(0), Load()}, 0, kEmpty},
    {"SelectingNoSuchVariantIsIgnored", {Load(), Type(0, "3"), Select(6), Select(-1)}, 0, {"3", "", "", ""}},
    {"ClearEmptiesAndKeepsTheRowOpen", {Load(), Type(0, "3"), Type(1, "5"), Click(0), Click(1)}, 0, kEmpty},
    {"OtherButtonsDoNothing", {Load(), Type(0, "3"), Click(2), Click(-1)}, 0, {"3", "", "", ""}},
    // Failures change nothing.
    {"FailedCalculationChangesNothing", {Load(), Select(1), Type(4, "0"), Type(6, "5"), Click(0)}, 1, {"0", "", "5", ""}, ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantTwo", {Load(), Select(1), Click(0)}, 1, kEmpty, ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantFour", {Load(), Select(3), Click(0)}, 3, kEmpty, ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantFive", {Load(), Select(4), Click(0)}, 4, kEmpty, ConeFailure::DivisionByZero},
    {"EmptyFieldsFailVariantSix", {Load(), Select(5), Click(0)}, 5, kEmpty, ConeFailure::DivisionByZero},
    {"EmptyFieldsSucceedInVariantThree", {Load(), Select(2), Click(0)}, 2, {"0.000", "0.000", "0.000", "0.000"}},
    {"NegativeRootFailsAndKeepsTheText", {Load(), Select(5), Type(22, "5"), Type(23, "4"), Click(0)}, 5, {"", "", "5", "4"}, ConeFailure::NegativeSquareRoot},
    {"NumberBeyondRangeOverflows", {Load(), Type(0, "1e400"), Type(1, "1"), Click(0)}, 0, {"1e400", "1", "", ""}, ConeFailure::Overflow},
    {"UnderBulgarianSettings", {Load(), Type(0, "3"), Type(1, "5"), Click(0)}, 0, {"3,000", "5,000", "47,124", "75,398"}, std::nullopt, Bulgarian()},
    // Calculating again reads the program's own text as the number it shows.
    {"SecondCalculationKeepsAGroupedValue", {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Click(0)}, 0, {"1,234.500", "1.000", "3,878.296", "4,791,634.870"}},
    {"SecondCalculationKeepsACommaDecimal", {Load(), Type(0, "12.5"), Type(1, "2"), Click(0), Click(0)}, 0, {"12,500", "2,000", "78,540", "569,414"}, std::nullopt, Bulgarian()},
    // Typed text reads under the settings too; where they clash with the grammar, by the
    // plain rules, even when it is the program's own characters.
    {"RetypedProgramTextReadsAsItShows", {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Type(0, "1,234.500"), Click(0)}, 0, {"1,234.500", "1.000", "3,878.296", "4,791,634.870"}},
    {"TypedCommaDecimalReadsUnderTheSettings", {Load(), Type(0, "3,5"), Type(1, "1"), Click(0)}, 0, {"3,500", "1,000", "10,996", "49,480"}, std::nullopt, Bulgarian()},
    {"RetypedTextUnderClashingSettingsReadsPlainly", {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Type(0, "1.234.500"), Click(0)}, 0, {"1.234", "1.000", "3.877", "8.661"}, std::nullopt, {".", ".", {3}, true, number::NegativePattern::LeadingMinus}},
    {"ClearForgetsTheProgramsText", {Load(), Type(0, "1234.5"), Type(1, "1"), Click(0), Click(1), Click(0)}, 0, {"0.000", "0.000", "0.000", "0.000"}},
};
// clang-format on

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
        const bool inSelectedRow = field / cone::kQuantityCount == c.selected;
        const std::size_t column = static_cast<std::size_t>(field % cone::kQuantityCount);
        EXPECT_EQ(state.field(field).text, inSelectedRow ? c.row[column] : std::string());
        EXPECT_EQ(state.field(field).locked, !inSelectedRow);
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
