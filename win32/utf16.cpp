#include "win32/utf16.h"

#include <climits>

#include <windows.h>

namespace pelmora::win32 {
namespace {

static_assert(sizeof(wchar_t) == 2, "Win32 text is UTF-16");

// The converters count in int: a text too long for that is cut to what they can take.
int Length(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

}  // namespace

// Without MB_ERR_INVALID_CHARS and WC_ERR_INVALID_CHARS the converters do not fail on bad
// input: they put U+FFFD in its place. They are called twice, for the length and the text.
std::wstring ToUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int inLength = Length(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, out.data(), length);
    return out;
}

std::string ToUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int inLength = Length(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace pelmora::win32
