// The user's number settings as Windows gives them, run for real under Wine. Each CTest run of
// this program is one Windows user: CTest sets the Unix locale (LANG) that Wine takes the
// user locale from, and a row of the Control Panel family writes the user's own choices to
// HKCU\Control Panel\International, as the Control Panel does, before a fresh process reads
// them. Wine reads those values once per process, so a process never sees what it wrote itself.
#include <windows.h>

#include <array>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/regional_settings.h"

namespace pelmora::number {
void PrintTo(const NumberFormat& f, std::ostream* os) {
    *os << "{decimal \"" << f.decimalSymbol << "\", grouping \"" << f.groupingSymbol << "\", sizes";
    for (const int size : f.groupSizes)
        *os << ' ' << size;
    *os << ", leading zero " << f.leadingZero << ", negative "
        << static_cast<int>(f.negativePattern) << '}';
}
}  // namespace pelmora::number

namespace pelmora::platform {
namespace {

using number::NegativePattern;
using number::NumberFormat;

constexpr std::array kValues = {1234567.891, -0.25, -1234.5};
using Texts = std::array<const char*, kValues.size()>;  // kValues as FormatResult writes them

NumberFormat Format(const char* decimal, const char* grouping, std::vector<int> sizes,
                    bool leadingZero = true,
                    NegativePattern negative = NegativePattern::LeadingMinus) {
    return {decimal, grouping, std::move(sizes), leadingZero, negative};
}

std::string Utf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
    return text;
}

std::string UserLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return Utf8(name);
}

void ExpectSettings(const NumberFormat& expected, const Texts& texts) {
    const NumberFormat format = UserNumberFormat();
    EXPECT_EQ(format, expected);
    for (std::size_t i = 0; i < kValues.size(); ++i) {
        EXPECT_EQ(number::FormatResult(kValues[i], format).text, texts[i]) << kValues[i];
    }
}

// --- The locale's own settings: LANG alone -----------------------------------------------

struct LocaleCase {
    const char* name;  // the Unix locale, without ".UTF-8"; CTest sets LANG to it
    const char* windowsName;
    NumberFormat format;
    Texts texts;
};

// As Wine's locale data has them; bg-BG and fr-FR group with a no-break space.
const LocaleCase kLocales[] = {
    {"bg_BG",
     "bg-BG",
     Format(",", "\u00A0", {3}),
     {"1\u00A0234\u00A0567,891", "-0,250", "-1\u00A0234,500"}},
    {"de_DE", "de-DE", Format(",", ".", {3}), {"1.234.567,891", "-0,250", "-1.234,500"}},
    {"en_IN", "en-IN", Format(".", ",", {3, 2}), {"12,34,567.891", "-0.250", "-1,234.500"}},
    {"fr_FR",
     "fr-FR",
     Format(",", "\u00A0", {3}),
     {"1\u00A0234\u00A0567,891", "-0,250", "-1\u00A0234,500"}},
};

void PrintTo(const LocaleCase& c, std::ostream* os) {
    *os << c.name;
}

class UnixLocale : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(UnixLocale, GivesTheLocalesSettings) {
    const LocaleCase& c = GetParam();
    ASSERT_EQ(UserLocaleName(), c.windowsName)
        << "needs LANG=" << c.name << ".UTF-8 with the locale generated (LOCPATH): Wine "
        << "takes the user locale from LC_ALL, LC_MESSAGES or LANG, and only when it exists";
    ExpectSettings(c.format, c.texts);
}

INSTANTIATE_TEST_SUITE_P(Platform, UnixLocale, ::testing::ValuesIn(kLocales),
                         [](const auto& row) { return std::string(row.param.name); });

// --- The user's own choices in the Control Panel -----------------------------------------

struct Choice {
    const wchar_t* value;  // sDecimal, sThousand, sGrouping, iLZero or iNegNumber
    const wchar_t* data;
};

struct ChoicesCase {
    const char* name;  // the Unix locale, then what the user changed
    std::vector<Choice> choices;
    NumberFormat format;
    Texts texts;
};

const ChoicesCase kChoices[] = {
    // Separators, one of them outside Latin-1.
    {"de_DE_SwissSeparators",
     {{L"sDecimal", L"."}, {L"sThousand", L"\u2019"}},
     Format(".", "\u2019", {3}),
     {"1\u2019234\u2019567.891", "-0.250", "-1\u2019234.500"}},
    {"de_DE_SpaceSeparator",
     {{L"sThousand", L" "}},
     Format(",", " ", {3}),
     {"1 234 567,891", "-0,250", "-1 234,500"}},
    {"de_DE_TwoCharacterDecimal",
     {{L"sDecimal", L"::"}},
     Format("::", ".", {3}),
     {"1.234.567::891", "-0::250", "-1.234::500"}},
    // Grouping: a trailing 0 repeats the last size; without it the rest stays ungrouped.
    {"de_DE_IndianGrouping",
     {{L"sGrouping", L"3;2;0"}},
     Format(",", ".", {3, 2}),
     {"12.34.567,891", "-0,250", "-1.234,500"}},
    {"de_DE_FirstGroupOnly",
     {{L"sGrouping", L"3"}},
     Format(",", ".", {3, 0}),
     {"1234.567,891", "-0,250", "-1.234,500"}},
    {"de_DE_NoGrouping",
     {{L"sGrouping", L"0;0"}},
     Format(",", ".", {0}),
     {"1234567,891", "-0,250", "-1234,500"}},
    {"en_IN_GroupsOfThree",
     {{L"sGrouping", L"3;0"}},
     Format(".", ",", {3}),
     {"1,234,567.891", "-0.250", "-1,234.500"}},
    // Leading zero and the five negative patterns.
    {"de_DE_NoLeadingZero",
     {{L"iLZero", L"0"}},
     Format(",", ".", {3}, false),
     {"1.234.567,891", "-,250", "-1.234,500"}},
    {"de_DE_Parentheses",
     {{L"iNegNumber", L"0"}},
     Format(",", ".", {3}, true, NegativePattern::Parentheses),
     {"1.234.567,891", "(0,250)", "(1.234,500)"}},
    {"de_DE_LeadingMinusSpace",
     {{L"iNegNumber", L"2"}},
     Format(",", ".", {3}, true, NegativePattern::LeadingMinusSpace),
     {"1.234.567,891", "- 0,250", "- 1.234,500"}},
    {"de_DE_TrailingMinus",
     {{L"iNegNumber", L"3"}},
     Format(",", ".", {3}, true, NegativePattern::TrailingMinus),
     {"1.234.567,891", "0,250-", "1.234,500-"}},
    {"fr_FR_TrailingSpaceMinus",
     {{L"iNegNumber", L"4"}},
     Format(",", "\u00A0", {3}, true, NegativePattern::TrailingSpaceMinus),
     {"1\u00A0234\u00A0567,891", "0,250 -", "1\u00A0234,500 -"}},
    // All five at once, on top of another locale.
    {"bg_BG_EveryChoice",
     {{L"sDecimal", L"."},
      {L"sThousand", L","},
      {L"sGrouping", L"3;0"},
      {L"iLZero", L"0"},
      {L"iNegNumber", L"0"}},
     Format(".", ",", {3}, false, NegativePattern::Parentheses),
     {"1,234,567.891", "(.250)", "(1,234.500)"}},
};

constexpr const wchar_t* kInternational = L"Control Panel\\International";
constexpr const wchar_t* kCaseVariable = L"PELMORA_CONTROL_PANEL_CASE";

// Writes the user's choices to HKCU\Control Panel\International and puts the old values back.
class ControlPanelGuard {
public:
    explicit ControlPanelGuard(const std::vector<Choice>& choices) {
        for (const Choice& choice : choices) {
            m_old.push_back({choice.value, Read(choice.value)});
            Write(choice.value, choice.data);
        }
    }
    ~ControlPanelGuard() {
        for (const auto& [value, data] : m_old) {
            if (data)
                Write(value, data->c_str());
            else
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternational, value);
        }
    }
    ControlPanelGuard(const ControlPanelGuard&) = delete;
    ControlPanelGuard& operator=(const ControlPanelGuard&) = delete;

private:
    static std::optional<std::wstring> Read(const wchar_t* value) {
        wchar_t data[256] = {};
        DWORD size = sizeof data;
        if (RegGetValueW(HKEY_CURRENT_USER, kInternational, value, RRF_RT_REG_SZ, nullptr, data,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return data;
    }
    static void Write(const wchar_t* value, const wchar_t* data) {
        const DWORD size = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kInternational, value, REG_SZ, data, size),
                  ERROR_SUCCESS);
    }

    std::vector<std::pair<const wchar_t*, std::optional<std::wstring>>> m_old;
};

// Runs this program again with only the FreshProcess test and the case's name in the
// environment; its output joins ours. Returns its exit status.
DWORD RunFreshProcess(const char* caseName) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(path) + L"\" --gtest_filter=FreshProcess.SeesTheChoices";
    const std::wstring name(caseName, caseName + std::char_traits<char>::length(caseName));
    SetEnvironmentVariableW(kCaseVariable, name.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableW(kCaseVariable, nullptr);
    if (!started) return GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

void PrintTo(const ChoicesCase& c, std::ostream* os) {
    *os << c.name;
}

class ControlPanel : public ::testing::TestWithParam<ChoicesCase> {};

TEST_P(ControlPanel, ChoicesReachTheNextProgram) {
    const ControlPanelGuard choices(GetParam().choices);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(RunFreshProcess(GetParam().name), 0u);
}

INSTANTIATE_TEST_SUITE_P(Platform, ControlPanel, ::testing::ValuesIn(kChoices),
                         [](const auto& row) { return std::string(row.param.name); });

// The reading side of ControlPanel, started by it in a process of its own.
TEST(FreshProcess, SeesTheChoices) {
    const char* name = std::getenv("PELMORA_CONTROL_PANEL_CASE");
    if (!name) GTEST_SKIP() << "started by the ControlPanel tests";
    for (const ChoicesCase& c : kChoices) {
        if (std::string(c.name) != name) continue;
        std::string locale(c.name, 5);  // "de_DE_NoGrouping" builds on de-DE
        locale[2] = '-';
        ASSERT_EQ(UserLocaleName(), locale) << "the locale the case builds on";
        ExpectSettings(c.format, c.texts);
        return;
    }
    FAIL() << "no case " << name;
}

}  // namespace
}  // namespace pelmora::platform
