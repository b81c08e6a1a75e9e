#include "win32/dpi.h"

namespace pelmora::win32 {
namespace {

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // A function pointer of the type the caller declares: GetProcAddress's own is a stand-in.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

DpiCalls LookUpDpiCalls() {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    // Only from the system folder. Windows 7 without its 2011 loader update refuses the flag,
    // but has no shcore.dll either.
    const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return {
        Lookup<decltype(DpiCalls::getDpiForWindow)>(user32, "GetDpiForWindow"),
        Lookup<decltype(DpiCalls::adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi"),
        Lookup<decltype(DpiCalls::getDpiForMonitor)>(shcore, "GetDpiForMonitor"),
    };
}

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

const DpiCalls& SystemDpiCalls() {
    static const DpiCalls calls = LookUpDpiCalls();
    return calls;
}

UINT WindowDpi(HWND hwnd, const DpiCalls& calls) {
    if (calls.getDpiForWindow) {
        if (const UINT dpi = calls.getDpiForWindow(hwnd)) return dpi;
    }
    if (calls.getDpiForMonitor) {
        constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
        UINT x = 0, y = 0;
        const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(calls.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x) return x;
    }
    return SystemDpi();
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi, const DpiCalls& calls) {
    RECT outer{0, 0, width, height};
    // Without the call the frame is the system's, drawn at its DPI: where a system lacks it,
    // every window is at that DPI.
    if (!calls.adjustWindowRectExForDpi ||
        !calls.adjustWindowRectExForDpi(&outer, style, FALSE, exStyle, dpi)) {
        outer = {0, 0, width, height};
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    }
    return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace pelmora::win32
