#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/regional_settings.h"
#include "platform/windows_grouping.h"
#include "tests/random_doubles.h"

// glibc's newlocale keeps a small buffer built from LOCPATH that it never frees; it is not
// ours to fix, so LeakSanitizer is told to pass over it.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:argz_add_sep\n";
}

namespace pelmora::platform {
namespace {

using number::NumberFormat;

// Sets an environment variable for one test and puts the old value back.
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentGuard() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// What `locale -k LC_NUMERIC` says of a locale: decimal_point="," and so on, turned from the
// locale's own character set into UTF-8 by the iconv command.
std::string LocaleKeyword(const std::string& locale, const std::string& keyword) {
    const std::string command =
        "LC_ALL=" + locale + " locale -k LC_NUMERIC 2>/dev/null | iconv -f \"$(LC_ALL=" + locale +
        " locale charmap)\" -t UTF-8";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "?";
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    pclose(pipe);
    const std::string key = keyword + "=";
    const std::size_t at = output.find(key);
    if (at == std::string::npos) return "?";
    std::string value = output.substr(at + key.size(), output.find('\n', at) - at - key.size());
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

// Whether the C library can load the locale: the fixture compiled it, or the system has it.
bool Available(const char* name) {
    const locale_t locale = newlocale(LC_ALL_MASK, name, locale_t{});
    if (locale == locale_t{}) return false;
    freelocale(locale);
    return true;
}

std::string GroupingAsLocaleShowsIt(const NumberFormat& format) {
    if (format.groupSizes.empty()) return "-1";
    std::string out;
    for (const int size : format.groupSizes) {
        if (!out.empty()) out += ';';
        out += size == 0 ? "-1" : std::to_string(size);
    }
    return out;
}

struct LocaleCase {
    const char* locale;
    const char* decimal;
    const char* grouping;
    const char* million;  // 1234567.891 as written under the locale
};

// bg_BG has no separator, so its "3;3" grouping groups nothing; fr_FR's separator is the
// narrow no-break space; en_IN groups three, then twos. The 8-bit character sets have no
// narrow no-break space, so their locales separate with the no-break space, one byte of
// their own set (0xA0 in ISO-8859-1, 0x9A in KOI8-R) that must arrive as UTF-8.
const LocaleCase kLocales[] = {
    {"bg_BG.UTF-8", ",", "", "1234567,891"},
    {"de_DE.UTF-8", ",", ".", "1.234.567,891"},
    {"en_IN.UTF-8", ".", ",", "12,34,567.891"},
    {"fr_FR.UTF-8", ",", "\u202F", "1\u202F234\u202F567,891"},
    {"fr_FR.ISO-8859-1", ",", "\u00A0", "1\u00A0234\u00A0567,891"},
    {"ru_RU.KOI8-R", ",", "\u00A0", "1\u00A0234\u00A0567,891"},
};

void PrintTo(const LocaleCase& c, std::ostream* os) {
    *os << c.locale;
}

class InstalledLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(InstalledLocale, AgreesWithTheLocaleCommand) {
    const LocaleCase& c = GetParam();
    if (!Available(c.locale)) GTEST_SKIP() << "the locale " << c.locale << " is not available";
    const NumberFormat format = NumberFormatOfLocale(c.locale);
    EXPECT_EQ(format.decimalSymbol, LocaleKeyword(c.locale, "decimal_point"));
    EXPECT_EQ(format.groupingSymbol, LocaleKeyword(c.locale, "thousands_sep"));
    EXPECT_EQ(GroupingAsLocaleShowsIt(format), LocaleKeyword(c.locale, "grouping"));
    EXPECT_EQ(format.decimalSymbol, c.decimal);
    EXPECT_EQ(format.groupingSymbol, c.grouping);
    EXPECT_EQ(number::FormatResult(1234567.891, format).text, c.million);
    // What POSIX locales do not state comes from the example settings.
    EXPECT_TRUE(format.leadingZero);
    EXPECT_EQ(format.negativePattern, number::NegativePattern::LeadingMinus);
}

// Whatever the program wrote under the locale, typed back in, reads as the number it shows.
TEST_P(InstalledLocale, ReadsBackWhatItWrote) {
    const LocaleCase& c = GetParam();
    if (!Available(c.locale)) GTEST_SKIP() << "the locale " << c.locale << " is not available";
    const NumberFormat format = NumberFormatOfLocale(c.locale);
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 20000; ++i) {
        const double value = testing::RandomDouble(random, i);
        if (!std::isfinite(value)) continue;
        const number::FormattedNumber written = number::FormatResult(value, format);
        ASSERT_EQ(number::ReadUserNumber(written.text, format), written.shown) << written.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Platform, InstalledLocale, ::testing::ValuesIn(kLocales),
                         [](const auto& row) {
                             std::string name = row.param.locale;
                             for (char& c : name) {
                                 if (c == '.' || c == '-') c = '_';
                             }
                             return name;
                         });

TEST(NumberFormatOfLocale, DefaultAndMissingLocalesGiveTheExampleSettings) {
    for (const char* name : {"", "C", "POSIX", "C.UTF-8", "xx_YY.UTF-8", "no such locale"}) {
        EXPECT_EQ(NumberFormatOfLocale(name), NumberFormat{}) << '"' << name << '"';
    }
}

TEST(NumericLocaleName, FollowsThePosixOrder) {
    EXPECT_EQ(NumericLocaleName("de_DE.UTF-8", "bg_BG.UTF-8", "fr_FR.UTF-8"), "de_DE.UTF-8");
    EXPECT_EQ(NumericLocaleName("", "bg_BG.UTF-8", "fr_FR.UTF-8"), "bg_BG.UTF-8");
    EXPECT_EQ(NumericLocaleName(nullptr, nullptr, "fr_FR.UTF-8"), "fr_FR.UTF-8");
    EXPECT_EQ(NumericLocaleName(nullptr, "", nullptr), "C");
}

TEST(UserNumberFormat, ReadsTheEnvironmentAtEachCall) {
    for (const char* locale : {"en_IN.UTF-8", "bg_BG.UTF-8"}) {
        if (!Available(locale)) GTEST_SKIP() << "the locale " << locale << " is not available";
    }
    const EnvironmentGuard all("LC_ALL", nullptr);
    const EnvironmentGuard numeric("LC_NUMERIC", nullptr);
    const EnvironmentGuard lang("LANG", "en_IN.UTF-8");
    EXPECT_EQ(number::FormatResult(1234567.5, UserNumberFormat()).text, "12,34,567.500");
    {
        const EnvironmentGuard bulgarian("LC_NUMERIC", "bg_BG.UTF-8");
        EXPECT_EQ(number::FormatResult(1234567.5, UserNumberFormat()).text, "1234567,500");
    }
    EXPECT_EQ(number::FormatResult(1234567.5, UserNumberFormat()).text, "12,34,567.500");
}

struct WindowsGrouping {
    const char* name;
    const char* grouping;  // as the Windows regional settings give it
    const char* written;   // 1234567890 written with ',' between groups
};

const WindowsGrouping kWindowsGroupings[] = {
    {"EveryThree", "3;0", "1,234,567,890.000"},
    {"ThreeOnce", "3", "1234567,890.000"},
    {"ThreeThenEveryTwo", "3;2;0", "1,23,45,67,890.000"},
    {"ThreeThenTwoOnce", "3;2", "12345,67,890.000"},
    {"TwoDigitSize", "12;0", "1234567890.000"},
    {"FourThenEveryThree", "4;3;0", "123,456,7890.000"},
    {"NoGrouping", "0", "1234567890.000"},
    {"NothingGiven", "", "1234567890.000"},
};

void PrintTo(const WindowsGrouping& c, std::ostream* os) {
    *os << c.name;
}

class WindowsGroupingText : public ::testing::TestWithParam<WindowsGrouping> {};

TEST_P(WindowsGroupingText, GroupsAsWindowsDoes) {
    const WindowsGrouping& c = GetParam();
    const NumberFormat format{".", ",", WindowsGroupSizes(c.grouping)};
    EXPECT_EQ(number::FormatResult(1234567890, format).text, c.written);
}

INSTANTIATE_TEST_SUITE_P(Platform, WindowsGroupingText, ::testing::ValuesIn(kWindowsGroupings),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelmora::platform
