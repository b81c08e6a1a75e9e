#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "form/calculator_form.h"
#include "view/control_table.h"
#include "view/presenter.h"
#include "win32/control_style.h"

namespace pelmora::win32 {

// The program's one window in plain Win32: the system's controls built from the control
// table, each change the user makes handed to the presenter, each change the presenter asks
// for shown. It decides nothing itself. Its state lives in this object, which the window
// finds through GWLP_USERDATA; its fonts and brushes live and die with it.
class PelmoraWindow final : private view::Surface {
public:
    // Whether a high-contrast theme is on; the system's answer unless a test gives another.
    using HighContrastQuery = bool (*)();

    // The form must outlive the window.
    explicit PelmoraWindow(form::CalculatorForm& form,
                           HighContrastQuery highContrast = HighContrastOn);
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
    // How a field shows the text the program wrote there: in its own font, or in a smaller
    // size of it that the text fits at, or at the smallest size cut on the right with the
    // whole text as a tooltip. What the user types is shown in the field's own font.
    struct FieldFit {
        bool programText = false;
        int halfPoints = 2 * view::kFontPoints;
        bool cut = false;
    };
    // The colours a control is drawn in now, and the brush of its background.
    struct Paint {
        COLORREF background;
        COLORREF text;
        HBRUSH brush;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Every value field's messages pass here before they reach the text box.
    static LRESULT CALLBACK FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> handleFieldMessage(const view::ControlSpec& row, HWND edit, UINT message,
                                              LPARAM lParam);

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
    // The field's font at `halfPoints` half points for the current DPI, made when first asked.
    HFONT fitFont(int halfPoints, bool bold);
    void fitProgramText(int field);
    void showUserText(int field);
    void updateTooltip(int field);
    HWND tooltip();
    void setTooltipWidth();
    void layoutControls();
    SIZE outerSize() const;

    const Control* findControl(HWND hwnd) const;
    HBRUSH brush(view::Rgb colour) const;
    Paint paintFor(const view::ControlSpec& row) const;
    HBRUSH windowBrush() const;
    void followSystemColours();
    LRESULT colourControl(HDC dc, HWND control);
    void drawPushButton(const DRAWITEMSTRUCT& item) const;
    // A computed field's text in the window's own colour: a disabled text box would draw it
    // in the system's grey.
    void paintComputedField(const view::ControlSpec& row, HWND edit);
    void onCommand(int code, HWND control);
    void focusControl(HWND control);
    void moveSelection(int step);
    // The context menu of value field `field` at `screenPoint` (WM_CONTEXTMENU's lParam, -1
    // from the keyboard), and what is chosen from it carried out.
    void showFieldMenu(int field, LPARAM screenPoint);

    void showFieldText(int field, std::string_view utf8Text) override;
    void showFieldLocked(int field, bool locked) override;
    void showSelectedVariant(int variant) override;
    void reportFailure(std::string_view utf8Text) override;
    void announce(std::string_view utf8Text) override;

    form::CalculatorForm& m_form;
    HighContrastQuery m_highContrastQuery;
    bool m_highContrast = false;
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
    std::vector<std::pair<int, HFONT>> m_fitFonts;  // by half points and weight, for m_dpi
    std::array<FieldFit, form::kFieldCount> m_fits{};
    HWND m_tooltip = nullptr;
    WNDPROC m_fieldProcedure = nullptr;  // what a value field's messages go on to
    bool m_writingField = false;         // a field's change now is the program's own write
    std::optional<view::Presenter> m_presenter;
};

// Runs the message loop, with the dialog manager for Tab, Shift+Tab and Space, until the
// window is closed. Returns the program's exit code.
int RunMessageLoop(PelmoraWindow& window);

}  // namespace pelmora::win32
