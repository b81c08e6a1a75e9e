#include "platform/regional_settings.h"

#include <climits>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_grouping.h"
#else
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#endif

namespace pelmora::platform {

#ifdef _WIN32

namespace {

std::string LocaleText(LCTYPE item) {
    wchar_t wide[LOCALE_NAME_MAX_LENGTH] = {};
    const int wideLength =
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, wide, LOCALE_NAME_MAX_LENGTH);
    if (wideLength <= 1) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide, wideLength - 1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, wideLength - 1, text.data(), length, nullptr, nullptr);
    return text;
}

int LocaleNumber(LCTYPE item, int fallback) {
    DWORD value = 0;
    const int ok =
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&value), sizeof(value) / sizeof(wchar_t));
    return ok ? static_cast<int>(value) : fallback;
}

}  // namespace

number::NumberFormat UserNumberFormat() {
    number::NumberFormat format;
    if (std::string decimal = LocaleText(LOCALE_SDECIMAL); !decimal.empty()) {
        format.decimalSymbol = std::move(decimal);
    }
    format.groupingSymbol = LocaleText(LOCALE_STHOUSAND);
    format.groupSizes = WindowsGroupSizes(LocaleText(LOCALE_SGROUPING));
    format.leadingZero = LocaleNumber(LOCALE_ILZERO, 1) != 0;
    const int negative = LocaleNumber(LOCALE_INEGNUMBER, 1);
    if (negative >= 0 && negative <= 4) {
        // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -": the enumeration's own order.
        format.negativePattern = static_cast<number::NegativePattern>(negative);
    }
    return format;
}

#else

namespace {

bool IsPosixDefault(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.");
}

// POSIX grouping: one byte per group size, the last repeats, CHAR_MAX ends grouping.
std::vector<int> PosixGroupSizes(const char* grouping) {
    std::vector<int> sizes;
    for (const char* g = grouping; g != nullptr && *g != '\0'; ++g) {
        if (*g == CHAR_MAX || *g <= 0) {
            sizes.push_back(0);
            break;
        }
        sizes.push_back(*g);
    }
    return sizes;
}

}  // namespace

std::string_view NumericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang) {
    for (const char* name : {lcAll, lcNumeric, lang}) {
        if (name != nullptr && *name != '\0') return name;
    }
    return "C";
}

number::NumberFormat NumberFormatOfLocale(std::string_view localeName) {
    number::NumberFormat format;
    if (IsPosixDefault(localeName)) return format;

    const std::string name(localeName);
    const locale_t locale = newlocale(LC_NUMERIC_MASK, name.c_str(), locale_t{});
    if (locale == locale_t{}) return format;  // not installed: the program runs as in C

    if (const char* decimal = nl_langinfo_l(RADIXCHAR, locale); decimal && *decimal) {
        format.decimalSymbol = decimal;
    }
    const char* separator = nl_langinfo_l(THOUSEP, locale);
    format.groupingSymbol = separator ? separator : "";
#ifdef GROUPING  // a glibc item; elsewhere the example grouping stands
    format.groupSizes = PosixGroupSizes(nl_langinfo_l(GROUPING, locale));
#endif
    freelocale(locale);
    return format;
}

number::NumberFormat UserNumberFormat() {
    return NumberFormatOfLocale(
        NumericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

#endif

}  // namespace pelmora::platform
