#pragma once

#include <string>
#include <string_view>

namespace pelmora::win32 {

// The one pair of conversions between the model's UTF-8 and the UTF-16 of the Win32 API,
// through Windows' own converters. Neither throws: what is not well formed becomes U+FFFD
// (ill-formed UTF-8, a surrogate without its partner). A text of more than 2^31 - 1 bytes or
// units, which no field holds, is cut there.

// UTF-8 to UTF-16.
std::wstring ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8.
std::string ToUtf8(std::wstring_view utf16);

}  // namespace pelmora::win32
