#pragma once

#include <string>
#include <string_view>

namespace pelmora::win32 {

// The one pair of conversions between the model's UTF-8 and the UTF-16 of the Win32 API.
// Neither throws nor drops anything silently: what is not well formed becomes U+FFFD.

// UTF-8 to UTF-16. Each ill-formed stretch becomes one U+FFFD per maximal subpart, as the
// Unicode standard recommends and Windows' own converter does: a truncated sequence is one
// replacement, a byte that can start nothing (80..C1, F5..FF) is one replacement, and so
// are overlong forms, encoded surrogates and values above U+10FFFF byte by byte.
std::wstring ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8. A surrogate without its partner becomes U+FFFD.
std::string ToUtf8(std::wstring_view utf16);

}  // namespace pelmora::win32
