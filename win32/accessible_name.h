#pragma once

#include <windows.h>

#include <string>

namespace pelmora::win32 {

// Gives a control the name a screen reader announces for it, through MSAA: the control
// answers WM_GETOBJECT with the system's own accessible object for it, renamed. MSAA is
// loaded only when a screen reader first asks, so a start without one costs nothing.
// Uses the control's GWLP_USERDATA; false when that is taken or the control could not be
// subclassed.
bool SetAccessibleName(HWND control, std::wstring name);

}  // namespace pelmora::win32
