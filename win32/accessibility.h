#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pelmora::win32 {

// Gives a control the name a screen reader announces for it, through MSAA: the control
// answers WM_GETOBJECT with the system's own accessible object for it, renamed. MSAA is
// loaded only when a screen reader first asks, so a start without one costs nothing.
// A text box that `showsResult` (disabled, written only by the program) is told as a
// read-only text whose value is its text, not as an unavailable one.
// Uses the control's GWLP_USERDATA; false when that is taken or the control could not be
// subclassed.
bool SetAccessibleName(HWND control, std::wstring name, bool showsResult = false);

// Has a screen reader say `text` once, politely, without the focus moving. Where the system
// has UI Automation's notifications (Windows 10 1709 on) it raises one for `window`;
// elsewhere `text` becomes the name of `focus`, a control named by SetAccessibleName, until
// the focus leaves it, and the change is announced (EVENT_OBJECT_NAMECHANGE), which screen
// readers speak for the focused control. False when neither way is open.
bool Announce(HWND window, HWND focus, std::wstring_view text);

}  // namespace pelmora::win32
