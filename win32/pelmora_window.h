#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "form/calculator_form.h"
#include "view/control_table.h"
#include "view/presenter.h"

namespace pelmora::win32 {

// The program's one window in plain Win32: the system's controls built from the control
// table, each change the user makes handed to the presenter, each change the presenter asks
// for shown. It decides nothing itself. Its state lives in this object, which the window
// finds through GWLP_USERDATA; its fonts and brushes live and die with it.
class PelmoraWindow final : private view::Surface {
public:
    // The form must outlive the window.
    explicit PelmoraWindow(form::CalculatorForm& form);
    ~PelmoraWindow() override;
    PelmoraWindow(const PelmoraWindow&) = delete;
    PelmoraWindow& operator=(const PelmoraWindow&) = delete;

    // Creates the window, hidden, at the size its monitor's DPI gives and centred on that
    // monitor, with every control, and loads the form through the presenter. False when
    // Win32 refused to create it.
    bool create(HINSTANCE instance);
    // Shows the window, brings it to the foreground (nothing else does where no window
    // manager runs) and puts the focus in the task statement.
    void show(int showCommand);
    // The window, or nullptr before create() and after it was destroyed.
    HWND hwnd() const { return m_hwnd; }

    // Keys the window handles before the dialog manager sees them; true when `message` was
    // used up. Enter and Esc do nothing anywhere, and the arrow keys move the selection
    // among the option buttons.
    bool preTranslateMessage(const MSG& message);

private:
    struct Control {
        const view::ControlSpec* row;
        HWND hwnd;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool createControls();
    Control makeLabel(const view::ControlSpec& row);
    Control makeOptionButton(const view::ControlSpec& row);
    Control makePushButton(const view::ControlSpec& row);
    Control makeValueField(const view::ControlSpec& row);
    Control makeTaskStatement(const view::ControlSpec& row);
    HWND createChild(const view::ControlSpec& row, std::wstring_view text);
    void orderForTabbing();

    void applyDpi(UINT dpi);
    void createFonts();
    HFONT fontFor(const view::ControlSpec& row) const;
    void layoutControls();
    SIZE outerSize() const;

    const Control* findControl(HWND hwnd) const;
    HBRUSH brush(view::Rgb colour) const;
    LRESULT colourControl(HDC dc, HWND control);
    void drawPushButton(const DRAWITEMSTRUCT& item) const;
    void onCommand(int code, HWND control);
    void focusControl(HWND control);
    void moveSelection(int step);
    // The copy menu of the computed field under `screenPoint` (WM_CONTEXTMENU's lParam);
    // false when there is none there.
    bool showCopyMenu(LPARAM screenPoint);

    void showFieldText(int field, std::string_view utf8Text) override;
    void showFieldLocked(int field, bool locked) override;
    void showSelectedVariant(int variant) override;
    void reportFailure(std::string_view utf8Text) override;
    void announce(std::string_view utf8Text) override;

    form::CalculatorForm& m_form;
    HWND m_hwnd = nullptr;
    HINSTANCE m_instance = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::vector<Control> m_controls;  // in table order
    std::array<HWND, form::kFieldCount> m_fields{};
    std::array<HWND, cone::kVariantCount> m_options{};
    HWND m_taskStatement = nullptr;
    HWND m_lastFocus = nullptr;  // given back when the window is activated again
    std::vector<std::pair<view::Rgb, HBRUSH>> m_brushes;
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    std::optional<view::Presenter> m_presenter;
};

// Runs the message loop, with the dialog manager for Tab, Shift+Tab and Space, until the
// window is closed. Returns the program's exit code.
int RunMessageLoop(PelmoraWindow& window);

}  // namespace pelmora::win32
