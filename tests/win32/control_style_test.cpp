#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "view/control_table.h"
#include "win32/control_style.h"

namespace pelmora::win32 {
namespace {

// What the window's look and behaviour demand of each kind of control, as window styles.
struct StyleCase {
    const char* name;
    std::string_view array;
    int index;
    std::wstring_view className;
    DWORD required;
    DWORD forbidden;
    DWORD buttonType = 0;  // the BS_TYPEMASK part, for buttons
};

// clang-format off
const StyleCase kStyleCases[] = {
    // Labels: centred at the top, no focus, no mnemonic characters.
    {"CaptionIsCentredAndTakesNoFocus", "Label1", 0, L"STATIC", SS_CENTER | SS_NOPREFIX, WS_TABSTOP},
    {"ColumnCaptionIsCentred", "Label1", 4, L"STATIC", SS_CENTER, WS_TABSTOP},
    // The option buttons exclude each other in one group that starts at the first.
    {"FirstOptionStartsTheGroup", "Option1", 0, L"BUTTON", WS_GROUP, 0, BS_AUTORADIOBUTTON},
    {"LaterOptionStaysInTheGroup", "Option1", 3, L"BUTTON", 0, WS_GROUP, BS_AUTORADIOBUTTON},
    {"LastOptionStaysInTheGroup", "Option1", 5, L"BUTTON", 0, WS_GROUP, BS_AUTORADIOBUTTON},
    // Push buttons draw their own face colour, and neither is the default button.
    {"CalculateIsDrawnInItsColour", "Command1", 0, L"BUTTON", WS_TABSTOP, 0, BS_OWNERDRAW},
    {"ClearIsDrawnInItsColour", "Command1", 1, L"BUTTON", WS_TABSTOP, 0, BS_OWNERDRAW},
    // Fields scroll sideways, so they take text of any length.
    {"KnownFieldTakesTyping", "Text2", 0, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_DISABLED | ES_READONLY | ES_MULTILINE},
    {"ComputedFieldIsDisabled", "Text2", 2, L"EDIT", WS_DISABLED | ES_AUTOHSCROLL, ES_MULTILINE},
    {"LastKnownField", "Text2", 23, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_DISABLED},
    {"LastComputedField", "Text2", 21, L"EDIT", WS_DISABLED, 0},
    // The task statement wraps its lines, scrolls down and cannot be edited.
    {"TaskStatementWrapsAndScrolls", "Text1", 0, L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, ES_AUTOHSCROLL | WS_HSCROLL | WS_DISABLED},
};
// clang-format on

void PrintTo(const StyleCase& c, std::ostream* os) {
    *os << c.name;
}

class ControlStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(ControlStyles, MatchTheControlsRole) {
    const StyleCase& c = GetParam();
    const view::ControlSpec* row = view::FindControl(c.array, c.index);
    ASSERT_NE(row, nullptr);
    const ChildWindowStyle style = StyleFor(*row);
    EXPECT_EQ(std::wstring_view(style.className), c.className);
    EXPECT_EQ(style.style & c.required, c.required);
    EXPECT_EQ(style.style & c.forbidden, 0u);
    if (c.className == L"BUTTON") {
        EXPECT_EQ(style.style & BS_TYPEMASK, c.buttonType);
    }
}

INSTANTIATE_TEST_SUITE_P(Win32, ControlStyles, ::testing::ValuesIn(kStyleCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ControlStyles, EveryControlIsAVisibleChildThatClipsItsOverlappingNeighbours) {
    for (const view::ControlSpec& row : view::ControlTable()) {
        const DWORD style = StyleFor(row).style;
        EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS),
                  DWORD{WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS})
            << view::ControlName(row);
    }
}

TEST(ControlStyles, TextBoxesHaveTheSunkenBorder) {
    for (const view::ControlSpec& row : view::ControlTable()) {
        const bool textBox = row.kind == view::ControlKind::ValueField ||
                             row.kind == view::ControlKind::TaskStatement;
        EXPECT_EQ((StyleFor(row).exStyle & WS_EX_CLIENTEDGE) != 0, textBox)
            << view::ControlName(row);
    }
}

TEST(ControlStyles, OnlyTheFirstOptionButtonStartsAGroup) {
    int groups = 0;
    for (const view::ControlSpec& row : view::ControlTable()) {
        if (row.kind == view::ControlKind::OptionButton &&
            (StyleFor(row).style & WS_GROUP)) {
            ++groups;
        }
    }
    EXPECT_EQ(groups, 1);
}

// WCAG's relative luminance and contrast ratio.
double Luminance(view::Rgb rgb) {
    auto linear = [](int component) {
        const double c = component / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb.red) + 0.7152 * linear(rgb.green) + 0.0722 * linear(rgb.blue);
}
double Contrast(view::Rgb a, view::Rgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text stays readable on every background the window paints, the red Clear button
// included, whatever colours the desktop has.
TEST(ControlColours, TextIsReadableOnEveryBackground) {
    for (const view::ControlSpec& row : view::ControlTable()) {
        const ControlColours colours = ColoursFor(row);
        EXPECT_GE(Contrast(colours.text, colours.background), 4.5) << view::ControlName(row);
    }
}

struct ColourCase {
    const char* name;
    std::string_view array;
    int index;
    view::Rgb background;
};

// clang-format off
const ColourCase kColourCases[] = {
    {"CaptionsAreOrange", "Label1", 2, {255, 192, 128}},
    {"OptionsAreGreen", "Option1", 4, {192, 255, 192}},
    {"CalculateIsLightGreen", "Command1", 0, {128, 255, 128}},
    {"ClearIsRed", "Command1", 1, {255, 0, 0}},
    {"KnownFieldIsTheClassicWindowWhite", "Text2", 1, {255, 255, 255}},
    {"ComputedFieldIsPink", "Text2", 3, {255, 192, 192}},
    {"TaskStatementIsTheClassicWindowWhite", "Text1", 0, {255, 255, 255}},
};
// clang-format on

void PrintTo(const ColourCase& c, std::ostream* os) {
    *os << c.name;
}

class ControlBackgrounds : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ControlBackgrounds, FollowTheTable) {
    const ColourCase& c = GetParam();
    const view::ControlSpec* row = view::FindControl(c.array, c.index);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(ColoursFor(*row).background, c.background);
}

INSTANTIATE_TEST_SUITE_P(Win32, ControlBackgrounds, ::testing::ValuesIn(kColourCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
}  // namespace pelmora::win32
