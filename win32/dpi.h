// The DPI of a window and the frame around a client area, on every Windows from 7 SP1 on.
// The calls that give them per monitor came with later systems; they are looked up at run
// time, and where a system lacks them the answer is the same at the system's DPI.
#pragma once

#include <windows.h>

namespace pelmora::win32 {

// The calls of newer systems that the window uses; null where this system lacks them.
struct DpiCalls {
    UINT(WINAPI* getDpiForWindow)(HWND);                                      // Windows 10 1607
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT);  // Windows 10 1607
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);           // Windows 8.1, shcore
};

// This system's calls, looked up once.
const DpiCalls& SystemDpiCalls();

// The DPI `hwnd` is laid out for: its own where the system knows it, else its monitor's,
// else the system's.
UINT WindowDpi(HWND hwnd, const DpiCalls& calls = SystemDpiCalls());

// The outer size of a window of `style` whose client area is `width` × `height` pixels, in
// the frame Windows draws at `dpi`.
SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi,
               const DpiCalls& calls = SystemDpiCalls());

}  // namespace pelmora::win32
