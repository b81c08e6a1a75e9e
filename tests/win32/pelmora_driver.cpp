// Black-box test of pelmora.exe. Starts the program, finds its window and every control by
// class, caption or accessible name, and drives it as a user does, with real key presses
// and mouse clicks (SendInput). Prints one line per check, "PASS ..." or "FAIL ...", then
// a summary; exits with status 1 on any failure.
//
//   pelmora_driver PELMORA.exe [--dpi N] [--smoke] [--pose empty|example|failure --shot F.bmp]
// --dpi: the DPI the window must have; --smoke: only start, see the window, close;
// --pose: bring the window into that state and save a picture of it (for the README).
//
// Under Wine: another process's text box is read with WM_GETTEXT (GetWindowTextW does not
// ask the control), and screen pixels are read from the screen DC (PrintWindow gives black
// across processes).
#include <windows.h>

#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "view/control_table.h"
#include "win32/utf16.h"

namespace {

using namespace std::chrono_literals;
using pelmora::view::ControlKind;
using pelmora::view::ControlSpec;
using pelmora::win32::ToUtf16;
using pelmora::win32::ToUtf8;

// ---------------------------------------------------------------------------------------
// Reporting

std::string Number(long long value) {
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

std::string Colour(COLORREF colour) {
    return Number(GetRValue(colour)) + "," + Number(GetGValue(colour)) + "," +
           Number(GetBValue(colour));
}

class Report {
public:
    bool check(bool ok, std::string_view what, std::string_view detail = {}) {
        ++m_checks;
        std::string line = ok ? "PASS " : "FAIL ";
        line += what;
        if (!ok && !detail.empty()) line += std::string(" (") + std::string(detail) + ")";
        line += '\n';
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        if (!ok) ++m_failures;
        return ok;
    }
    void note(std::string_view text) {
        std::fputs((std::string("# ") + std::string(text) + "\n").c_str(), stdout);
        std::fflush(stdout);
    }
    int finish() {
        if (m_failures == 0) {
            std::fputs(("pelmora_driver: all " + Number(m_checks) + " checks passed\n").c_str(),
                       stdout);
        } else {
            std::fputs(("pelmora_driver: " + Number(m_failures) + " of " + Number(m_checks) +
                        " checks failed\n")
                           .c_str(),
                       stdout);
        }
        return m_failures == 0 ? 0 : 1;
    }

private:
    int m_checks = 0;
    int m_failures = 0;
};

// Polls `done` until it holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3000ms) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(15ms);
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// The program under test

// Starts the program and ends it, if it is still running, when the test ends.
class Program {
public:
    explicit Program(const std::wstring& path) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + path + L"\"";
        m_started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &m_process);
    }
    ~Program() {
        if (!m_started) return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 3);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_started; }
    DWORD processId() const { return m_process.dwProcessId; }
    HANDLE process() const { return m_process.hProcess; }

private:
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

std::wstring ClassOf(HWND hwnd) {
    std::array<wchar_t, 256> name{};
    const int length = GetClassNameW(hwnd, name.data(), static_cast<int>(name.size()));
    std::wstring result(name.data(), static_cast<std::size_t>(std::max(length, 0)));
    // Common controls 6 register versioned class names ("6.0.2600.2982!Button").
    if (const auto bang = result.rfind(L'!'); bang != std::wstring::npos) result.erase(0, bang + 1);
    std::transform(result.begin(), result.end(), result.begin(), [](wchar_t c) {
        return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    });
    return result;
}

// Another process's control text, asked of the control itself.
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        return L"<no answer>";
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

LONG_PTR StyleOf(HWND hwnd) {
    return GetWindowLongPtrW(hwnd, GWL_STYLE);
}

// What a screen reader hears as the name of a control, through MSAA.
std::wstring AccessibleNameOf(HWND hwnd) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))) ||
        !accessible) {
        return L"<no accessible object>";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result;
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name) {
        result.assign(name, SysStringLen(name));
        SysFreeString(name);
    }
    accessible->Release();
    return result;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

RECT ClientRectOnScreen(HWND hwnd) {
    RECT rect;
    GetClientRect(hwnd, &rect);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The top-level windows of a process that are shown, with their class.
std::vector<HWND> VisibleWindowsOf(DWORD processId, std::wstring_view className) {
    struct Search {
        DWORD processId;
        std::wstring_view className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.processId && IsWindowVisible(hwnd) && ClassOf(hwnd) == s.className) {
                s.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---------------------------------------------------------------------------------------
// Input, as the user gives it

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void PressKey(WORD vk, bool shift = false) {
    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(Key(VK_SHIFT, false));
    inputs.push_back(Key(vk, false));
    inputs.push_back(Key(vk, true));
    if (shift) inputs.push_back(Key(VK_SHIFT, true));
    Send(inputs);
}

// Presses `key` while `modifier` is held down.
void PressKeyWith(WORD modifier, WORD key) {
    Send({Key(modifier, false), Key(key, false), Key(key, true), Key(modifier, true)});
}

// Types `text` key by key, with the keys of the current keyboard layout.
void TypeText(std::wstring_view text) {
    for (const wchar_t c : text) {
        const SHORT key = VkKeyScanW(c);
        PressKey(static_cast<WORD>(key & 0xFF), (key & 0x100) != 0);
    }
}

// Moves the pointer to `point` on the screen, waits until it has arrived (Wine moves it
// asynchronously), and clicks the left button there.
bool ClickAt(POINT point) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN),
              height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(point.x - left, 65535, width - 1);
    move.mi.dy = MulDiv(point.y - top, 65535, height - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    Send({move});
    const bool arrived = WaitUntil([&] {
        POINT at;
        GetCursorPos(&at);
        return std::abs(at.x - point.x) <= 1 && std::abs(at.y - point.y) <= 1;
    });
    INPUT down{}, up{};
    down.type = up.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send({down});
    std::this_thread::sleep_for(30ms);
    Send({up});
    return arrived;
}

POINT CentreOf(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// ---------------------------------------------------------------------------------------
// Pixels, read from the screen

class ScreenShot {
public:
    explicit ScreenShot(RECT area) : m_area(area) {
        const int width = area.right - area.left, height = area.bottom - area.top;
        m_pixels.assign(static_cast<std::size_t>(width * height), 0);
        const HDC screen = GetDC(nullptr);
        const HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        std::copy_n(static_cast<const std::uint32_t*>(bits), m_pixels.size(), m_pixels.begin());
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    // The colour at (x, y) in screen coordinates.
    COLORREF at(int x, int y) const {
        const int width = m_area.right - m_area.left;
        const std::uint32_t pixel =
            m_pixels[static_cast<std::size_t>((y - m_area.top) * width + (x - m_area.left))];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // The darkest colour inside `rect` (screen coordinates), by the sum of its components.
    COLORREF darkest(RECT rect) const {
        COLORREF result = RGB(255, 255, 255);
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                const COLORREF c = at(x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) <
                    GetRValue(result) + GetGValue(result) + GetBValue(result)) {
                    result = c;
                }
            }
        }
        return result;
    }

    // Writes the pixels as a 32-bit top-down BMP file; false when it cannot.
    bool save(const std::wstring& path) const {
        const auto width = m_area.right - m_area.left, height = m_area.bottom - m_area.top;
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        info.biCompression = BI_RGB;
        const auto pixelBytes = static_cast<DWORD>(m_pixels.size() * sizeof(std::uint32_t));
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;  // "BM"
        header.bfOffBits = sizeof header + sizeof info;
        header.bfSize = header.bfOffBits + pixelBytes;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(file, &header, sizeof header, &written, nullptr) &&
                  WriteFile(file, &info, sizeof info, &written, nullptr) &&
                  WriteFile(file, m_pixels.data(), pixelBytes, &written, nullptr);
        ok = CloseHandle(file) && ok;
        return ok;
    }

private:
    RECT m_area;
    std::vector<std::uint32_t> m_pixels;
};

COLORREF ToColorRef(pelmora::view::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

int Brightness(COLORREF c) {
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
}

// ---------------------------------------------------------------------------------------
// The test

class Driver {
public:
    struct Options {
        std::optional<UINT> dpi;  // the DPI the window must have
        bool smoke = false;       // only start the program, see its window and close it
        std::wstring pose;        // "empty", "example" or "failure": pose the window...
        std::wstring shot;        // ...and save a picture of it to this BMP file
    };
    Driver(Report& report, const std::wstring& exe, Options options)
        : m_report(report), m_exe(exe), m_options(std::move(options)) {}

    void run() {
        Program program(m_exe);
        if (!m_report.check(program.started(), "pelmora.exe starts")) return;
        m_program = &program;
        WaitForInputIdle(program.process(), 10000);
        std::vector<HWND> windows;
        WaitUntil(
            [&] {
                return !(windows = VisibleWindowsOf(program.processId(), L"pelmorawindow")).empty();
            },
            10000ms);
        if (!m_report.check(windows.size() == 1, "window: one window is shown")) return;
        m_window = windows.front();
        if (m_options.smoke) {
            m_report.check(ToUtf8(TextOf(m_window)) == "Pelmora", "window: title \"Pelmora\"");
            checkClosing(program);
            return;
        }
        checkFrame();
        checkVersionResource();
        if (!findControls()) return;
        if (!m_options.pose.empty()) {
            poseAndSave();
            checkClosing(program);
            return;
        }
        // Each step leaves the window as the next expects it.
        using Step = void (Driver::*)();
        static constexpr Step kSteps[] = {
            &Driver::checkGeometry,
            &Driver::checkStartState,
            &Driver::checkColours,
            &Driver::checkTabChainAtStart,
            &Driver::checkTypingAndCalculate,
            &Driver::checkClear,
            &Driver::checkRefusedTyping,
            &Driver::checkEnterAndEscDoNothing,
            &Driver::checkChoosingAVariant,
            &Driver::checkTabChainAfterChoosing,
            &Driver::checkArrowKeys,
            &Driver::checkSpacePressesTheFocusedButton,
            &Driver::checkLongTextIsShownFromItsStart,
            &Driver::checkFailureBox,
        };
        for (const Step step : kSteps) {
            (this->*step)();
            if (!IsWindow(m_window)) {
                m_report.check(false, "the window stays open while the test runs");
                return;
            }
        }
        checkClosing(program);
    }

private:
    static constexpr std::string_view kStartChain =
        "Text1_0 Option1_0 Text2_0 Text2_1 Text2_4 Text2_6 Text2_9 Text2_11 Text2_13 Text2_14 "
        "Command1_0 Command1_1 Text2_16 Text2_19 Text2_22 Text2_23";
    static constexpr std::string_view kVariant4Chain =
        "Text1_0 Text2_0 Text2_1 Text2_4 Text2_6 Text2_9 Text2_11 Option1_3 Text2_13 Text2_14 "
        "Command1_0 Command1_1 Text2_16 Text2_19 Text2_22 Text2_23";

    HWND control(std::string_view array, int index) const {
        const auto found = m_controls.find(std::string(array) + "_" + Number(index));
        return found == m_controls.end() ? nullptr : found->second;
    }
    HWND field(int n) const { return control("Text2", n); }
    HWND option(int n) const { return control("Option1", n); }
    HWND button(int n) const { return control("Command1", n); }
    std::string nameOf(HWND hwnd) const {
        for (const auto& [name, handle] : m_controls) {
            if (handle == hwnd) return name;
        }
        return hwnd ? "another window" : "nothing";
    }
    // The DPI the window must be laid out for: the one the run set, else what Wine says of
    // the window. Wine does not always tell another process a window's own DPI (it has
    // answered 96 for a window laid out at 144), so a set DPI is not asked for.
    UINT dpi() const { return m_options.dpi ? *m_options.dpi : GetDpiForWindow(m_window); }

    std::string fieldTexts(int first, int last) const {
        std::string texts;
        for (int n = first; n <= last; ++n) {
            if (n > first) texts += " | ";
            texts += ToUtf8(TextOf(field(n)));
        }
        return texts;
    }
    bool gridIsEmpty() const {
        for (int n = 0; n < 24; ++n) {
            if (!TextOf(field(n)).empty()) return false;
        }
        return true;
    }
    void click(HWND hwnd) {
        if (!ClickAt(CentreOf(hwnd)))
            m_report.note("the pointer did not arrive at " + nameOf(hwnd));
    }
    bool waitForFocus(HWND hwnd) {
        return WaitUntil([&] { return FocusOf(m_window) == hwnd; });
    }
    // Clicks a field, waits for the focus, and types.
    void typeInto(HWND edit, std::wstring_view text) {
        click(edit);
        waitForFocus(edit);
        TypeText(text);
    }
    // Lets the program handle the input given so far, for checks that something did NOT
    // happen: a key still queued would otherwise look refused.
    void settle() {
        std::this_thread::sleep_for(300ms);
        Ask(m_window, WM_NULL);
    }
    void chooseVariant(int variant) {
        click(option(variant));
        WaitUntil([&] { return Ask(option(variant), BM_GETCHECK) == BST_CHECKED; });
    }
    void pressButton(int index) {
        click(button(index));
        settle();
    }

    void checkFrame() {
        m_report.check(ToUtf8(TextOf(m_window)) == "Pelmora", "window: title \"Pelmora\"",
                       ToUtf8(TextOf(m_window)));
        const LONG_PTR style = StyleOf(m_window);
        const LONG_PTR exStyle = GetWindowLongPtrW(m_window, GWL_EXSTYLE);
        m_report.check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
                           !(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)),
                       "window: fixed border, system menu, no minimise or maximise button");
        m_report.check(!GetWindow(m_window, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW) &&
                           (exStyle & WS_EX_APPWINDOW),
                       "window: has its own task-bar entry");
        // Under Wine neither GetClassLongPtrW nor WM_GETICON tells another process the
        // window's icon: the window test checks it in-process.
        HICON fileIcon = nullptr;
        ExtractIconExW(m_exe.c_str(), 0, &fileIcon, nullptr, 1);
        m_report.check(fileIcon != nullptr, "executable: carries the icon");
        if (fileIcon) DestroyIcon(fileIcon);
        RECT client;
        GetClientRect(m_window, &client);
        const int width =
            pelmora::view::TwipsToPixels(pelmora::view::kClientWidth, static_cast<int>(dpi()));
        const int height =
            pelmora::view::TwipsToPixels(pelmora::view::kClientHeight, static_cast<int>(dpi()));
        m_report.check(client.right == width && client.bottom == height,
                       "window: client area " + Number(width) + " x " + Number(height) + " at " +
                           Number(dpi()) + " dpi",
                       "it is " + Number(client.right) + " x " + Number(client.bottom));
        m_report.check(WaitUntil([&] { return GetForegroundWindow() == m_window; }),
                       "window: comes to the foreground by itself");
        const RECT onScreen = ClientRectOnScreen(m_window);
        m_report.check(onScreen.left >= 0 && onScreen.top >= 0 &&
                           onScreen.right <= GetSystemMetrics(SM_CXSCREEN) &&
                           onScreen.bottom <= GetSystemMetrics(SM_CYSCREEN),
                       "window: wholly on the screen");
    }

    void checkVersionResource() {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(m_exe.c_str(), &ignored);
        std::vector<char> data(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        wchar_t* version = nullptr;
        UINT versionSize = 0;
        const bool read =
            size && GetFileVersionInfoW(m_exe.c_str(), 0, size, data.data()) &&
            VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
            VerQueryValueW(data.data(), L"\\StringFileInfo\\040204B0\\FileVersion",
                           reinterpret_cast<void**>(&version), &versionSize);
        m_report.check(read && fixed->dwFileVersionMS == MAKELONG(0, 1) &&
                           std::wstring_view(version) == L"1.00",
                       "executable: version 1.00 in its version resource");
    }

    // Finds each control of the table among the window's children: labels, option buttons
    // and push buttons by class and caption, text boxes by the name a screen reader hears.
    bool findControls() {
        // Each shown child once: its class, and its caption or, for a text box, its name.
        struct Child {
            HWND hwnd;
            std::wstring className;
            std::wstring text;
        };
        std::vector<Child> children;
        for (HWND child = GetWindow(m_window, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            const std::wstring className = ClassOf(child);
            children.push_back(
                {child, className, className == L"edit" ? AccessibleNameOf(child) : TextOf(child)});
        }
        bool all = true;
        for (const ControlSpec& row : pelmora::view::ControlTable()) {
            const std::string name = pelmora::view::ControlName(row);
            std::wstring className = L"button";
            std::wstring wanted = ToUtf16(row.caption);
            std::string how = "caption \"" + std::string(row.caption) + "\"";
            if (row.kind == ControlKind::Label) className = L"static";
            if (row.kind == ControlKind::ValueField || row.kind == ControlKind::TaskStatement) {
                className = L"edit";
                const std::string accessible = row.kind == ControlKind::ValueField
                                                   ? pelmora::view::AccessibleName(row.index)
                                                   : std::string(pelmora::view::kTaskStatementName);
                wanted = ToUtf16(accessible);
                how = "accessible name \"" + accessible + "\"";
            }
            HWND found = nullptr;
            int matches = 0;
            for (const Child& child : children) {
                if (child.className == className && child.text == wanted) {
                    found = child.hwnd;
                    ++matches;
                }
            }
            all &= m_report.check(matches == 1, name + ": found by " + how,
                                  "matches: " + Number(matches));
            if (found) m_controls[name] = found;
        }
        for (int n = 0; n < 6; ++n) {
            m_report.check(ToUtf8(AccessibleNameOf(option(n))) == "Вариант " + Number(n + 1),
                           "Option1_" + Number(n) + ": a screen reader hears its caption");
        }
        return all;
    }

    void checkGeometry() {
        int wrong = 0;
        std::string first;
        for (const ControlSpec& row : pelmora::view::ControlTable()) {
            const HWND hwnd = control(row.array, row.index);
            RECT rect;
            GetWindowRect(hwnd, &rect);
            MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
            const pelmora::view::PixelRect expected =
                pelmora::view::ControlRect(row, static_cast<int>(dpi()));
            const bool ok = rect.left == expected.x && rect.top == expected.y &&
                            rect.right - rect.left == expected.width &&
                            rect.bottom - rect.top == expected.height;
            if (!ok && first.empty()) {
                first = pelmora::view::ControlName(row) + " is at " + Number(rect.left) + "," +
                        Number(rect.top) + " " + Number(rect.right - rect.left) + "x" +
                        Number(rect.bottom - rect.top) + ", wants " + Number(expected.x) + "," +
                        Number(expected.y) + " " + Number(expected.width) + "x" +
                        Number(expected.height);
            }
            wrong += ok ? 0 : 1;
        }
        m_report.check(wrong == 0,
                       "geometry: every control at its twips for " + Number(dpi()) + " dpi", first);
    }

    void checkStartState() {
        bool selection = true;
        for (int n = 0; n < 6; ++n) {
            selection &= (Ask(option(n), BM_GETCHECK) == BST_CHECKED) == (n == 0);
        }
        m_report.check(selection, "start: «Вариант 1» is selected, no other option");
        m_report.check(gridIsEmpty(), "start: every field is empty");
        std::string wrongState;
        for (int n = 0; n < 24; ++n) {
            const bool computed =
                std::string_view("001101011010100101101100")[static_cast<std::size_t>(n)] == '1';
            const bool locked = (StyleOf(field(n)) & ES_READONLY) != 0;
            const bool enabled = IsWindowEnabled(field(n)) != FALSE;
            if (enabled == computed || (!computed && locked != (n >= 4))) {
                wrongState += " Text2_" + Number(n);
            }
        }
        m_report.check(wrongState.empty(),
                       "start: computed fields disabled, fields 4 to 23 locked, 0 and 1 open",
                       wrongState);
        const HWND statement = control("Text1", 0);
        m_report.check(ToUtf16(pelmora::view::kTaskStatement) == TextOf(statement) &&
                           TextOf(statement).size() == 1023,
                       "task statement: its 1023 characters, lines ended by CR LF");
        m_report.check((StyleOf(statement) & (ES_MULTILINE | ES_READONLY | WS_VSCROLL)) ==
                           (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                       "task statement: multi-line, read-only, with a vertical scroll bar");
        m_report.check(waitForFocus(statement), "start: the focus is in the task statement",
                       "it is on " + nameOf(FocusOf(m_window)));
        const LRESULT caret = Ask(statement, EM_GETSEL);
        m_report.check(
            LOWORD(caret) == 0 && HIWORD(caret) == 0 && Ask(statement, EM_GETFIRSTVISIBLELINE) == 0,
            "start: task statement scrolled to its start, caret at 0");
        m_report.check(
            Ask(field(0), EM_GETLIMITTEXT) > 0x7FFF && Ask(field(23), EM_GETLIMITTEXT) > 0x7FFF,
            "fields take more than 32,767 characters",
            "limit " + Number(Ask(field(0), EM_GETLIMITTEXT)));
    }

    void checkColours() {
        const RECT client = ClientRectOnScreen(m_window);
        const ScreenShot shot(client);
        auto inside = [](HWND hwnd, int dx, int dy) {
            RECT rect;
            GetWindowRect(hwnd, &rect);
            return POINT{dx >= 0 ? rect.left + dx : rect.right + dx,
                         dy >= 0 ? rect.top + dy : rect.bottom + dy};
        };
        auto expectColour = [&](std::string what, POINT at, pelmora::view::Rgb wanted) {
            const COLORREF got = shot.at(at.x, at.y);
            m_report.check(got == ToColorRef(wanted),
                           "colour: " + what + " is " + Colour(ToColorRef(wanted)),
                           "read " + Colour(got));
        };
        expectColour("window background", {client.left + 3, client.top + 3}, {192, 192, 255});
        expectColour("caption Label1_0", inside(control("Label1", 0), 3, -3), {255, 192, 128});
        expectColour("column caption Label1_3", inside(control("Label1", 3), 3, -3),
                     {255, 192, 128});
        expectColour("option Option1_2", inside(option(2), -4, 3), {192, 255, 192});
        expectColour("push button Command1_0", inside(button(0), 6, 6), {128, 255, 128});
        expectColour("push button Command1_1", inside(button(1), 6, 6), {255, 0, 0});
        // Fields overlap their neighbours by a few pixels: look half-way down, near the left.
        auto fieldPoint = [](HWND hwnd) {
            RECT rect;
            GetWindowRect(hwnd, &rect);
            return POINT{rect.left + 5, (rect.top + rect.bottom) / 2};
        };
        expectColour("known field Text2_0", fieldPoint(field(0)), {255, 255, 255});
        expectColour("locked field Text2_4", fieldPoint(field(4)), {255, 255, 255});
        expectColour("computed field Text2_2", fieldPoint(field(2)), {255, 192, 192});
        expectColour("computed field Text2_21", fieldPoint(field(21)), {255, 192, 192});
        expectColour("task statement Text1_0", inside(control("Text1", 0), 2, -4), {255, 255, 255});
        RECT caption;
        GetWindowRect(control("Label1", 0), &caption);
        m_report.check(Brightness(shot.darkest(caption)) < 64, "colour: caption text is dark",
                       "darkest " + Colour(shot.darkest(caption)));
        RECT optionRect;
        GetWindowRect(option(0), &optionRect);
        m_report.check(Brightness(shot.darkest(optionRect)) < 64,
                       "colour: option caption text is dark",
                       "darkest " + Colour(shot.darkest(optionRect)));
    }

    void checkTabChainAtStart() { checkTabChain("tab chain at start", kStartChain); }
    void checkTabChainAfterChoosing() {
        checkTabChain("tab chain after choosing «Вариант 4»", kVariant4Chain);
    }

    void checkTabChain(const std::string& what, std::string_view expected) {
        const HWND start = control("Text1", 0);
        click(start);
        waitForFocus(start);
        std::string chain = nameOf(FocusOf(m_window));
        for (int step = 1; step < 40; ++step) {
            const HWND before = FocusOf(m_window);
            PressKey(VK_TAB);
            WaitUntil([&] { return FocusOf(m_window) != before; }, 1000ms);
            const HWND now = FocusOf(m_window);
            if (now == start || now == before) break;
            chain += ' ';  // appended in two steps: GCC 12 warns wrongly on " " + string
            chain += nameOf(now);
        }
        m_report.check(chain == expected, what + ": " + std::string(expected), "got " + chain);
        // Shift+Tab from the first stop wraps to the last.
        PressKey(VK_TAB, true);
        WaitUntil([&] { return FocusOf(m_window) != start; }, 1000ms);
        m_report.check(FocusOf(m_window) == field(23),
                       what + ": Shift+Tab from the task statement goes to Text2_23",
                       "went to " + nameOf(FocusOf(m_window)));
    }

    void checkTypingAndCalculate() {
        typeInto(field(0), L"3");
        typeInto(field(1), L"5");
        m_report.check(
            WaitUntil([&] { return TextOf(field(1)) == L"5"; }) && TextOf(field(0)) == L"3",
            "typing: 3 into Text2_0 and 5 into Text2_1", fieldTexts(0, 1));
        pressButton(0);
        WaitUntil([&] { return !TextOf(field(2)).empty(); });
        m_report.check(fieldTexts(0, 3) == "3.000 | 5.000 | 47.124 | 75.398",
                       "click «Изчисли»: R = 3, L = 5 gives 3.000 | 5.000 | 47.124 | 75.398",
                       fieldTexts(0, 3));
        // Computed fields show their text in the system's grey; typed fields in black.
        const ScreenShot shot(ClientRectOnScreen(m_window));
        auto innerRect = [](HWND hwnd) {
            RECT rect;
            GetWindowRect(hwnd, &rect);
            InflateRect(&rect, -3, -3);
            return rect;
        };
        const COLORREF computedText = shot.darkest(innerRect(field(2)));
        const COLORREF knownText = shot.darkest(innerRect(field(0)));
        // Anti-aliased on pink, grey text is never darker than the grey itself.
        const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
        m_report.check(
            std::abs(Brightness(computedText) - Brightness(grey)) <= 16,
            "colour: a computed field's text is the system's disabled grey " + Colour(grey),
            "darkest " + Colour(computedText));
        m_report.check(Brightness(knownText) < 64, "colour: a typed field's text is dark",
                       "darkest " + Colour(knownText));
        m_report.check(shot.at(innerRect(field(3)).right - 2, innerRect(field(3)).bottom - 2) ==
                           RGB(255, 192, 192),
                       "colour: a computed field keeps its pink while showing a result");
    }

    void checkClear() {
        pressButton(1);
        m_report.check(WaitUntil([&] { return gridIsEmpty(); }),
                       "click «Изчисти»: every field is empty", fieldTexts(0, 3));
        m_report.check(
            (StyleOf(field(0)) & ES_READONLY) == 0 && (StyleOf(field(1)) & ES_READONLY) == 0,
            "click «Изчисти»: row 1 stays open for typing");
    }

    void checkRefusedTyping() {
        typeInto(field(4), L"9");
        settle();
        m_report.check(
            FocusOf(m_window) == field(4) && TextOf(field(4)).empty(),
            "typing into locked Text2_4: it takes the focus, not the text",
            "focus " + nameOf(FocusOf(m_window)) + ", text \"" + ToUtf8(TextOf(field(4))) + "\"");
        click(field(2));
        TypeText(L"9");
        settle();
        m_report.check(
            FocusOf(m_window) != field(2) && TextOf(field(2)).empty(),
            "typing into computed Text2_2: no focus, no text",
            "focus " + nameOf(FocusOf(m_window)) + ", text \"" + ToUtf8(TextOf(field(2))) + "\"");
        const HWND statement = control("Text1", 0);
        typeInto(statement, L"x");
        PressKey(VK_DELETE);
        PressKey(VK_BACK);
        settle();
        m_report.check(TextOf(statement) == ToUtf16(pelmora::view::kTaskStatement),
                       "typing into the task statement changes nothing");
        // It scrolls: Ctrl+End brings its last character into view. And it can be selected.
        PressKeyWith(VK_CONTROL, VK_END);
        settle();
        const auto length = static_cast<WPARAM>(TextOf(statement).size());
        const LRESULT last = Ask(statement, EM_POSFROMCHAR, length - 1);
        RECT client;
        GetClientRect(statement, &client);
        const auto lastY = static_cast<short>(HIWORD(last));
        m_report.check(Ask(statement, EM_GETFIRSTVISIBLELINE) > 0 && last != -1 && lastY >= 0 &&
                           lastY < client.bottom,
                       "the task statement scrolls to its last line",
                       "last character at y " + Number(lastY));
        PressKeyWith(VK_SHIFT, VK_UP);  // the text ends with CR LF: from the empty last line
        settle();
        const LRESULT selection = Ask(statement, EM_GETSEL);
        m_report.check(LOWORD(selection) < HIWORD(selection), "the task statement can be selected");
        PressKeyWith(VK_CONTROL, VK_HOME);
    }

    void checkEnterAndEscDoNothing() {
        typeInto(field(0), L"3");
        PressKey(VK_RETURN);
        PressKey(VK_ESCAPE);
        settle();
        m_report.check(TextOf(field(0)) == L"3" && TextOf(field(2)).empty() &&
                           VisibleWindowsOf(m_program->processId(), L"#32770").empty(),
                       "Enter and Esc in a field do nothing");
        const HWND statement = control("Text1", 0);
        click(statement);
        waitForFocus(statement);
        PressKey(VK_ESCAPE);
        PressKey(VK_RETURN);
        settle();
        m_report.check(IsWindow(m_window) && IsWindowVisible(m_window) && TextOf(field(0)) == L"3",
                       "Esc in the task statement does not close the window");
    }

    void checkChoosingAVariant() {
        chooseVariant(3);
        bool selection = true;
        for (int n = 0; n < 6; ++n) {
            selection &= (Ask(option(n), BM_GETCHECK) == BST_CHECKED) == (n == 3);
        }
        m_report.check(selection && FocusOf(m_window) == option(3),
                       "click «Вариант 4»: it is selected and has the focus");
        m_report.check(WaitUntil([&] { return gridIsEmpty(); }),
                       "click «Вариант 4»: the grid is emptied");
        std::string open;
        for (int n = 0; n < 24; ++n) {
            if (IsWindowEnabled(field(n)) && !(StyleOf(field(n)) & ES_READONLY))
                open += " " + Number(n);
        }
        m_report.check(open == " 13 14", "click «Вариант 4»: only fields 13 and 14 take typing",
                       "open:" + open);
        typeInto(field(13), L"5");
        typeInto(field(14), L"20");
        pressButton(0);
        WaitUntil([&] { return !TextOf(field(12)).empty(); });
        m_report.check(fieldTexts(12, 15) == "1.273 | 5.000 | 20.000 | 25.093",
                       "«Вариант 4»: L = 5, So = 20 gives 1.273 | 5.000 | 20.000 | 25.093",
                       fieldTexts(12, 15));
    }

    void checkArrowKeys() {
        click(option(3));
        waitForFocus(option(3));
        PressKey(VK_DOWN);
        m_report.check(WaitUntil([&] { return Ask(option(4), BM_GETCHECK) == BST_CHECKED; }) &&
                           FocusOf(m_window) == option(4) &&
                           Ask(option(3), BM_GETCHECK) == BST_UNCHECKED && gridIsEmpty(),
                       "Down on «Вариант 4» selects «Вариант 5» and empties the grid");
        PressKey(VK_DOWN);
        PressKey(VK_RIGHT);
        m_report.check(WaitUntil([&] { return Ask(option(0), BM_GETCHECK) == BST_CHECKED; }) &&
                           FocusOf(m_window) == option(0),
                       "Down and Right from «Вариант 5» wrap round to «Вариант 1»");
        PressKey(VK_UP);
        m_report.check(WaitUntil([&] { return Ask(option(5), BM_GETCHECK) == BST_CHECKED; }) &&
                           FocusOf(m_window) == option(5),
                       "Up from «Вариант 1» wraps round to «Вариант 6»");
        chooseVariant(0);
    }

    void checkSpacePressesTheFocusedButton() {
        typeInto(field(0), L"3");
        typeInto(field(1), L"5");
        // Tab from Text2_1 to «Изчисли», then Space.
        for (int step = 0; step < 12 && FocusOf(m_window) != button(0); ++step) {
            const HWND before = FocusOf(m_window);
            PressKey(VK_TAB);
            WaitUntil([&] { return FocusOf(m_window) != before; }, 1000ms);
        }
        PressKey(VK_SPACE);
        m_report.check(WaitUntil([&] { return TextOf(field(3)) == L"75.398"; }),
                       "Space on the focused «Изчисли» calculates", fieldTexts(0, 3));
        PressKey(VK_ESCAPE);  // nothing: neither button is the cancel button
        PressKey(VK_LEFT);    // nothing: arrows stay within the option buttons
        settle();
        m_report.check(FocusOf(m_window) == button(0) && TextOf(field(3)) == L"75.398",
                       "Esc and Left on «Изчисли» do nothing");
        PressKey(VK_TAB);
        waitForFocus(button(1));
        PressKey(VK_SPACE);
        m_report.check(WaitUntil([&] { return gridIsEmpty(); }),
                       "Space on the focused «Изчисти» clears");
    }

    void checkLongTextIsShownFromItsStart() {
        typeInto(field(0), L"1e20");
        typeInto(field(1), L"1e20");
        pressButton(0);
        WaitUntil([&] { return !TextOf(field(2)).empty(); });
        const std::string result = ToUtf8(TextOf(field(0)));
        m_report.check(result == "100,000,000,000,000,000,000.000",
                       "R = L = 1e20: Text2_0 shows 100,000,000,000,000,000,000.000", result);
        bool fromStart = true;
        for (const int n : {0, 1, 2, 3}) {
            const LRESULT position = Ask(field(n), EM_POSFROMCHAR, 0);
            const auto x = static_cast<short>(LOWORD(position));
            fromStart &= position != -1 && x >= 0 && x <= 8;
        }
        m_report.check(fromStart,
                       "a result wider than its field is shown from its first character");
        pressButton(1);
    }

    void checkFailureBox() {
        chooseVariant(1);
        pressButton(0);
        std::vector<HWND> boxes;
        WaitUntil(
            [&] { return !(boxes = VisibleWindowsOf(m_program->processId(), L"#32770")).empty(); });
        if (!m_report.check(boxes.size() == 1,
                            "«Вариант 2» with empty fields: a message box appears"))
            return;
        const HWND box = boxes.front();
        std::wstring message;
        bool icon = false;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) != L"static") continue;
            if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON) icon = true;
            const std::wstring text = TextOf(child);
            if (!text.empty() && (StyleOf(child) & SS_TYPEMASK) != SS_ICON) message = text;
        }
        m_report.check(TextOf(box) == L"Pelmora" && GetWindow(box, GW_OWNER) == m_window,
                       "failure box: titled \"Pelmora\", owned by the window", ToUtf8(TextOf(box)));
        m_report.check(ToUtf8(message) == "R не може да бъде 0. Въведете радиус, различен от нула.",
                       "failure box: says \"R не може да бъде 0. Въведете радиус, различен от нула.\"",
                       ToUtf8(message));
        m_report.check(icon, "failure box: shows an icon");
        m_report.check(gridIsEmpty() && Ask(option(1), BM_GETCHECK) == BST_CHECKED,
                       "failure box: no field changed, «Вариант 2» still selected");
        PressKey(VK_RETURN);
        m_report.check(WaitUntil([&] { return !IsWindow(box); }), "failure box: Enter closes it");
        m_report.check(WaitUntil([&] { return GetForegroundWindow() == m_window; }) &&
                           IsWindowEnabled(m_window),
                       "failure box: the window is usable again");
    }

    // Brings the window into one of the states the README shows and saves its picture:
    // empty, after the worked example R = 3, L = 5, or with the failure box over it.
    void poseAndSave() {
        RECT area;
        GetWindowRect(m_window, &area);
        HWND box = nullptr;
        if (m_options.pose == L"example") {
            typeInto(field(0), L"3");
            typeInto(field(1), L"5");
            pressButton(0);
            m_report.check(WaitUntil([&] { return TextOf(field(3)) == L"75.398"; }),
                           "pose: the worked example is calculated");
        } else if (m_options.pose == L"failure") {
            chooseVariant(1);
            click(button(0));
            std::vector<HWND> boxes;
            WaitUntil([&] {
                return !(boxes = VisibleWindowsOf(m_program->processId(), L"#32770")).empty();
            });
            if (!m_report.check(!boxes.empty(), "pose: the failure box is shown")) return;
            box = boxes.front();
            RECT boxRect;
            GetWindowRect(box, &boxRect);
            UnionRect(&area, &area, &boxRect);
        } else {
            click(control("Text1", 0));
        }
        settle();
        std::this_thread::sleep_for(500ms);  // every control repainted
        m_report.check(ScreenShot(area).save(m_options.shot), "pose: picture saved");
        if (box) {
            PressKey(VK_RETURN);
            WaitUntil([&] { return !IsWindow(box); });
        }
    }

    void checkClosing(Program& program) {
        PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
        const bool ended = WaitForSingleObject(program.process(), 5000) == WAIT_OBJECT_0;
        DWORD code = 1;
        GetExitCodeProcess(program.process(), &code);
        m_report.check(ended && code == 0, "closing the window ends the program with status 0",
                       "exit status " + Number(code));
    }

    Report& m_report;
    std::wstring m_exe;
    Options m_options;
    Program* m_program = nullptr;
    HWND m_window = nullptr;
    std::map<std::string, HWND> m_controls;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 lines, LF only
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 2) {
        std::fputs(
            "usage: pelmora_driver PELMORA.exe [--dpi N] [--smoke] [--pose P --shot F.bmp]\n",
            stderr);
        return 2;
    }
    Driver::Options options;
    for (int at = 2; at < argc; ++at) {
        const std::wstring_view option = argv[at];
        const bool hasValue = at + 1 < argc;
        if (option == L"--smoke") options.smoke = true;
        if (option == L"--pose" && hasValue) options.pose = argv[++at];
        if (option == L"--shot" && hasValue) options.shot = argv[++at];
        if (option == L"--dpi" && hasValue) {
            const std::string text = ToUtf8(argv[++at]);
            UINT value = 0;
            if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc{}) {
                options.dpi = value;
            }
        }
    }
    std::array<wchar_t, MAX_PATH> full{};
    GetFullPathNameW(argv[1], static_cast<DWORD>(full.size()), full.data(), nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Report report;
    Driver(report, full.data(), options).run();
    CoUninitialize();
    return report.finish();
}
