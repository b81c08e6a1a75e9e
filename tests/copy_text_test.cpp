#include <string>

#include <gtest/gtest.h>

#include "view/copy_text.h"

namespace pelmora::view {
namespace {

using number::NegativePattern;
using number::NumberFormat;

const NumberFormat kExample;
const NumberFormat kBulgarian{",", "\u00A0", {3}, true, NegativePattern::LeadingMinus};
const NumberFormat kGerman{",", ".", {3}, true, NegativePattern::LeadingMinus};
const NumberFormat kIndian{".", ",", {3, 2}, true, NegativePattern::LeadingMinus};

struct CopyCase {
    const char* name;
    NumberFormat format;
    const char* r;  // typed into fields 0 and 1 of variant 1, then «Изчисли» unless `typedOnly`
    const char* l;
    bool typedOnly;
    std::string row;  // what copying the row gives, lines ended by "\n"
};

// clang-format off
const CopyCase kCases[] = {
    {"Bulgarian", kBulgarian, "30", "50", false, "R = 30,000\nL = 50,000\nSo = 4712,389\nSp = 7539,822\n"},
    {"DotGrouping", kGerman, "1000", "2000", false, "R = 1000,000\nL = 2000,000\nSo = 6283185,307\nSp = 9424777,961\n"},
    {"IndianGroups", kIndian, "1000", "2000", false, "R = 1000.000\nL = 2000.000\nSo = 6283185.307\nSp = 9424777.961\n"},
    {"NegativeValue", kBulgarian, "-1000", "1", false, "R = -1000,000\nL = 1,000\nSo = -3141,593\nSp = 3138451,061\n"},
    // What the user typed loses only the grouping symbols reading would skip.
    {"TypedGroupsAndUnits", kExample, "1,234.5cm", "3,5", true, "R = 1234.5cm\nL = 3,5\nSo = \nSp = \n"},
    {"TypedDotsUnderGermanSettings", kGerman, "1.234,5", "3.14", true, "R = 1234,5\nL = 3.14\nSo = \nSp = \n"},
};
// clang-format on

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.name;
}

class CopiedText : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopiedText, HasNoGroupingSymbols) {
    const CopyCase& c = GetParam();
    form::CalculatorForm form([&c] { return c.format; });
    form.LoadForm();
    form.TypeText(0, c.r);
    form.TypeText(1, c.l);
    if (!c.typedOnly) {
        ASSERT_FALSE(form.CommandClick(0));
    }
    EXPECT_EQ(CopiedRowText(form.state(), c.format), c.row);
    EXPECT_EQ(CopiedFieldText(form.state(), 0, c.format) + "\n",
              c.row.substr(4, c.row.find('\n') - 3));  // the R line's value
}

INSTANTIATE_TEST_SUITE_P(View, CopiedText, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelmora::view
