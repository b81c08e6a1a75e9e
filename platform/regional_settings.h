#pragma once

#include <string_view>

#include "number/number_text.h"

namespace pelmora::platform {

// The user's number settings as they stand now: on POSIX systems from the LC_NUMERIC locale
// named by the environment (LC_ALL, LC_NUMERIC, LANG), on Windows from the user's default
// locale. Read afresh at every call and never changes the process's own locale.
number::NumberFormat UserNumberFormat();

#ifndef _WIN32
// The number settings of a POSIX locale name ("bg_BG.UTF-8"). The C and POSIX locales, and a
// locale that is not installed, give the example settings. Leading zero and the negative
// pattern, which POSIX locales do not state, are always the example settings'.
number::NumberFormat NumberFormatOfLocale(std::string_view localeName);

// The locale name that governs LC_NUMERIC in an environment with these variables' values
// (a null pointer for an unset one), as setlocale(LC_NUMERIC, "") resolves it.
std::string_view NumericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang);
#endif

}  // namespace pelmora::platform
