#include <string>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "view/control_table.h"
#include "view/failure_text.h"
#include "win32/utf16.h"

namespace pelmora::win32 {
namespace {

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::wstring utf16;
};

// clang-format off
const Utf8Case kFromUtf8[] = {
    // Well formed.
    {"Empty", "", L""},
    {"Ascii", "R = 3", L"R = 3"},
    {"EmbeddedNul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    {"Cyrillic", "Изчисли", L"\u0418\u0437\u0447\u0438\u0441\u043B\u0438"},
    {"ThreeBytes", "\xE2\x82\xAC", L"\u20AC"},
    {"LastBeforeSurrogates", "\xED\x9F\xBF", L"\uD7FF"},
    {"FirstAfterSurrogates", "\xEE\x80\x80", L"\uE000"},
    {"FourBytesBecomeAPair", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
    {"HighestCodePoint", "\xF4\x8F\xBF\xBF", L"\xDBFF\xDFFF"},
};

struct Utf16Case {
    const char* name;
    std::wstring utf16;
    std::string utf8;
};

const Utf16Case kFromUtf16[] = {
    {"Empty", L"", ""},
    {"Ascii", L"47.124", "47.124"},
    {"EmbeddedNul", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
    {"Cyrillic", L"\u0418\u0437\u0447\u0438\u0441\u0442\u0438", "Изчисти"},
    {"Euro", L"\u20AC", "\xE2\x82\xAC"},
    {"PairBecomesFourBytes", L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    {"HighestPair", L"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
    {"LoneHigh", L"a\xD800" L"b", "a\xEF\xBF\xBD" "b"},
    {"LoneLow", L"\xDC00", "\xEF\xBF\xBD"},
    {"HighAtTheEnd", L"R\xD83D", "R\xEF\xBF\xBD"},
    {"ReversedPair", L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"TwoHighsThenLow", L"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
};
// clang-format on

void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const Utf16Case& c, std::ostream* os) {
    *os << c.name;
}

class FromUtf8 : public ::testing::TestWithParam<Utf8Case> {};
TEST_P(FromUtf8, GivesUtf16) {
    EXPECT_EQ(ToUtf16(GetParam().utf8), GetParam().utf16);
}
INSTANTIATE_TEST_SUITE_P(Utf16, FromUtf8, ::testing::ValuesIn(kFromUtf8),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Ill-formed UTF-8, which the program never sends: replaced, and what is around it kept.
// How many U+FFFD a stretch becomes is the system's choice (Wine and Windows differ).
struct MalformedCase {
    const char* name;
    std::string bytes;
};

const MalformedCase kMalformed[] = {
    {"LoneContinuation", "\x80"},         {"C0AndC1NeverLead", "\xC0\xC1"},
    {"F5ToFFNeverLead", "\xF5\xFF"},      {"TruncatedTwo", "\xD0"},
    {"TruncatedFour", "\xF0\x9F\x98"},    {"OverlongThree", "\xE0\x80\xAF"},
    {"EncodedSurrogate", "\xED\xA0\x80"}, {"AboveTheLastCodePoint", "\xF4\x90\x80\x80"},
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
    *os << c.name;
}

class Malformed : public ::testing::TestWithParam<MalformedCase> {};
TEST_P(Malformed, BecomesReplacementsBetweenWhatIsKept) {
    const std::wstring text = ToUtf16("R" + GetParam().bytes + "\u0418");
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.front(), L'R');
    EXPECT_EQ(text.back(), L'\u0418');
    EXPECT_EQ(text.find_first_not_of(L'\uFFFD', 1), text.size() - 1) << "all of it replaced";
}
INSTANTIATE_TEST_SUITE_P(Utf16, Malformed, ::testing::ValuesIn(kMalformed),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

class FromUtf16 : public ::testing::TestWithParam<Utf16Case> {};
TEST_P(FromUtf16, GivesUtf8) {
    EXPECT_EQ(ToUtf8(GetParam().utf16), GetParam().utf8);
}
INSTANTIATE_TEST_SUITE_P(Utf16, FromUtf16, ::testing::ValuesIn(kFromUtf16),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Every text the window shows goes to Win32 and, from the fields, back again unchanged.
TEST(Utf16, EveryTextOfTheWindowSurvivesTheRoundTrip) {
    for (const view::ControlSpec& row : view::ControlTable()) {
        EXPECT_EQ(ToUtf8(ToUtf16(row.caption)), row.caption) << view::ControlName(row);
    }
    for (int field = 0; field < form::kFieldCount; ++field) {
        EXPECT_EQ(ToUtf8(ToUtf16(view::AccessibleName(field))), view::AccessibleName(field));
    }
    EXPECT_EQ(ToUtf8(ToUtf16(view::kTaskStatement)), view::kTaskStatement);
    const std::wstring statement = ToUtf16(view::kTaskStatement);
    EXPECT_EQ(statement.size(), 1023u);  // one UTF-16 unit per character: all in the BMP
    for (int variant = 0; variant < cone::kVariantCount; ++variant) {
        for (const auto failure : {cone::ConeFailure::DivisionByZero, cone::ConeFailure::Overflow,
                                   cone::ConeFailure::NegativeSquareRoot}) {
            const std::string text = view::FailureText(variant, failure);
            EXPECT_EQ(ToUtf8(ToUtf16(text)), text);
        }
    }
}

}  // namespace
}  // namespace pelmora::win32
