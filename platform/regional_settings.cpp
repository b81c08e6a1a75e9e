#include "platform/regional_settings.h"

#include <climits>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_grouping.h"
#else
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <optional>
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

// A locale's text turned from the locale's own character set (its CODESET, "ISO-8859-1" for
// fr_FR.ISO-8859-1) into UTF-8. Nothing when the text is not valid in that set or the C
// library cannot convert from it.
std::optional<std::string> ToUtf8(const char* text, const char* codeset) {
    std::string in = text != nullptr ? text : "";
    if (in.empty() || codeset == nullptr || std::string_view(codeset) == "UTF-8") return in;
    const iconv_t converter = iconv_open("UTF-8", codeset);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    // One character of any set the C library knows is at most four bytes of UTF-8, and
    // takes at least one byte of its own.
    std::string out(4 * in.size(), '\0');
    char* inNext = in.data();
    std::size_t inLeft = in.size();
    char* outNext = out.data();
    std::size_t outLeft = out.size();
    const std::size_t converted = iconv(converter, &inNext, &inLeft, &outNext, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
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

    // LC_CTYPE of the same name too, for the character set the symbols are written in.
    const std::string name(localeName);
    const locale_t locale = newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, name.c_str(), locale_t{});
    if (locale == locale_t{}) return format;  // not installed: the program runs as in C

    // A decimal symbol that cannot be read as text stays '.'; such a grouping symbol is dropped.
    const char* codeset = nl_langinfo_l(CODESET, locale);
    if (auto decimal = ToUtf8(nl_langinfo_l(RADIXCHAR, locale), codeset);
        decimal && !decimal->empty()) {
        format.decimalSymbol = std::move(*decimal);
    }
    format.groupingSymbol = ToUtf8(nl_langinfo_l(THOUSEP, locale), codeset).value_or("");
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
