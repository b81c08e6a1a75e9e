// The Win32 window in this process, hidden: what another process cannot see or cause (its
// class icon, its GDI objects, a change of the monitor's DPI).
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "form/calculator_form.h"
#include "view/control_table.h"
#include "win32/control_style.h"
#include "win32/dpi.h"
#include "win32/pelmora_window.h"

namespace pelmora::win32 {
namespace {

// Wine never reports a high-contrast theme: the tests say when one is on.
bool g_highContrast = false;
bool TestHighContrast() {
    return g_highContrast;
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        window.emplace(form, TestHighContrast);
        ASSERT_TRUE(window->create(GetModuleHandleW(nullptr)));
        hwnd = window->hwnd();
    }

    HWND child(const view::ControlSpec& row) const {
        const auto index = &row - view::ControlTable().data();
        return GetDlgItem(hwnd, kFirstControlId + static_cast<int>(index));
    }
    HWND child(std::string_view array, int index) const {
        return child(*view::FindControl(array, index));
    }
    LOGFONTW fontOf(HWND control) const {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font;
    }
    void changeDpi(UINT dpi) {
        RECT suggested{10, 20, 30, 40};
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }
    // Every control at the pixels its twips give at `dpi`, and the client area likewise.
    void expectLayoutFor(UINT dpi) const {
        const int scale = static_cast<int>(dpi);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, view::TwipsToPixels(view::kClientWidth, scale));
        EXPECT_EQ(client.bottom, view::TwipsToPixels(view::kClientHeight, scale));
        for (const view::ControlSpec& row : view::ControlTable()) {
            RECT rect;
            GetWindowRect(child(row), &rect);
            MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
            const view::PixelRect expected = view::ControlRect(row, scale);
            EXPECT_EQ(view::PixelRect(
                          {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}),
                      expected)
                << view::ControlName(row) << " at " << dpi << " dpi";
        }
    }

    form::CalculatorForm form{{}};
    std::optional<PelmoraWindow> window;
    HWND hwnd = nullptr;
};

TEST_F(Win32Window, OpensLaidOutForItsMonitorsDpi) {
    expectLayoutFor(GetDpiForWindow(hwnd));
}

// Windows 7 and 8 lack the per-window DPI calls: the window then takes the system's DPI and
// its frame, the same geometry as the newer calls give at that DPI.
TEST_F(Win32Window, WithoutTheNewerDpiCallsTheGeometryIsTheSystemsDpi) {
    const HDC screen = GetDC(nullptr);
    const UINT systemDpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    const DpiCalls none{};
    EXPECT_EQ(WindowDpi(hwnd, none), systemDpi);
    EXPECT_EQ(WindowDpi(hwnd), systemDpi);
    const SIZE older = FrameSize(454, 342, kWindowStyle, kWindowExStyle, systemDpi, none);
    const SIZE newer = FrameSize(454, 342, kWindowStyle, kWindowExStyle, systemDpi);
    EXPECT_EQ(std::pair(older.cx, older.cy), std::pair(newer.cx, newer.cy));
}

TEST_F(Win32Window, CarriesTheProgramsIconFromTheResource) {
    EXPECT_NE(GetClassLongPtrW(hwnd, GCLP_HICON), 0);
    EXPECT_NE(GetClassLongPtrW(hwnd, GCLP_HICONSM), 0);
}

TEST_F(Win32Window, FontsAreTimesNewRomanForCyrillicBoldInComputedFields) {
    const LOGFONTW label = fontOf(child("Label1", 0));
    EXPECT_EQ(std::wstring(label.lfFaceName), L"Times New Roman");
    EXPECT_EQ(label.lfCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(label.lfWeight, FW_NORMAL);
    EXPECT_EQ(fontOf(child("Text2", 0)).lfWeight, FW_NORMAL);
    EXPECT_EQ(fontOf(child("Text2", 2)).lfWeight, FW_BOLD);
    EXPECT_EQ(fontOf(child("Text2", 21)).lfWeight, FW_BOLD);
    EXPECT_EQ(fontOf(child("Command1", 0)).lfWeight, FW_NORMAL);
}

// The task statement's scroll bar spans its lines as wrapped in the window's font, so the
// last line can be reached and the thumb shows how much is hidden.
void ExpectScrollBarSpansTheWrappedLines(HWND statement) {
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(statement, SB_VERT, &scroll));
    const auto lines = static_cast<int>(SendMessageW(statement, EM_GETLINECOUNT, 0, 0));
    EXPECT_GT(lines, 8);  // the eight lines wrap
    EXPECT_EQ(scroll.nMax - scroll.nMin + 1, lines);
    EXPECT_GT(static_cast<int>(scroll.nPage), 0);
    EXPECT_LT(static_cast<int>(scroll.nPage), lines);
}

TEST_F(Win32Window, TaskStatementScrollBarSpansItsWrappedLines) {
    ExpectScrollBarSpansTheWrappedLines(child("Text1", 0));
}

class Win32WindowDpi : public Win32Window, public ::testing::WithParamInterface<UINT> {};

// A move to a monitor with another DPI lays the window out again, with fonts made for it.
TEST_P(Win32WindowDpi, ChangeLaysOutAgainWithNewFonts) {
    const UINT dpi = GetParam();
    const auto oldFont =
        reinterpret_cast<HGDIOBJ>(SendMessageW(child("Label1", 0), WM_GETFONT, 0, 0));
    changeDpi(dpi);
    expectLayoutFor(dpi);
    const int height = -MulDiv(view::kFontPoints, static_cast<int>(dpi), 72);
    EXPECT_EQ(fontOf(child("Label1", 0)).lfHeight, height);
    EXPECT_EQ(fontOf(child("Text2", 3)).lfHeight, height);
    EXPECT_EQ(fontOf(child("Text2", 3)).lfWeight, FW_BOLD);
    EXPECT_EQ(fontOf(child("Text1", 0)).lfHeight, height);
    EXPECT_EQ(GetObjectType(oldFont), 0u) << "the old font is deleted";
    ExpectScrollBarSpansTheWrappedLines(child("Text1", 0));
    RECT outer;
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.left, 10);  // placed where Windows suggests
    EXPECT_EQ(outer.top, 20);
}

INSTANTIATE_TEST_SUITE_P(Win32, Win32WindowDpi, ::testing::Values(96u, 120u, 144u, 192u),
                         [](const auto& testInfo) {
                             return std::to_string(testInfo.param) + "dpi";
                         });

struct Accessible {
    std::wstring name;
    long role = 0;
    long state = 0;
};

// What MSAA tells a screen reader about a control: its name, role and state.
Accessible AccessibleOf(HWND control) {
    Accessible result;
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return result;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (accessible->get_accName(self, &name) == S_OK) {
        result.name.assign(name, SysStringLen(name));
        SysFreeString(name);
    }
    VARIANT role;
    VariantInit(&role);
    if (accessible->get_accRole(self, &role) == S_OK && role.vt == VT_I4) result.role = role.lVal;
    VARIANT state;
    VariantInit(&state);
    if (accessible->get_accState(self, &state) == S_OK && state.vt == VT_I4)
        result.state = state.lVal;
    accessible->Release();
    return result;
}

// Screen readers hear each text box by its row's option and its column ("Вариант 2, L"),
// the rest of what they learn is the system's own: a text role.
TEST_F(Win32Window, TextBoxesAreNamedForScreenReaders) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const Accessible field = AccessibleOf(child("Text2", 5));
    EXPECT_EQ(field.name, L"\u0412\u0430\u0440\u0438\u0430\u043D\u0442 2, L");
    EXPECT_EQ(field.role, ROLE_SYSTEM_TEXT);
    EXPECT_EQ(AccessibleOf(child("Text2", 23)).name,
              L"\u0412\u0430\u0440\u0438\u0430\u043D\u0442 6, Sp");
    const Accessible statement = AccessibleOf(child("Text1", 0));
    EXPECT_EQ(statement.name,
              L"\u0423\u0441\u043B\u043E\u0432\u0438\u0435 \u043D\u0430 "
              L"\u0437\u0430\u0434\u0430\u0447\u0430\u0442\u0430");
    EXPECT_EQ(statement.role, ROLE_SYSTEM_TEXT);
    EXPECT_EQ(AccessibleOf(child("Option1", 2)).name,
              L"\u0412\u0430\u0440\u0438\u0430\u043D\u0442 3");
    CoUninitialize();
}

// A brush handed out for WM_CTLCOLOR* outlives the call: the same one every time, kept
// until the window is destroyed, and then deleted with the fonts.
TEST_F(Win32Window, GdiObjectsAreCreatedOnceAndDeletedWithTheWindow) {
    const HDC dc = GetDC(hwnd);
    auto brushFor = [&](HWND control) {
        return reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_CTLCOLORSTATIC,
                                                      reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(control)));
    };
    const HGDIOBJ captionBrush = brushFor(child("Label1", 1));
    EXPECT_EQ(brushFor(child("Label1", 1)), captionBrush);
    EXPECT_EQ(brushFor(child("Label1", 4)), captionBrush);  // one brush per colour
    EXPECT_EQ(GetObjectType(captionBrush), static_cast<DWORD>(OBJ_BRUSH));
    ReleaseDC(hwnd, dc);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(child("Label1", 0), WM_GETFONT, 0, 0));
    const auto boldFont =
        reinterpret_cast<HGDIOBJ>(SendMessageW(child("Text2", 2), WM_GETFONT, 0, 0));
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));

    window.reset();
    EXPECT_EQ(GetObjectType(captionBrush), 0u);
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(boldFont), 0u);
}

// Read-only and disabled text boxes ask for their colours like labels do: a locked field
// gets the same white as an open one, a computed one its pink, each with dark text.
TEST_F(Win32Window, LockedFieldsLookLikeOpenOnes) {
    const HDC dc = GetDC(hwnd);
    auto colours = [&](UINT message, HWND control) {
        SendMessageW(hwnd, message, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control));
        return std::pair{GetBkColor(dc), GetTextColor(dc)};
    };
    const auto open = colours(WM_CTLCOLOREDIT, child("Text2", 0));
    const auto locked = colours(WM_CTLCOLORSTATIC, child("Text2", 4));
    const auto computed = colours(WM_CTLCOLORSTATIC, child("Text2", 2));
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(open.first, RGB(255, 255, 255));
    EXPECT_EQ(locked, open);
    EXPECT_EQ(computed.first, RGB(255, 192, 192));
    EXPECT_EQ(computed.second, RGB(85, 85, 85));
}

// Under a high-contrast theme every control takes the theme's colours (Wine's own here),
// none of the table's, and the table's again when the theme is turned off while it runs.
TEST_F(Win32Window, HighContrastThemeReplacesEveryFixedColour) {
    std::vector<COLORREF> theme;
    for (const int element :
         {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_3DFACE, COLOR_BTNTEXT, COLOR_GRAYTEXT})
        theme.push_back(GetSysColor(element));
    const HDC dc = GetDC(hwnd);
    const auto colours = [&](const view::ControlSpec& row, bool highContrast) {
        g_highContrast = highContrast;
        SendMessageW(hwnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        LOGBRUSH fill{};  // the brush the background is painted with
        GetObjectW(reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(child(row)))),
                   sizeof fill, &fill);
        return std::pair{fill.lbColor, GetTextColor(dc)};
    };
    for (const view::ControlSpec& row : view::ControlTable()) {
        const auto [background, text] = colours(row, true);
        EXPECT_TRUE(std::count(theme.begin(), theme.end(), background) &&
                    std::count(theme.begin(), theme.end(), text) && background != text)
            << view::ControlName(row);
    }
    EXPECT_EQ(colours(*view::FindControl("Text2", 2), false),
              std::pair(RGB(255, 192, 192), RGB(85, 85, 85)));
    ReleaseDC(hwnd, dc);
}

// A text the program writes is drawn whole, in a smaller size of its field's font where the
// field's own does not fit it; only past 7 points is it cut, with its whole text as a
// tooltip. What the user then types is in the field's own font again.
struct FitCase {
    const char* name;
    const wchar_t* radius;
    const wchar_t* slant;
    int field;
    bool smaller, cut;
};
const FitCase kFitCases[] = {
    {"ShortResultKeepsTheFont", L"3", L"5", 3, false, false},
    {"MillionsFitSmaller", L"1000", L"2000", 2, true, false},
    {"TypedValueRewrittenFitsSmaller", L"1000", L"2000", 0, true, false},
    {"HugeResultIsCutWithATooltip", L"1e20", L"1e20", 3, true, true},
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class Win32WindowFit : public Win32Window, public ::testing::WithParamInterface<FitCase> {};

TEST_P(Win32WindowFit, ShowsTheProgramsTextWholeOrWithATooltip) {
    const FitCase& c = GetParam();
    SetWindowTextW(child("Text2", 0), c.radius);
    SetWindowTextW(child("Text2", 1), c.slant);
    SendMessageW(child("Command1", 0), BM_CLICK, 0, 0);
    const HWND field = child("Text2", c.field);
    wchar_t text[256] = {};
    const int length = GetWindowTextW(field, text, 256);
    EXPECT_EQ(fontOf(field).lfHeight != fontOf(child("Text2", 4)).lfHeight, c.smaller);
    // Where the text box itself puts the end of the text: inside its room unless cut.
    RECT room;
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    const HDC dc = GetDC(field);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(field, WM_GETFONT, 0, 0)));
    SIZE last{};
    GetTextExtentPoint32W(dc, text + length - 1, 1, &last);
    ReleaseDC(field, dc);
    const LRESULT lastAt = SendMessageW(field, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1), 0);
    EXPECT_EQ(static_cast<short>(LOWORD(lastAt)) + last.cx > room.right, c.cut);
    bool tipped = false;  // the whole text is a tooltip's
    wchar_t tip[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = tip;
    const HWND tooltip = FindWindowW(TOOLTIPS_CLASSW, nullptr);
    for (WPARAM n = 0; SendMessageW(tooltip, TTM_ENUMTOOLS, n, reinterpret_cast<LPARAM>(&tool));
         ++n)
        tipped |= std::wstring_view(tip) == text;
    EXPECT_EQ(tipped, c.cut);
    if (c.field == 0) {  // the user's change
        SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"7"));
        EXPECT_EQ(fontOf(field).lfHeight, fontOf(child("Text2", 4)).lfHeight);
    }
}

INSTANTIATE_TEST_SUITE_P(Win32, Win32WindowFit, ::testing::ValuesIn(kFitCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// What the open menu holds, read from inside its modal loop; then its last entry is chosen.
std::wstring g_menuEntries;
void CALLBACK ChooseFromMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const HWND menuWindow = FindWindowW(L"#32768", nullptr);
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int item = 0; menu && item < GetMenuItemCount(menu); ++item) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(item), text, 64, MF_BYPOSITION);
        g_menuEntries += std::wstring(text) + L"|";
    }
    PostMessageW(menuWindow, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR late, DWORD) {
        KillTimer(nullptr, late);
        EndMenu();  // the keys did not reach it: close it rather than wait
    });
}

class Win32Copy : public Win32Window {
protected:
    void SetUp() override {
        Win32Window::SetUp();
        SetWindowTextW(child("Text2", 0), L"30");
        SetWindowTextW(child("Text2", 1), L"50");
        SendMessageW(child("Command1", 0), BM_CLICK, 0, 0);
        if (OpenClipboard(hwnd)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    std::wstring clipboard() const {
        std::wstring text;
        if (!OpenClipboard(hwnd)) return L"(busy)";
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    // The entries of field n's context menu, whose last entry is then chosen. Windows sends
    // the message to the control under the pointer, or to its parent where that is disabled.
    std::wstring chooseLastFromMenuOf(int n) {
        const HWND field = child("Text2", n);
        RECT rect;
        GetWindowRect(field, &rect);
        g_menuEntries.clear();
        SetTimer(nullptr, 0, 100, ChooseFromMenu);
        SendMessageW(IsWindowEnabled(field) ? field : hwnd, WM_CONTEXTMENU,
                     reinterpret_cast<WPARAM>(field),
                     MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        return g_menuEntries;
    }
};

TEST_F(Win32Copy, CtrlShiftCCopiesTheSelectedRow) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE old[2] = {keys[VK_CONTROL], keys[VK_SHIFT]};
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    const MSG press{child("Text2", 0), WM_KEYDOWN, 'C', 0, 0, {}};
    const bool used = window->preTranslateMessage(press);
    keys[VK_CONTROL] = old[0];
    keys[VK_SHIFT] = old[1];
    SetKeyboardState(keys);
    EXPECT_TRUE(used);
    EXPECT_EQ(clipboard(), L"R = 30.000\r\nL = 50.000\r\nSo = 4712.389\r\nSp = 7539.822\r\n");
}

// Every value field's menu ends with «Копирай», which copies its text without grouping; a
// field that takes typing has the system's edit entries before it (Wine's, in English here).
TEST_F(Win32Copy, ComputedFieldMenuHasOnlyCopy) {
    EXPECT_EQ(chooseLastFromMenuOf(2), L"Копирай|");
    EXPECT_EQ(clipboard(), L"4712.389");
}

TEST_F(Win32Copy, TypingFieldMenuIsTheSystemsThenCopy) {
    EXPECT_EQ(chooseLastFromMenuOf(0), L"&Undo||Cu&t|&Copy|&Paste|&Delete||Select &All||Копирай|");
    EXPECT_EQ(clipboard(), L"30.000");
}

// After a calculation a screen reader hears its results once, wherever the focus is. Wine
// has no UI Automation notifications, so the focused control's name changes to them (and
// back when the focus leaves it). A result field is read-only text, not unavailable.
std::vector<HWND> g_renamed;
TEST_F(Win32Copy, ResultsAreAnnouncedOnceAndReadable) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const HWND calculate = child("Command1", 0);
    SetFocus(calculate);
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG, DWORD, DWORD) {
            if (object == OBJID_CLIENT) g_renamed.push_back(control);
        },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    SendMessageW(calculate, BM_CLICK, 0, 0);
    MSG message;
    for (int wait = 0; wait < 20; ++wait, Sleep(10)) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    EXPECT_EQ(g_renamed, std::vector<HWND>{calculate});
    EXPECT_EQ(AccessibleOf(calculate).name, L"So 4,712.389, Sp 7,539.822");
    EXPECT_EQ(
        AccessibleOf(child("Text2", 2)).state & (STATE_SYSTEM_READONLY | STATE_SYSTEM_UNAVAILABLE),
        STATE_SYSTEM_READONLY);
    SetFocus(child("Text2", 0));
    EXPECT_EQ(AccessibleOf(calculate).name, L"Изчисли");
    CoUninitialize();
}

}  // namespace
}  // namespace pelmora::win32
