#include "win32/control_style.h"

namespace pelmora::win32 {
namespace {

using view::ControlKind;

constexpr view::Rgb kClassicText{0, 0, 0};          // COLOR_WINDOWTEXT and COLOR_BTNTEXT
constexpr view::Rgb kClassicWindow{255, 255, 255};  // COLOR_WINDOW: a text box's background

// Every control overlaps a neighbour by a pixel or so: each clips the others, so the
// z-order alone decides which is drawn on top.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

struct KindStyle {
    ControlKind kind;
    ChildWindowStyle style;
};
// The option buttons get WS_TABSTOP from the window as they are selected: only the selected
// one is a tab stop. Push buttons are owner-drawn, the only way to fill them with a colour.
constexpr KindStyle kKindStyles[] = {
    {ControlKind::Label, {L"STATIC", kChild | SS_CENTER | SS_NOPREFIX, 0}},
    {ControlKind::OptionButton, {L"BUTTON", kChild | BS_AUTORADIOBUTTON, 0}},
    {ControlKind::PushButton, {L"BUTTON", kChild | WS_TABSTOP | BS_OWNERDRAW, 0}},
    {ControlKind::ValueField,
     {L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE}},
    {ControlKind::TaskStatement,
     {L"EDIT",
      kChild | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
      WS_EX_CLIENTEDGE}},
};

}  // namespace

ChildWindowStyle StyleFor(const view::ControlSpec& row) {
    ChildWindowStyle style{L"STATIC", kChild, 0};
    for (const KindStyle& entry : kKindStyles) {
        if (entry.kind == row.kind) style = entry.style;
    }
    // The first option button starts the group within which the buttons exclude each other.
    if (row.kind == ControlKind::OptionButton && row.index == 0) style.style |= WS_GROUP;
    if (row.computed) style.style |= WS_DISABLED;
    return style;
}

ControlColours ColoursFor(const view::ControlSpec& row) {
    if (row.background) return {*row.background, kClassicText};
    if (row.computed) return {view::kComputedFieldBackground, view::kDisabledText};
    return {kClassicWindow, kClassicText};
}

SystemColours SystemColoursFor(const view::ControlSpec& row) {
    switch (row.kind) {
        case ControlKind::PushButton:
            return {COLOR_BTNFACE, COLOR_BTNTEXT};
        case ControlKind::ValueField:
            if (row.computed) return {COLOR_3DFACE, COLOR_GRAYTEXT};
            return {COLOR_WINDOW, COLOR_WINDOWTEXT};
        case ControlKind::TaskStatement:
            return {COLOR_WINDOW, COLOR_WINDOWTEXT};
        default:
            return {kWindowSystemBackground, COLOR_WINDOWTEXT};
    }
}

bool HighContrastOn() {
    HIGHCONTRASTW highContrast{};
    highContrast.cbSize = sizeof highContrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace pelmora::win32
