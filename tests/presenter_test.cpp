#include <array>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "view/presenter.h"

namespace pelmora::view {
namespace {

// A surface that behaves like a real toolkit: it reports every change of its controls,
// its own programmatic ones included, as Win32's EN_CHANGE and Qt's textChanged and
// toggled do. It records what it shows and how often each field was written.
class EchoingSurface : public Surface {
public:
    void showFieldText(int field, std::string_view text) override {
        texts[static_cast<std::size_t>(field)] = std::string(text);
        ++writes[static_cast<std::size_t>(field)];
        if (presenter) presenter->fieldTextChanged(field, text);
    }
    void showFieldLocked(int field, bool isLocked) override {
        locked[static_cast<std::size_t>(field)] = isLocked;
    }
    void showSelectedVariant(int variant) override {
        selected = variant;
        if (presenter) presenter->optionSelected(variant);
    }
    void reportFailure(std::string_view text) override { failures.emplace_back(text); }
    void announce(std::string_view text) override { announcements.emplace_back(text); }

    // What the user does: the control changes first, then the toolkit reports it.
    void userEdits(int field, const std::string& text) {
        texts[static_cast<std::size_t>(field)] = text;
        presenter->fieldTextChanged(field, text);
    }
    void userChooses(int variant) {
        selected = variant;
        presenter->optionSelected(variant);
    }

    Presenter* presenter = nullptr;
    std::array<std::string, form::kFieldCount> texts;
    std::array<bool, form::kFieldCount> locked{};
    std::array<int, form::kFieldCount> writes{};
    int selected = -1;
    std::vector<std::string> failures;
    std::vector<std::string> announcements;
};

void ExpectSurfaceShowsTheForm(const EchoingSurface& surface, const form::FormState& state) {
    EXPECT_EQ(surface.selected, state.selectedVariant);
    for (std::size_t field = 0; field < state.fields.size(); ++field) {
        EXPECT_EQ(surface.texts[field], state.fields[field].text) << "field " << field;
        EXPECT_EQ(surface.locked[field], state.fields[field].locked) << "field " << field;
    }
}

struct Action {
    enum class Kind { Edit, Choose, Press } kind;
    int target;
    std::string text = {};
};
Action Edit(int field, std::string text) {
    return {Action::Kind::Edit, field, std::move(text)};
}
Action Choose(int variant) {
    return {Action::Kind::Choose, variant};
}
Action Press(int button) {
    return {Action::Kind::Press, button};
}

struct PresenterCase {
    const char* name;
    std::vector<Action> actions;
    std::map<int, std::string> texts;  // every field not named here is empty
    int selected;
    std::vector<std::string> failures = {};
    std::vector<std::string> announcements = {};  // a screen reader's, once per calculation
};

// clang-format off
const PresenterCase kCases[] = {
    {"TypingReachesTheForm", {Edit(0, "3"), Edit(1, "5")}, {{0, "3"}, {1, "5"}}, 0},
    {"WorkedCone", {Edit(0, "3"), Edit(1, "5"), Press(0)}, {{0, "3.000"}, {1, "5.000"}, {2, "47.124"}, {3, "75.398"}}, 0, {}, {"So 47.124, Sp 75.398"}},
    {"ResultsOfAnotherVariantAreAnnounced", {Choose(2), Edit(9, "5"), Edit(11, "75.398"), Press(0)}, {{8, "3.000"}, {9, "5.000"}, {10, "47.124"}, {11, "75.398"}}, 2, {}, {"R 3.000, So 47.124"}},
    // The program's own writes, echoed back by the toolkit, are not typing: the second
    // Calculate still reads 1,234.500 as the value it shows.
    {"OwnWritesAreNotTyping", {Edit(0, "1234.5"), Edit(1, "1"), Press(0), Press(0)}, {{0, "1,234.500"}, {1, "1.000"}, {2, "3,878.296"}, {3, "4,791,634.870"}}, 0, {}, {"So 3,878.296, Sp 4,791,634.870", "So 3,878.296, Sp 4,791,634.870"}},
    {"LockedFieldPutsItsTextBack", {Edit(4, "9")}, {}, 0},
    {"ComputedFieldPutsItsTextBack", {Edit(0, "3"), Edit(1, "5"), Press(0), Edit(2, "1")}, {{0, "3.000"}, {1, "5.000"}, {2, "47.124"}, {3, "75.398"}}, 0, {}, {"So 47.124, Sp 75.398"}},
    {"NoSuchFieldIsIgnored", {Edit(-1, "9"), Edit(24, "9")}, {}, 0},
    {"ChoosingTheSelectedOptionKeepsTheGrid", {Edit(0, "3"), Choose(0)}, {{0, "3"}}, 0},
    {"ChoosingAnotherOptionEmptiesTheGrid", {Edit(0, "3"), Choose(5), Edit(22, "1")}, {{22, "1"}}, 5},
    {"NoSuchOptionShowsTheSelectionAgain", {Edit(0, "3"), Choose(6)}, {{0, "3"}}, 0},
    {"ClearEmptiesTheGrid", {Edit(0, "3"), Press(0), Press(1)}, {}, 0, {}, {"So 0.000, Sp 28.274"}},
    // A failure says which value to change; every operation that can fail, once.
    {"FailureIsReportedAndChangesNothing", {Choose(1), Edit(4, "0"), Edit(6, "5"), Press(0)}, {{4, "0"}, {6, "5"}}, 1, {"R не може да бъде 0. Въведете радиус, различен от нула."}},
    {"EmptyFieldsOfVariantTwoAskForARadius", {Choose(1), Press(0)}, {}, 1, {"R не може да бъде 0. Въведете радиус, различен от нула."}},
    {"TooNegativeTotalArea", {Choose(2), Edit(9, "1"), Edit(11, "-1"), Press(0)}, {{9, "1"}, {11, "-1"}}, 2, {"Пълната повърхнина Sp не може да бъде отрицателна. Въведете положително число за Sp."}},
    {"ZeroSlantHeight", {Choose(3), Edit(14, "5"), Press(0)}, {{14, "5"}}, 3, {"L не може да бъде 0. Въведете образувателна, различна от нула."}},
    {"ZeroRadiusWithTotalArea", {Choose(4), Edit(19, "5"), Press(0)}, {{19, "5"}}, 4, {"R не може да бъде 0. Въведете радиус, различен от нула."}},
    {"TotalBelowLateral", {Choose(5), Edit(22, "100"), Edit(23, "50"), Press(0)}, {{22, "100"}, {23, "50"}}, 5, {"Пълната повърхнина Sp трябва да е по-голяма от околната So."}},
    {"TotalEqualToLateral", {Choose(5), Edit(22, "50"), Edit(23, "50"), Press(0)}, {{22, "50"}, {23, "50"}}, 5, {"Sp трябва да е по-голяма от So."}},
    {"OverflowNamesTheKnownPair", {Edit(0, "1e300"), Edit(1, "1e300"), Press(0)}, {{0, "1e300"}, {1, "1e300"}}, 0, {"Стойностите на R и L са твърде големи или твърде малки и конусът не може да се пресметне. Въведете числа, които не са толкова големи или близки до нула."}},
    {"TinyRadiusOverflows", {Choose(1), Edit(4, "1e-320"), Edit(6, "1e10"), Press(0)}, {{4, "1e-320"}, {6, "1e10"}}, 1, {"Стойностите на R и So са твърде големи или твърде малки и конусът не може да се пресметне. Въведете числа, които не са толкова големи или близки до нула."}},
};
// clang-format on

void PrintTo(const PresenterCase& c, std::ostream* os) {
    *os << c.name;
}

class PresenterActions : public ::testing::TestWithParam<PresenterCase> {};

// After every action the surface shows exactly the form's state.
TEST_P(PresenterActions, KeepTheSurfaceAndTheFormInAgreement) {
    const PresenterCase& c = GetParam();
    form::CalculatorForm form({});
    EchoingSurface surface;
    Presenter presenter(form, surface);
    surface.presenter = &presenter;
    for (const Action& action : c.actions) {
        switch (action.kind) {
            case Action::Kind::Edit:
                if (action.target >= 0 && action.target < form::kFieldCount) {
                    surface.userEdits(action.target, action.text);
                } else {
                    presenter.fieldTextChanged(action.target, action.text);
                }
                break;
            case Action::Kind::Choose:
                surface.userChooses(action.target);
                break;
            case Action::Kind::Press:
                presenter.buttonPressed(action.target);
                break;
        }
        ExpectSurfaceShowsTheForm(surface, form.state());
    }
    EXPECT_EQ(form.state().selectedVariant, c.selected);
    for (int field = 0; field < form::kFieldCount; ++field) {
        const auto expected = c.texts.find(field);
        EXPECT_EQ(form.state().field(field).text,
                  expected == c.texts.end() ? std::string() : expected->second)
            << "field " << field;
    }
    EXPECT_EQ(surface.failures, c.failures);
    EXPECT_EQ(surface.announcements, c.announcements);
}

INSTANTIATE_TEST_SUITE_P(Presenter, PresenterActions, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

// A form that was used before is shown in its start state: variant 0, only row 0 open.
TEST(Presenter, AttachingShowsTheLoadedStateWhateverCameBefore) {
    form::CalculatorForm form({});
    form.LoadForm();
    form.SelectVariant(3);
    form.TypeText(13, "4");
    EchoingSurface surface;
    surface.locked.fill(false);
    const Presenter presenter(form, surface);
    ExpectSurfaceShowsTheForm(surface, form.state());
    EXPECT_EQ(surface.selected, 0);
    for (int field = 0; field < form::kFieldCount; ++field)
        EXPECT_EQ(surface.locked[static_cast<std::size_t>(field)], field >= 4) << field;
}

// The field the user is typing into is never written back: a write would move the caret.
TEST(Presenter, TheFieldBeingEditedIsNotWrittenBack) {
    form::CalculatorForm form({});
    EchoingSurface surface;
    Presenter presenter(form, surface);
    surface.presenter = &presenter;
    const std::array<int, form::kFieldCount> afterLoad = surface.writes;
    surface.userEdits(0, "15");
    surface.userEdits(0, "2015");
    EXPECT_EQ(surface.writes, afterLoad);
    EXPECT_EQ(form.state().field(0).text, "2015");
}

TEST(Presenter, DetachesFromTheFormWhenDestroyed) {
    form::CalculatorForm form({});
    EchoingSurface surface;
    { const Presenter presenter(form, surface); }
    form.TypeText(0, "7");
    EXPECT_EQ(surface.texts[0], "");
}

}  // namespace
}  // namespace pelmora::view
