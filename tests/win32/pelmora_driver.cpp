// Black-box test of pelmora.exe, in GoogleTest. Each test starts the program, finds its
// window and every control by class, caption or accessible name, and drives it as a user
// does, with real key presses and mouse clicks (SendInput): every window scenario
// (tests/scenarios/window.scenarios), then what only a real Windows process shows: the frame,
// the layout at the window's DPI, the colours on the screen, the task statement's edit, the
// failure box and the exit status.
//
//   pelmora_driver PELMORA.exe [--dpi N] [GoogleTest options]
//   pelmora_driver PELMORA.exe --smoke                  start, see the window, close
//   pelmora_driver PELMORA.exe --pose NAME --shot F.bmp  (a pose of kPoses)
// --dpi: the DPI the window must have; --pose: bring the window into that state and save a
// picture of it (for the README).
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

#include <gtest/gtest.h>

#include "tests/scenarios/scenario_runner.h"
#include "view/control_table.h"
#include "win32/utf16.h"

namespace {

using namespace std::chrono_literals;
using pelmora::view::ControlKind;
using pelmora::view::ControlSpec;
using pelmora::win32::ToUtf16;
using pelmora::win32::ToUtf8;

std::string Number(long long value) {
    std::array<char, 24> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

std::string Colour(COLORREF colour) {
    return Number(GetRValue(colour)) + "," + Number(GetGValue(colour)) + "," +
           Number(GetBValue(colour));
}

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
    // Never released: under Wine the last release reaches the program (IRemUnknown::RemRelease),
    // whose thread takes the object's stub down and now and then waits for ever for the calls
    // on it to end (RpcServerUnregisterIf) while the release waits for that thread. Released
    // after the program has ended, each would wait for it instead (half a second for a test's
    // 25). They go with the driver's process.
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
// asynchronously), and clicks the left (or right) button there.
bool ClickAt(POINT point, bool right = false) {
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
    down.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
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

int Brightness(COLORREF c) {
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
}

// ---------------------------------------------------------------------------------------
// The program under test, its window and its controls

struct Options {
    std::wstring exe;
    std::optional<UINT> dpi;  // the DPI the window must have
};
Options g_options;

// pelmora.exe started, its window shown and each control of the table found; the program is
// ended, if it still runs, with this object.
class RunningPelmora {
public:
    RunningPelmora() : m_program(g_options.exe) {
        if (!m_program.started()) return;
        WaitForInputIdle(m_program.process(), 10000);
        std::vector<HWND> windows;
        WaitUntil(
            [&] {
                return !(windows = VisibleWindowsOf(m_program.processId(), L"pelmorawindow"))
                            .empty();
            },
            10000ms);
        if (windows.size() == 1) m_window = windows.front();
    }

    // Empty when every control was found once, else what was not.
    std::string findControls() {
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
        std::string missing;
        for (const ControlSpec& row : pelmora::view::ControlTable()) {
            std::wstring className = row.kind == ControlKind::Label ? L"static" : L"button";
            std::wstring wanted = ToUtf16(row.caption);
            if (row.kind == ControlKind::ValueField || row.kind == ControlKind::TaskStatement) {
                className = L"edit";
                wanted = ToUtf16(row.kind == ControlKind::ValueField
                                     ? pelmora::view::AccessibleName(row.index)
                                     : std::string(pelmora::view::kTaskStatementName));
            }
            int matches = 0;
            for (const Child& child : children) {
                if (child.className == className && child.text == wanted) {
                    m_controls[pelmora::view::ControlName(row)] = child.hwnd;
                    ++matches;
                }
            }
            if (matches != 1)
                missing += " " + pelmora::view::ControlName(row) + " (" + Number(matches) + ")";
        }
        return missing;
    }

    HWND window() const { return m_window; }
    const Program& program() const { return m_program; }
    HWND control(const std::string& name) const {
        const auto found = m_controls.find(name);
        return found == m_controls.end() ? nullptr : found->second;
    }
    HWND field(int n) const { return control("Text2_" + Number(n)); }
    HWND option(int n) const { return control("Option1_" + Number(n)); }
    HWND button(int n) const { return control("Command1_" + Number(n)); }
    HWND statement() const { return control("Text1_0"); }
    std::string nameOf(HWND hwnd) const {
        for (const auto& [name, handle] : m_controls) {
            if (handle == hwnd) return name;
        }
        return hwnd ? "another window" : "nothing";
    }
    HWND focus() const { return FocusOf(m_window); }
    // The DPI the window must be laid out for: the one the run set, else what Wine says of
    // the window. Wine does not always tell another process a window's own DPI (it has
    // answered 96 for a window laid out at 144), so a set DPI is not asked for.
    int dpi() const {
        return static_cast<int>(g_options.dpi ? *g_options.dpi : GetDpiForWindow(m_window));
    }

    // Lets the program handle the input given so far, for checks that something did NOT
    // happen: a key still queued would otherwise look refused.
    void settle(std::chrono::milliseconds time = 150ms) const {
        std::this_thread::sleep_for(time);
        Ask(m_window, WM_NULL);
    }
    void click(HWND hwnd) const {
        ClickAt(CentreOf(hwnd));
        if (IsWindowEnabled(hwnd)) WaitUntil([&] { return focus() == hwnd; }, 1000ms);
        settle(50ms);
    }
    std::vector<HWND> boxes() const { return VisibleWindowsOf(m_program.processId(), L"#32770"); }

private:
    Program m_program;
    HWND m_window = nullptr;
    std::map<std::string, HWND> m_controls;
};

class Pelmora : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pelmora.program().started()) << "pelmora.exe does not start";
        ASSERT_NE(pelmora.window(), nullptr) << "no one window of class PelmoraWindow is shown";
        ASSERT_EQ(pelmora.findControls(), "") << "controls not found once";
    }
    RunningPelmora pelmora;
};

// The scenario runner's adapter: SendInput for the user's actions, messages to the controls
// for what they show, the message box for a failure.
class Win32ScenarioWindow : public pelmora::scenarios::Window {
public:
    explicit Win32ScenarioWindow(const RunningPelmora& pelmora) : m_pelmora(pelmora) {}

    void click(const std::string& control) override { m_pelmora.click(m_pelmora.control(control)); }
    void typeKeys(std::string_view text) override {
        TypeText(ToUtf16(text));
        m_pelmora.settle(50ms);
    }
    void press(pelmora::scenarios::Key key) override {
        static constexpr WORD kKeys[] = {VK_TAB, VK_TAB,  VK_SPACE, VK_RETURN, VK_ESCAPE,
                                         VK_UP,  VK_DOWN, VK_LEFT,  VK_RIGHT,  VK_HOME,
                                         VK_END, VK_BACK, VK_DELETE};
        PressKey(kKeys[static_cast<int>(key)], key == pelmora::scenarios::Key::ShiftTab);
        m_pelmora.settle(50ms);
    }

    std::string fieldText(int field) override { return ToUtf8(TextOf(m_pelmora.field(field))); }
    bool fieldEnabled(int field) override { return IsWindowEnabled(m_pelmora.field(field)); }
    bool fieldLocked(int field) override {
        return (StyleOf(m_pelmora.field(field)) & ES_READONLY) != 0;
    }
    bool optionSelected(int option) override {
        return Ask(m_pelmora.option(option), BM_GETCHECK) == BST_CHECKED;
    }
    std::string focusName() override { return m_pelmora.nameOf(m_pelmora.focus()); }
    bool statementIntact() override {
        return TextOf(m_pelmora.statement()) == ToUtf16(pelmora::view::kTaskStatement);
    }
    // Reads each box, checks what makes it the program's failure box, and closes it with
    // Enter; the window must then be usable again.
    std::vector<std::string> takeFailures(bool expected) override {
        std::vector<HWND> boxes;
        if (expected) WaitUntil([&] { return !(boxes = m_pelmora.boxes()).empty(); });
        boxes = m_pelmora.boxes();
        std::vector<std::string> failures;
        for (const HWND box : boxes) {
            std::string message;
            bool icon = false;
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                if (ClassOf(child) != L"static") continue;
                const bool isIcon = (StyleOf(child) & SS_TYPEMASK) == SS_ICON;
                icon |= isIcon;
                if (!isIcon && !TextOf(child).empty()) message = ToUtf8(TextOf(child));
            }
            failures.push_back(message);
            EXPECT_EQ(ToUtf8(TextOf(box)), "Pelmora") << "the box's title";
            EXPECT_EQ(GetWindow(box, GW_OWNER), m_pelmora.window()) << "the box's owner";
            EXPECT_TRUE(icon) << "the box shows an icon";
            PressKey(VK_RETURN);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); })) << "Enter closes the box";
        }
        if (!boxes.empty()) {
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == m_pelmora.window(); }) &&
                        IsWindowEnabled(m_pelmora.window()))
                << "the window is usable again";
        }
        return failures;
    }
    // Waits for the wanted state. Where it held at once, lets the program settle and looks
    // again: what the program does late (a key still queued) must not change it.
    std::string await(const std::string& wanted,
                      const std::function<std::string()>& describe) override {
        if (describe() != wanted) {
            WaitUntil([&] { return describe() == wanted; });
            return describe();
        }
        m_pelmora.settle();
        return describe();
    }

private:
    const RunningPelmora& m_pelmora;
};

class Scenario : public Pelmora,
                 public ::testing::WithParamInterface<pelmora::scenarios::Scenario> {};

TEST_P(Scenario, Runs) {
    Win32ScenarioWindow adapter(pelmora);
    pelmora::scenarios::RunScenario(GetParam(), adapter);
    EXPECT_TRUE(IsWindow(pelmora.window())) << "the window stays open";
}

INSTANTIATE_TEST_SUITE_P(Table, Scenario,
                         ::testing::ValuesIn(pelmora::scenarios::LoadScenarios(PELMORA_SCENARIOS)),
                         [](const auto& row) { return row.param.name; });

void RunNamedScenario(const RunningPelmora& pelmora, std::string_view name) {
    Win32ScenarioWindow adapter(pelmora);
    pelmora::scenarios::RunScenario(pelmora::scenarios::FindScenario(PELMORA_SCENARIOS, name),
                                    adapter);
}

// ---------------------------------------------------------------------------------------
// What only a real Windows process shows

TEST_F(Pelmora, FrameIsFixedWithItsOwnTaskBarEntryAndItsClientAreaAtTheDpi) {
    const HWND window = pelmora.window();
    EXPECT_EQ(ToUtf8(TextOf(window)), "Pelmora");
    const LONG_PTR style = StyleOf(window);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
                !(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
        << "fixed border, system menu, no minimise or maximise button";
    EXPECT_TRUE(!GetWindow(window, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW) &&
                (exStyle & WS_EX_APPWINDOW))
        << "its own task-bar entry";
    RECT client;
    GetClientRect(window, &client);
    const pelmora::view::PixelRect wanted = pelmora::view::ClientRect(pelmora.dpi());
    EXPECT_EQ(pelmora::view::PixelRect({0, 0, client.right, client.bottom}), wanted)
        << "client area at " << pelmora.dpi() << " dpi";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }))
        << "comes to the foreground by itself";
    const RECT onScreen = ClientRectOnScreen(window);
    EXPECT_TRUE(onScreen.left >= 0 && onScreen.top >= 0 &&
                onScreen.right <= GetSystemMetrics(SM_CXSCREEN) &&
                onScreen.bottom <= GetSystemMetrics(SM_CYSCREEN))
        << "wholly on the screen";
}

// Under Wine neither GetClassLongPtrW nor WM_GETICON tells another process the window's
// icon: the window test checks it in-process; here, the file's.
TEST_F(Pelmora, ExecutableCarriesItsIconAndVersion) {
    HICON fileIcon = nullptr;
    ExtractIconExW(g_options.exe.c_str(), 0, &fileIcon, nullptr, 1);
    EXPECT_NE(fileIcon, nullptr);
    if (fileIcon) DestroyIcon(fileIcon);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(g_options.exe.c_str(), &ignored);
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    wchar_t* version = nullptr;
    UINT versionSize = 0;
    ASSERT_TRUE(size && GetFileVersionInfoW(g_options.exe.c_str(), 0, size, data.data()) &&
                VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
                VerQueryValueW(data.data(), L"\\StringFileInfo\\040204B0\\FileVersion",
                               reinterpret_cast<void**>(&version), &versionSize));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(0, 1)));
    EXPECT_EQ(std::wstring_view(version), L"1.00");
}

TEST_F(Pelmora, EveryControlSitsAtItsTwipsForTheDpi) {
    for (const ControlSpec& row : pelmora::view::ControlTable()) {
        RECT rect;
        GetWindowRect(pelmora.control(pelmora::view::ControlName(row)), &rect);
        MapWindowPoints(nullptr, pelmora.window(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(pelmora::view::PixelRect(
                      {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}),
                  pelmora::view::ControlRect(row, pelmora.dpi()))
            << pelmora::view::ControlName(row) << " at " << pelmora.dpi() << " dpi";
    }
}

TEST_F(Pelmora, OptionButtonsAreHeardByTheirCaptions) {
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(ToUtf8(AccessibleNameOf(pelmora.option(n))), "Вариант " + Number(n + 1));
}

TEST_F(Pelmora, ScreenShowsTheColours) {
    const RECT client = ClientRectOnScreen(pelmora.window());
    const ScreenShot shot(client);
    const auto inside = [](HWND hwnd, int dx, int dy) {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        return POINT{dx >= 0 ? rect.left + dx : rect.right + dx,
                     dy >= 0 ? rect.top + dy : rect.bottom + dy};
    };
    // Fields overlap their neighbours by a few pixels: look half-way down, near the left.
    const auto inField = [](HWND hwnd) {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        return POINT{rect.left + 5, (rect.top + rect.bottom) / 2};
    };
    const struct {
        const char* what;
        POINT at;
        COLORREF wanted;
    } probes[] = {
        {"window background", {client.left + 3, client.top + 3}, RGB(192, 192, 255)},
        {"caption Label1_0", inside(pelmora.control("Label1_0"), 3, -3), RGB(255, 192, 128)},
        {"column caption Label1_3", inside(pelmora.control("Label1_3"), 3, -3), RGB(255, 192, 128)},
        {"option Option1_2", inside(pelmora.option(2), -4, 3), RGB(192, 255, 192)},
        {"push button Command1_0", inside(pelmora.button(0), 6, 6), RGB(128, 255, 128)},
        {"push button Command1_1", inside(pelmora.button(1), 6, 6), RGB(255, 0, 0)},
        {"known field Text2_0", inField(pelmora.field(0)), RGB(255, 255, 255)},
        {"locked field Text2_4", inField(pelmora.field(4)), RGB(255, 255, 255)},
        {"computed field Text2_2", inField(pelmora.field(2)), RGB(255, 192, 192)},
        {"computed field Text2_21", inField(pelmora.field(21)), RGB(255, 192, 192)},
        {"task statement Text1_0", inside(pelmora.statement(), 2, -4), RGB(255, 255, 255)},
    };
    for (const auto& probe : probes)
        EXPECT_EQ(Colour(shot.at(probe.at.x, probe.at.y)), Colour(probe.wanted)) << probe.what;
    for (const char* name : {"Label1_0", "Option1_0"}) {
        RECT rect;
        GetWindowRect(pelmora.control(name), &rect);
        EXPECT_LT(Brightness(shot.darkest(rect)), 64) << name << "'s caption is dark";
    }
}

// Computed fields show their text at 4.5 : 1 or more on their pink (a disabled text box's
// own grey would not), typed ones in black, and a result wider than its field from its first
// character.
TEST_F(Pelmora, ResultsAreLegibleOnPinkAndShownFromTheirStart) {
    RunNamedScenario(pelmora, "huge_results");
    const ScreenShot shot(ClientRectOnScreen(pelmora.window()));
    const auto innerRect = [](HWND hwnd) {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        InflateRect(&rect, -3, -3);
        return rect;
    };
    // 4.5 : 1 on the pink takes a grey of 89, 89, 89 or darker.
    EXPECT_LE(Brightness(shot.darkest(innerRect(pelmora.field(2)))), 89);
    EXPECT_LT(Brightness(shot.darkest(innerRect(pelmora.field(0)))), 64);
    const RECT inner = innerRect(pelmora.field(3));
    EXPECT_EQ(Colour(shot.at(inner.right - 2, inner.bottom - 2)), Colour(RGB(255, 192, 192)));
    for (const int n : {0, 1, 2, 3}) {
        const LRESULT position = Ask(pelmora.field(n), EM_POSFROMCHAR, 0);
        const auto x = static_cast<short>(LOWORD(position));
        EXPECT_TRUE(position != -1 && x >= 0 && x <= 8) << "Text2_" << n << ": x " << x;
    }
}

TEST_F(Pelmora, TaskStatementOpensAtItsTopScrollsAndCanBeSelected) {
    const HWND statement = pelmora.statement();
    EXPECT_EQ(TextOf(statement).size(), 1023u);
    EXPECT_EQ(StyleOf(statement) & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
              ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    ASSERT_TRUE(WaitUntil([&] { return pelmora.focus() == statement; }));
    const LRESULT caret = Ask(statement, EM_GETSEL);
    EXPECT_TRUE(LOWORD(caret) == 0 && HIWORD(caret) == 0 &&
                Ask(statement, EM_GETFIRSTVISIBLELINE) == 0);
    // Ctrl+End brings its last character into view.
    PressKeyWith(VK_CONTROL, VK_END);
    pelmora.settle();
    const auto length = static_cast<WPARAM>(TextOf(statement).size());
    const LRESULT last = Ask(statement, EM_POSFROMCHAR, length - 1);
    RECT client;
    GetClientRect(statement, &client);
    const auto lastY = static_cast<short>(HIWORD(last));
    EXPECT_TRUE(Ask(statement, EM_GETFIRSTVISIBLELINE) > 0 && last != -1 && lastY >= 0 &&
                lastY < client.bottom)
        << "last character at y " << lastY;
    PressKeyWith(VK_SHIFT, VK_UP);  // the text ends with CR LF: from the empty last line
    pelmora.settle();
    const LRESULT selection = Ask(statement, EM_GETSEL);
    EXPECT_LT(LOWORD(selection), HIWORD(selection));
}

TEST_F(Pelmora, FieldsTakeMoreThan32767Characters) {
    EXPECT_GT(Ask(pelmora.field(0), EM_GETLIMITTEXT), 0x7FFF);
    EXPECT_GT(Ask(pelmora.field(23), EM_GETLIMITTEXT), 0x7FFF);
}

// The arrows go round the option buttons, and leave a push button where it is.
TEST_F(Pelmora, ArrowsWrapRoundTheOptionsAndStayOffThePushButtons) {
    pelmora.click(pelmora.option(4));
    const auto selects = [&](WORD key, int option) {
        PressKey(key);
        return WaitUntil([&] {
            return Ask(pelmora.option(option), BM_GETCHECK) == BST_CHECKED &&
                   pelmora.focus() == pelmora.option(option);
        });
    };
    EXPECT_TRUE(selects(VK_DOWN, 5));
    EXPECT_TRUE(selects(VK_RIGHT, 0));
    EXPECT_TRUE(selects(VK_UP, 5));
    pelmora.click(pelmora.button(1));
    PressKey(VK_LEFT);
    pelmora.settle();
    EXPECT_EQ(pelmora.nameOf(pelmora.focus()), "Command1_1");
}

TEST_F(Pelmora, ClosingTheWindowEndsTheProgramWithStatusZero) {
    PostMessageW(pelmora.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForSingleObject(pelmora.program().process(), 5000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pelmora.program().process(), &code);
    EXPECT_EQ(code, 0u);
}

// ---------------------------------------------------------------------------------------
// Outside the tests: the installer's smoke run and the README's pictures

// Starts the program, sees its window and closes it; the line the installer test looks for.
int Smoke() {
    RunningPelmora pelmora;
    bool ok = pelmora.window() && ToUtf8(TextOf(pelmora.window())) == "Pelmora";
    if (pelmora.window()) PostMessageW(pelmora.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1;
    ok = ok && WaitForSingleObject(pelmora.program().process(), 5000) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(pelmora.program().process(), &code) && code == 0;
    std::fputs(ok ? "pelmora_driver: all 2 checks passed\n"
                  : "FAIL the window is not shown, or closing it does not end the program\n",
               stdout);
    return ok ? 0 : 1;
}

// The states of the window that the pictures show: the option chosen, the texts typed into
// two fields, whether «Изчисли» is pressed, and the field whose context menu is open (-1:
// none). The picture has the failure box or the menu in it, where there is one.
struct WindowPose {
    std::wstring_view name;
    int option, first;
    std::wstring_view firstText;
    int second;
    std::wstring_view secondText;
    bool calculate;
    int menuField;
};
constexpr WindowPose kPoses[] = {
    {L"empty", 0, 0, L"", 1, L"", false, -1},  {L"example", 0, 0, L"3", 1, L"5", true, -1},
    {L"r30", 0, 0, L"30", 1, L"50", true, -1}, {L"r1000", 0, 0, L"1000", 1, L"2000", true, -1},
    {L"failure", 1, 4, L"", 6, L"", true, -1}, {L"failure6", 5, 22, L"100", 23, L"50", true, -1},
    {L"menu", 0, 0, L"30", 1, L"50", true, 1}, {L"menu-result", 0, 0, L"30", 1, L"50", true, 2},
};

int Pose(std::wstring_view name, const std::wstring& shot) {
    const auto pose =
        std::find_if(std::begin(kPoses), std::end(kPoses),
                     [&](const WindowPose& candidate) { return candidate.name == name; });
    RunningPelmora pelmora;
    if (pose == std::end(kPoses) || !pelmora.window() || !pelmora.findControls().empty()) {
        std::fputs("FAIL pose: unknown, or the window or its controls are not found\n", stdout);
        return 1;
    }
    RECT area;
    GetWindowRect(pelmora.window(), &area);
    pelmora.click(pelmora.option(pose->option));
    for (const auto& [field, text] :
         {std::pair{pose->first, pose->firstText}, {pose->second, pose->secondText}}) {
        pelmora.click(pelmora.field(field));
        TypeText(text);
    }
    HWND shown = nullptr;
    if (pose->calculate) {
        pelmora.click(pelmora.button(0));
        WaitUntil([&] { return !TextOf(pelmora.field(3)).empty() || !pelmora.boxes().empty(); });
        if (!pelmora.boxes().empty()) shown = pelmora.boxes().front();
    }
    if (pose->menuField >= 0) {
        ClickAt(CentreOf(pelmora.field(pose->menuField)), true);
        WaitUntil(
            [&] { return (shown = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(shown); });
    } else if (!shown) {
        pelmora.click(pelmora.statement());
    }
    RECT rect;
    if (shown && GetWindowRect(shown, &rect)) UnionRect(&area, &area, &rect);
    std::this_thread::sleep_for(500ms);  // every control repainted
    const bool saved = ScreenShot(area).save(shot);
    if (shown) PressKey(pose->menuField >= 0 ? VK_ESCAPE : VK_RETURN);
    std::fputs(saved ? "pelmora_driver: picture saved\n" : "FAIL pose: picture not saved\n",
               stdout);
    return saved ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 lines, LF only
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc < 2) {
        std::fputs(
            "usage: pelmora_driver PELMORA.exe [--dpi N] [--smoke] [--pose P --shot F.bmp]"
            " [GoogleTest options]\n",
            stderr);
        return 2;
    }
    std::array<wchar_t, MAX_PATH> full{};
    GetFullPathNameW(argv[1], static_cast<DWORD>(full.size()), full.data(), nullptr);
    g_options.exe = full.data();
    bool smoke = false;
    std::wstring pose, shot;
    for (int at = 2; at < argc; ++at) {
        const std::wstring_view option = argv[at];
        const bool hasValue = at + 1 < argc;
        if (option == L"--smoke") smoke = true;
        if (option == L"--pose" && hasValue) pose = argv[++at];
        if (option == L"--shot" && hasValue) shot = argv[++at];
        if (option == L"--dpi" && hasValue) {
            const std::string text = ToUtf8(argv[++at]);
            UINT value = 0;
            if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc{})
                g_options.dpi = value;
        }
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    if (smoke) {
        status = Smoke();
    } else if (!pose.empty()) {
        status = Pose(pose, shot);
    } else {
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    CoUninitialize();
    return status;
}
