#pragma once

#include <windows.h>

namespace pelmora::win32 {

// The command of a field menu's «Копирай», which the window carries out itself.
inline constexpr UINT kCopyFieldCommand = 1;

// The context menu of a value field: for a text box that takes typing, the entries of the
// system's own edit menu (Undo, Cut, Copy, Paste, Delete, Select All) in the system's
// language and enabled as the system enables them for `edit`, then «Копирай»; for a computed
// field «Копирай» alone. The caller destroys it.
HMENU CreateFieldMenu(HWND edit, bool computed);

// Carries out `command`, a system entry chosen from CreateFieldMenu's menu, on `edit`, as the
// system's menu would. False for a command that is none of them (kCopyFieldCommand, 0).
bool RunEditCommand(HWND edit, UINT command);

}  // namespace pelmora::win32
