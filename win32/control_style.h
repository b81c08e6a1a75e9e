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
// whatever colours the desktop has. Computed fields show their text in a grey that the
// window draws itself (a disabled text box would take the system's, too faint on pink).
struct ControlColours {
    view::Rgb background;
    view::Rgb text;
};
ControlColours ColoursFor(const view::ControlSpec& row);

// Under a high-contrast theme none of those: the theme's system colours (GetSysColor
// indexes), as a dialog of Windows' own uses them. A computed field is a disabled text box
// there, its text in the theme's disabled-text colour.
struct SystemColours {
    int background;
    int text;
};
SystemColours SystemColoursFor(const view::ControlSpec& row);
inline constexpr int kWindowSystemBackground = COLOR_3DFACE;

// Whether the user has a high-contrast theme on (SPI_GETHIGHCONTRAST).
bool HighContrastOn();

// The main window's styles: a title bar with the system menu and close button, a fixed
// border, no minimise or maximise button, its own entry on the task bar.
inline constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// The first control id; the dialog manager sends IDOK and IDCANCEL (1 and 2) for Enter and
// Esc, which must name no control.
inline constexpr int kFirstControlId = 100;

}  // namespace pelmora::win32
