#include "win32/pelmora_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "view/copy_text.h"
#include "view/text_fit.h"
#include "win32/accessibility.h"
#include "win32/clipboard.h"
#include "win32/control_style.h"
#include "win32/dpi.h"
#include "win32/field_menu.h"
#include "win32/utf16.h"

namespace pelmora::win32 {
namespace {

using view::ControlKind;
using view::ControlSpec;

constexpr wchar_t kClassName[] = L"PelmoraWindow";
constexpr wchar_t kIconName[] = L"IDI_ICON1";  // the icon of the executable's resource
// Sent from Windows 10 1703 on, before a DPI change, to ask for the size at the new DPI.
constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE
constexpr int kFullHalfPoints = 2 * view::kFontPoints;
// A field is a few hundred pixels wide at most: a longer text does not fit even at 7 points,
// and is not measured. A tooltip shows this much of a text at most.
constexpr std::size_t kLongestFittingText = 256;
constexpr std::size_t kLongestTooltip = 1024;
constexpr int kFieldMargin = 1;  // pixel at 96 dpi, left and right of a value field's text

COLORREF ToColorRef(view::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Times New Roman at `halfPoints` half points (12 points unless a text is fitted) for `dpi`,
// regular or bold. The Cyrillic character set is asked for, so Windows picks a face that can
// show the Bulgarian captions.
HFONT CreateWindowFont(UINT dpi, bool bold, int halfPoints = kFullHalfPoints) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(halfPoints, static_cast<int>(dpi), 2 * 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = RUSSIAN_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    const std::wstring face = ToUtf16(view::kFontFamily);
    face.copy(font.lfFaceName, std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    return CreateFontIndirectW(&font);
}

// A value field's text box in `font`, with narrow margins of its own at `dpi`: a text box
// sets its margins from its font's average character width, half a character each side,
// which would leave a long result too little room.
void SetFieldFont(HWND edit, HFONT font, UINT dpi, bool redraw) {
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    const int margin = MulDiv(kFieldMargin, static_cast<int>(dpi), 96);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

// The window's outer size: its client area laid out for `layoutDpi`, in a frame as Windows
// draws it at `frameDpi` (the same two, except while a DPI change is only announced).
SIZE OuterSize(UINT layoutDpi, UINT frameDpi) {
    const view::PixelRect client = view::ClientRect(static_cast<int>(layoutDpi));
    return FrameSize(client.width, client.height, kWindowStyle, kWindowExStyle, frameDpi);
}

}  // namespace

PelmoraWindow::PelmoraWindow(form::CalculatorForm& form, HighContrastQuery highContrast)
    : m_form(form), m_highContrastQuery(highContrast) {}

PelmoraWindow::~PelmoraWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

bool PelmoraWindow::create(HINSTANCE instance) {
    m_instance = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, kIconName);
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(instance, kIconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        if (!RegisterClassExW(&windowClass)) return false;
    }
    const std::wstring title = ToUtf16(view::kWindowTitle);
    if (!CreateWindowExW(kWindowExStyle, kClassName, title.c_str(), kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                         this)) {
        return false;
    }
    // The size follows the DPI of the monitor the window opened on; centre it there.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const SIZE size = outerSize();
    const RECT& work = monitor.rcWork;
    SetWindowPos(m_hwnd, nullptr, work.left + std::max(0L, (work.right - work.left - size.cx) / 2),
                 work.top + std::max(0L, (work.bottom - work.top - size.cy) / 2), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void PelmoraWindow::show(int showCommand) {
    ShowWindow(m_hwnd, showCommand);
    SetForegroundWindow(m_hwnd);
    SetFocus(m_taskStatement);
    UpdateWindow(m_hwnd);
}

LRESULT CALLBACK PelmoraWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<PelmoraWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        window =
            static_cast<PelmoraWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = window->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->m_hwnd = nullptr;
    }
    return result;
}

LRESULT PelmoraWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return createControls() ? 0 : -1;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(m_hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, windowBrush());
            return 1;
        }
        // A high-contrast theme turned on or off, or the system's colours changed.
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            followSystemColours();
            return 0;
        // Read-only and disabled text boxes ask with WM_CTLCOLORSTATIC, as labels and option
        // buttons do; only a text box that takes typing asks with WM_CTLCOLOREDIT.
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return colourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CONTEXTMENU: {
            // A computed field is disabled, so its right click comes to the window.
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(m_hwnd, &at);
            const Control* control =
                findControl(ChildWindowFromPointEx(m_hwnd, at, CWP_SKIPINVISIBLE));
            if (!control || !control->row->computed)
                return DefWindowProcW(m_hwnd, message, wParam, lParam);
            showFieldMenu(control->row->index, lParam);
            return 0;
        }
        case WM_DRAWITEM:
            drawPushButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            onCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_ACTIVATE:
            // DefWindowProc would give the focus to the window itself: keep it on a control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
            } else if (m_lastFocus) {
                SetFocus(m_lastFocus);
            }
            return 0;
        case WM_NEXTDLGCTL: {
            // The dialog manager hands Tab to the multi-line task statement, which asks its
            // parent to move on with this message: a plain window must do that itself.
            const HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(m_hwnd, GetFocus(), wParam != 0);
            if (next) focusControl(next);
            return 0;
        }
        case kGetDpiScaledSize: {
            const UINT dpi = static_cast<UINT>(wParam);
            *reinterpret_cast<SIZE*>(lParam) = OuterSize(dpi, dpi);
            return TRUE;
        }
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            const SIZE size = outerSize();
            SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DESTROY:
            m_presenter.reset();
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            // The controls are gone by now: nothing uses the fonts and brushes any more.
            DeleteObject(m_font);
            DeleteObject(m_boldFont);
            m_font = m_boldFont = nullptr;
            for (const auto& [size, font] : m_fitFonts)
                DeleteObject(font);
            m_fitFonts.clear();
            for (const auto& [colour, handle] : m_brushes)
                DeleteObject(handle);
            m_brushes.clear();
            m_controls.clear();
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
        default:
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

bool PelmoraWindow::createControls() {
    m_dpi = WindowDpi(m_hwnd);
    m_highContrast = m_highContrastQuery();
    // One brush per background colour, for the window's whole life.
    auto addBrush = [this](view::Rgb colour) {
        if (brush(colour)) return;
        m_brushes.emplace_back(colour, CreateSolidBrush(ToColorRef(colour)));
    };
    addBrush(view::kWindowBackground);
    for (const ControlSpec& row : view::ControlTable()) {
        addBrush(ColoursFor(row).background);
    }

    createFonts();
    static constexpr view::ControlMakers<PelmoraWindow, Control> kMakers{
        &PelmoraWindow::makeLabel, &PelmoraWindow::makeOptionButton, &PelmoraWindow::makePushButton,
        &PelmoraWindow::makeValueField, &PelmoraWindow::makeTaskStatement};
    for (const ControlSpec& row : view::ControlTable()) {
        const Control control = kMakers.make(*this, row);
        if (!control.hwnd) return false;
        m_controls.push_back(control);
    }
    orderForTabbing();
    m_lastFocus = m_taskStatement;
    m_presenter.emplace(m_form, static_cast<view::Surface&>(*this));
    return true;
}

// A control of the table at its place for the window's DPI, in its font.
HWND PelmoraWindow::createChild(const ControlSpec& row, std::wstring_view text) {
    const auto& table = view::ControlTable();
    const int id = kFirstControlId + static_cast<int>(&row - table.data());
    const ChildWindowStyle style = StyleFor(row);
    const view::PixelRect rect = view::ControlRect(row, static_cast<int>(m_dpi));
    const HWND hwnd =
        CreateWindowExW(style.exStyle, style.className, std::wstring(text).c_str(), style.style,
                        rect.x, rect.y, rect.width, rect.height, m_hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row)), FALSE);
    return hwnd;
}

PelmoraWindow::Control PelmoraWindow::makeLabel(const ControlSpec& row) {
    return {&row, createChild(row, ToUtf16(row.caption))};
}

// Every control that can take the focus has a name of ours: a calculation's results are
// announced through it where the system has no other way.
PelmoraWindow::Control PelmoraWindow::makeOptionButton(const ControlSpec& row) {
    const Control control{&row, createChild(row, ToUtf16(row.caption))};
    SetAccessibleName(control.hwnd, ToUtf16(row.caption));
    m_options[static_cast<std::size_t>(row.index)] = control.hwnd;
    return control;
}

PelmoraWindow::Control PelmoraWindow::makePushButton(const ControlSpec& row) {
    const Control control{&row, createChild(row, ToUtf16(row.caption))};
    SetAccessibleName(control.hwnd, ToUtf16(row.caption));
    return control;
}

PelmoraWindow::Control PelmoraWindow::makeValueField(const ControlSpec& row) {
    // A text box has no caption of its own: screen readers hear its row and column.
    const Control control{&row, createChild(row, {})};
    SetFieldFont(control.hwnd, fontFor(row), m_dpi, false);
    SetAccessibleName(control.hwnd, ToUtf16(view::AccessibleName(row.index)), row.computed);
    // A text box holds 30,000 characters unless told otherwise; 0 lifts the limit.
    SendMessageW(control.hwnd, EM_SETLIMITTEXT, 0, 0);
    // Every field passes the same way on, to the naming above and the text box's class.
    m_fieldProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProc)));
    m_fields[static_cast<std::size_t>(row.index)] = control.hwnd;
    return control;
}

LRESULT CALLBACK PelmoraWindow::FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The window outlives its controls: it is found until the last of them is destroyed.
    auto* window =
        reinterpret_cast<PelmoraWindow*>(GetWindowLongPtrW(GetParent(hwnd), GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (const Control* control = window->findControl(hwnd)) {
        if (const auto result = window->handleFieldMessage(*control->row, hwnd, message, lParam))
            return *result;
    }
    return CallWindowProcW(window->m_fieldProcedure, hwnd, message, wParam, lParam);
}

std::optional<LRESULT> PelmoraWindow::handleFieldMessage(const ControlSpec& row, HWND edit,
                                                         UINT message, LPARAM lParam) {
    if (message == WM_PAINT && row.computed) {
        paintComputedField(row, edit);
        return 0;
    }
    // The edit menu of a field that takes typing, with «Копирай» at its end.
    if (message == WM_CONTEXTMENU && !row.computed) {
        if (GetFocus() != edit) SetFocus(edit);
        showFieldMenu(row.index, lParam);
        return 0;
    }
    return std::nullopt;
}

PelmoraWindow::Control PelmoraWindow::makeTaskStatement(const ControlSpec& row) {
    const Control control{&row, createChild(row, ToUtf16(view::kTaskStatement))};
    SetAccessibleName(control.hwnd, ToUtf16(view::kTaskStatementName));
    SendMessageW(control.hwnd, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(control.hwnd, EM_SETSEL, 0, 0);  // caret and view at the start
    m_taskStatement = control.hwnd;
    return control;
}

// The dialog manager walks the controls in z-order: that order is the tab order. The
// labels, which take no focus, end up below everything.
void PelmoraWindow::orderForTabbing() {
    HWND previous = HWND_TOP;
    auto place = [&previous](HWND hwnd) {
        SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
    };
    const ControlSpec* first = view::ControlTable().data();
    for (const ControlSpec* row : view::TabChain()) {
        place(m_controls[static_cast<std::size_t>(row - first)].hwnd);
    }
}

// The controls move first and take their new fonts after: a multi-line text box sets its
// scroll bar for its lines when it gets a font, and not again when it is only resized.
void PelmoraWindow::applyDpi(UINT dpi) {
    m_dpi = dpi;
    layoutControls();
    createFonts();
    if (m_tooltip) setTooltipWidth();
}

// New fonts for the current DPI, and the program's texts fitted again in them; the old ones
// are deleted once no control uses them.
void PelmoraWindow::createFonts() {
    const HFONT oldFont = m_font;
    const HFONT oldBoldFont = m_boldFont;
    const auto oldFitFonts = std::exchange(m_fitFonts, {});
    m_font = CreateWindowFont(m_dpi, false);
    m_boldFont = CreateWindowFont(m_dpi, true);
    for (const Control& control : m_controls) {
        if (control.row->kind == ControlKind::ValueField) {
            SetFieldFont(control.hwnd, fontFor(*control.row), m_dpi, true);
        } else {
            SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(*control.row)),
                         TRUE);
        }
    }
    for (int field = 0; field < form::kFieldCount; ++field) {
        if (m_fits[static_cast<std::size_t>(field)].programText) fitProgramText(field);
    }
    if (oldFont) DeleteObject(oldFont);
    if (oldBoldFont) DeleteObject(oldBoldFont);
    for (const auto& [size, font] : oldFitFonts)
        DeleteObject(font);
}

HFONT PelmoraWindow::fontFor(const ControlSpec& row) const {
    return row.computed ? m_boldFont : m_font;
}

HFONT PelmoraWindow::fitFont(int halfPoints, bool bold) {
    if (halfPoints == kFullHalfPoints) return bold ? m_boldFont : m_font;
    const int key = 2 * halfPoints + (bold ? 1 : 0);
    for (const auto& [known, font] : m_fitFonts) {
        if (known == key) return font;
    }
    return m_fitFonts.emplace_back(key, CreateWindowFont(m_dpi, bold, halfPoints)).second;
}

// The program's text in field `field` in the largest size of the field's font, in half-point
// steps down to 7 points, at which the whole text fits the field; measured with the field's
// own DC, against the room the text box leaves for text. Past 7 points it is cut, and its whole
// text becomes the field's tooltip.
void PelmoraWindow::fitProgramText(int field) {
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    const bool bold = findControl(edit)->row->computed;
    const std::wstring text = WindowText(edit);
    std::optional<double> points = view::kFontPoints;
    if (!text.empty()) {
        const HDC dc = GetDC(edit);
        const HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
        points = view::FittingPoints(view::kFontPoints, [&](double size) {
            if (text.size() > kLongestFittingText) return false;
            const HFONT font = fitFont(static_cast<int>(std::lround(size * 2)), bold);
            SetFieldFont(edit, font, m_dpi, false);
            RECT room{};
            SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
            SelectObject(dc, font);
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            return extent.cx < room.right - room.left;
        });
        SelectObject(dc, oldFont);
        ReleaseDC(edit, dc);
    }
    FieldFit& fit = m_fits[static_cast<std::size_t>(field)];
    fit = {true, static_cast<int>(std::lround(points.value_or(view::kSmallestFitPoints) * 2)),
           !points};
    SetFieldFont(edit, fitFont(fit.halfPoints, bold), m_dpi, true);
    SendMessageW(edit, EM_SETSEL, 0, 0);  // from its first character in the new size too
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    updateTooltip(field);
}

// The user changed the field: it shows what the user types, in the field's own font.
void PelmoraWindow::showUserText(int field) {
    FieldFit& fit = m_fits[static_cast<std::size_t>(field)];
    if (!fit.programText) return;
    const bool resized = fit.halfPoints != kFullHalfPoints;
    fit = {};
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    if (resized) {
        SetFieldFont(edit, fontFor(*findControl(edit)->row), m_dpi, true);
    }
    updateTooltip(field);
}

// The field's tooltip, there while its text is cut: a disabled field's mouse messages come
// to the window, so its tool is its rectangle there; another field is a tool itself.
void PelmoraWindow::updateTooltip(int field) {
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // what every version of the control knows
    tool.hwnd = m_hwnd;
    if (IsWindowEnabled(edit)) {
        tool.uFlags = TTF_IDISHWND;
        tool.uId = reinterpret_cast<UINT_PTR>(edit);
    } else {
        tool.uId = static_cast<UINT_PTR>(field);
        GetWindowRect(edit, &tool.rect);
        MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&tool.rect), 2);
    }
    if (m_tooltip) SendMessageW(m_tooltip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&tool));
    if (!m_fits[static_cast<std::size_t>(field)].cut) return;
    std::wstring text = WindowText(edit);
    if (text.size() > kLongestTooltip) text.resize(kLongestTooltip);
    tool.lpszText = text.data();
    SendMessageW(tooltip(), TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&tool));
}

// The whole text of a result cut at the smallest size, made when a text is first cut (most
// windows never need it); the mouse messages are relayed from the message loop, so no
// control is subclassed for it.
HWND PelmoraWindow::tooltip() {
    if (m_tooltip) return m_tooltip;
    const INITCOMMONCONTROLSEX tooltips{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&tooltips);
    m_tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, m_instance, nullptr);
    setTooltipWidth();
    return m_tooltip;
}

void PelmoraWindow::setTooltipWidth() {
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, static_cast<int>(m_dpi), 96));
}

void PelmoraWindow::layoutControls() {
    for (const Control& control : m_controls) {
        const view::PixelRect rect = view::ControlRect(*control.row, static_cast<int>(m_dpi));
        MoveWindow(control.hwnd, rect.x, rect.y, rect.width, rect.height, TRUE);
    }
}

SIZE PelmoraWindow::outerSize() const {
    return OuterSize(m_dpi, WindowDpi(m_hwnd));
}

const PelmoraWindow::Control* PelmoraWindow::findControl(HWND hwnd) const {
    const int index = GetDlgCtrlID(hwnd) - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(m_controls.size())) return nullptr;
    const Control& control = m_controls[static_cast<std::size_t>(index)];
    return control.hwnd == hwnd ? &control : nullptr;
}

HBRUSH PelmoraWindow::brush(view::Rgb colour) const {
    for (const auto& [known, handle] : m_brushes) {
        if (known == colour) return handle;
    }
    return nullptr;
}

// Under a high-contrast theme the theme's colours, whose brushes the system keeps; else the
// control table's, in the window's own brushes.
PelmoraWindow::Paint PelmoraWindow::paintFor(const ControlSpec& row) const {
    if (m_highContrast) {
        const SystemColours colours = SystemColoursFor(row);
        return {GetSysColor(colours.background), GetSysColor(colours.text),
                GetSysColorBrush(colours.background)};
    }
    const ControlColours colours = ColoursFor(row);
    return {ToColorRef(colours.background), ToColorRef(colours.text), brush(colours.background)};
}

HBRUSH PelmoraWindow::windowBrush() const {
    return m_highContrast ? GetSysColorBrush(kWindowSystemBackground)
                          : brush(view::kWindowBackground);
}

void PelmoraWindow::followSystemColours() {
    m_highContrast = m_highContrastQuery();
    // Common controls learn of new system colours only from their parent.
    if (m_tooltip) SendMessageW(m_tooltip, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(m_hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT PelmoraWindow::colourControl(HDC dc, HWND hwnd) {
    const Control* control = findControl(hwnd);
    if (!control) return reinterpret_cast<LRESULT>(windowBrush());
    const Paint paint = paintFor(*control->row);
    SetTextColor(dc, paint.text);
    SetBkColor(dc, paint.background);
    return reinterpret_cast<LRESULT>(paint.brush);
}

// The field's background, and its text where the text box would put it, in its current font,
// cut at the right edge of the text's room.
void PelmoraWindow::paintComputedField(const ControlSpec& row, HWND edit) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(edit, &ps);
    const Paint paint = paintFor(row);
    RECT client;
    GetClientRect(edit, &client);
    FillRect(dc, &client, paint.brush);
    RECT room{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    const std::wstring text = WindowText(edit);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, paint.text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &room,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(edit, &ps);
}

// A push button in its own face colour: a raised edge, sunken while pressed, the caption
// centred, and a focus rectangle while it has the keyboard focus.
void PelmoraWindow::drawPushButton(const DRAWITEMSTRUCT& item) const {
    const Control* control = findControl(item.hwndItem);
    if (!control) return;
    const Paint paint = paintFor(*control->row);
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, paint.brush);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (pressed) OffsetRect(&rect, 1, 1);
    const std::wstring caption = WindowText(item.hwndItem);
    const HGDIOBJ oldFont = SelectObject(item.hDC, m_font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, paint.text);
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, oldFont);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(item.hDC, &focus);
    }
}

void PelmoraWindow::onCommand(int code, HWND hwnd) {
    // Enter and Esc reach here as IDOK and IDCANCEL without a control: they do nothing.
    const Control* control = hwnd ? findControl(hwnd) : nullptr;
    if (!control || !m_presenter) return;
    const ControlSpec& row = *control->row;
    switch (row.kind) {
        case ControlKind::ValueField:
            // Also sent for the presenter's own SetWindowTextW: the presenter knows its own.
            if (code != EN_CHANGE) break;
            if (!m_writingField) showUserText(row.index);
            m_presenter->fieldTextChanged(row.index, ToUtf8(WindowText(hwnd)));
            break;
        case ControlKind::OptionButton:
            if (code == BN_CLICKED && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                m_presenter->optionSelected(row.index);
            }
            break;
        case ControlKind::PushButton:
            if (code == BN_CLICKED) m_presenter->buttonPressed(row.index);
            break;
        default:
            break;
    }
}

// Moves the focus as the dialog manager does on Tab: a text box gets all its text selected.
void PelmoraWindow::focusControl(HWND control) {
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
    SetFocus(control);
}

// The option buttons do not follow each other in the z-order (the tab order puts fields
// between them), so the dialog manager cannot move among them: the arrow keys are handled
// here, wrapping around as in a group.
void PelmoraWindow::moveSelection(int step) {
    const auto current = std::find(m_options.begin(), m_options.end(), GetFocus());
    if (current == m_options.end()) return;
    const auto count = static_cast<int>(m_options.size());
    const int next = (static_cast<int>(current - m_options.begin()) + step + count) % count;
    const HWND option = m_options[static_cast<std::size_t>(next)];
    SetFocus(option);
    SendMessageW(option, BM_CLICK, 0, 0);  // selected as by the user: BN_CLICKED follows
}

bool PelmoraWindow::preTranslateMessage(const MSG& message) {
    if (!m_hwnd || (message.hwnd != m_hwnd && !IsChild(m_hwnd, message.hwnd))) return false;
    if (m_tooltip && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
    const bool keyDown = message.message == WM_KEYDOWN;
    if ((keyDown || message.message == WM_CHAR) &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        // Neither push button is the default or the cancel button. In the task statement
        // Esc would even close the window: a multi-line text box inside the dialog manager
        // posts WM_CLOSE to its parent.
        return true;
    }
    if (!keyDown) return false;
    if (message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0) {
        CopyToClipboard(m_hwnd, ToUtf16(m_presenter->copiedRowText("\r\n")));
        return true;
    }
    int step = 0;
    switch (message.wParam) {
        case VK_LEFT:
        case VK_UP:
            step = -1;
            break;
        case VK_RIGHT:
        case VK_DOWN:
            step = 1;
            break;
        default:
            return false;
    }
    const Control* control = findControl(message.hwnd);
    if (!control) return false;
    if (control->row->kind == ControlKind::OptionButton) {
        moveSelection(step);
        return true;
    }
    // On a push button the dialog manager would walk the z-order and could click an
    // option button on its way: the arrows do nothing there.
    return control->row->kind == ControlKind::PushButton;
}

void PelmoraWindow::showFieldMenu(int field, LPARAM screenPoint) {
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (screenPoint == -1) {  // from the keyboard: at the field's centre
        RECT rect;
        GetWindowRect(edit, &rect);
        at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    const HMENU menu = CreateFieldMenu(edit, !IsWindowEnabled(edit));
    const auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyFieldCommand) {
        CopyToClipboard(m_hwnd, ToUtf16(m_presenter->copiedFieldText(field)));
    } else {
        RunEditCommand(edit, chosen);
    }
}

void PelmoraWindow::showFieldText(int field, std::string_view utf8Text) {
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    const std::wstring text = ToUtf16(utf8Text);
    if (WindowText(edit) == text) return;  // the caret stays where it is
    m_writingField = true;
    SetWindowTextW(edit, text.c_str());
    m_writingField = false;
    fitProgramText(field);
}

void PelmoraWindow::showFieldLocked(int field, bool locked) {
    const HWND edit = m_fields[static_cast<std::size_t>(field)];
    if (((GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0) == locked) return;
    SendMessageW(edit, EM_SETREADONLY, locked, 0);
}

void PelmoraWindow::showSelectedVariant(int variant) {
    for (std::size_t index = 0; index < m_options.size(); ++index) {
        const HWND option = m_options[index];
        const bool selected = static_cast<int>(index) == variant;
        SendMessageW(option, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
        // Of the group only the selected button is a tab stop.
        const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
        SetWindowLongPtrW(option, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

void PelmoraWindow::reportFailure(std::string_view utf8Text) {
    MessageBoxW(m_hwnd, ToUtf16(utf8Text).c_str(), ToUtf16(view::kWindowTitle).c_str(),
                MB_ICONWARNING | MB_OK);
}

void PelmoraWindow::announce(std::string_view utf8Text) {
    const HWND focus = GetFocus();
    const Control* control = findControl(focus);
    const bool named = control && control->row->kind != ControlKind::Label;
    Announce(m_hwnd, named ? focus : nullptr, ToUtf16(utf8Text));
}

int RunMessageLoop(PelmoraWindow& window) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.preTranslateMessage(message)) continue;
        if (window.hwnd() && IsDialogMessageW(window.hwnd(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace pelmora::win32
