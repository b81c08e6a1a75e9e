#pragma once

#include <windows.h>

#include "view/control_table.h"

namespace pelmora::win32 {

// How a row of the control table is made from Win32's system classes: the class, the
// window styles and the extended styles.
struct ChildWindowStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};
ChildWindowStyle StyleFor(const view::ControlSpec& row);

// The colours a control is drawn in. The window fixes its backgrounds, so it fixes the text
// colour too, from the classic standard colours: dark text on every light background,
// whatever colours the desktop has. Disabled fields draw their text in the system's grey.
struct ControlColours {
    view::Rgb background;
    view::Rgb text;
};
ControlColours ColoursFor(const view::ControlSpec& row);

// The main window's styles: a title bar with the system menu and close button, a fixed
// border, no minimise or maximise button, its own entry on the task bar.
inline constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// The first control id; the dialog manager sends IDOK and IDCANCEL (1 and 2) for Enter and
// Esc, which must name no control.
inline constexpr int kFirstControlId = 100;

}  // namespace pelmora::win32
