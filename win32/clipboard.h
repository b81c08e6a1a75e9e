#pragma once

#include <windows.h>

#include <string_view>

namespace pelmora::win32 {

// Puts `text` on the clipboard as Unicode text, with `owner` as the clipboard's owner.
// False, leaving the clipboard as it was, when another program holds it open or memory is
// short.
bool CopyToClipboard(HWND owner, std::wstring_view text);

}  // namespace pelmora::win32
