// The yardstick for pelmora.exe's start-up: a plain Win32 window with the same controls as
// Pelmora's (labels, option buttons, 24 text boxes of which 12 are bold and disabled, two
// push buttons, the task statement), the same captions, text, fonts, size, background and
// manifest, written out by hand at 96 dpi with no table, no form model and no logic.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "view/control_table.h"

namespace {

LRESULT CALLBACK BareWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The statement's UTF-8 as UTF-16, by the system's converter.
std::wstring Wide(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(192, 192, 255));
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassExW(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, 454, 342};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const HWND window = CreateWindowExW(
        0, L"BareWindow", L"Bare", style, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
        outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    const HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                   OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_ROMAN, L"Times New Roman");
    const HFONT bold = CreateFontW(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                   OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_ROMAN, L"Times New Roman");
    auto add = [&](const wchar_t* className, const std::wstring& text, DWORD controlStyle,
                   DWORD exStyle, int x, int y, int width, int height, HFONT controlFont) {
        const HWND control =
            CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | controlStyle,
                            x, y, width, height, window, nullptr, instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont), FALSE);
    };

    add(L"STATIC", Wide("Геометрия - изчисляване на прав кръгов конус"), SS_CENTER, 0, 64, 0, 337,
        25, font);
    const wchar_t* const columns[] = {L"R", L"L", L"So", L"Sp"};
    for (int c = 0; c < 4; ++c)
        add(L"STATIC", columns[c], SS_CENTER, 0, 104 + 64 * c, 32, 65, 25, font);
    for (int r = 0; r < 6; ++r) {
        add(L"BUTTON", Wide("Вариант ") + static_cast<wchar_t>(L'1' + r),
            BS_AUTORADIOBUTTON | (r == 0 ? WS_GROUP | WS_TABSTOP : 0), 0, 8, 56 + 24 * r, 97, 25,
            font);
        for (int c = 0; c < 4; ++c) {
            const bool disabled = (r + c) % 2 == 0;  // twelve, as the computed fields
            add(L"EDIT", L"", ES_AUTOHSCROLL | (disabled ? WS_DISABLED : WS_TABSTOP),
                WS_EX_CLIENTEDGE, 104 + 64 * c, 56 + 24 * r, 65, 27, disabled ? bold : font);
        }
    }
    add(L"BUTTON", Wide("Изчисли"), BS_PUSHBUTTON | WS_TABSTOP, 0, 368, 56, 81, 25, font);
    add(L"BUTTON", Wide("Изчисти"), BS_PUSHBUTTON | WS_TABSTOP, 0, 368, 176, 81, 25, font);
    add(L"EDIT", Wide(pelmora::view::kTaskStatement),
        ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 8,
        216, 441, 121, font);

    ShowWindow(window, showCommand);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(font);
    DeleteObject(bold);
    return 0;
}
