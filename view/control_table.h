#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::view {

// Geometry is kept in twips, as the window was designed: 1440 to the inch, so 15 twips are
// one pixel at 96 dots per inch.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPixel = 15;

enum class ControlKind { Label, OptionButton, PushButton, ValueField, TaskStatement };

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

// One control of the window: its array name and index, where it sits, what it says.
struct ControlSpec {
    std::string_view array;  // "Label1", "Option1", "Command1", "Text2", "Text1"
    int index;
    ControlKind kind;
    int left, top, width, height;   // twips from the client area's top-left corner
    std::string_view caption;       // UTF-8; empty for fields
    std::optional<Rgb> background;  // nothing: the system's default
    int tabIndex;
    // A value field that shows one of its row's results: bold, pink, disabled (no focus, no
    // typing, no tab stop), written only by the program.
    bool computed = false;
};

inline constexpr Rgb kWindowBackground{192, 192, 255};
inline constexpr Rgb kComputedFieldBackground{255, 192, 192};
inline constexpr Rgb kDisabledText{85, 85, 85};  // grey, yet 4.8 : 1 on the computed pink
inline constexpr int kClientWidth = 6810;        // twips
inline constexpr int kClientHeight = 5130;

// Every control of the window, the 6 × 4 grid of value fields included, in table order.
const std::vector<ControlSpec>& ControlTable();

// A toolkit window's builders, one member function per kind of control; `make` calls the
// one for the row's kind. Each toolkit fills it with its own members and reads the table
// with one loop.
template <typename Window, typename Control>
struct ControlMakers {
    using Maker = Control (Window::*)(const ControlSpec&);
    Maker label, optionButton, pushButton, valueField, taskStatement;

    Control make(Window& window, const ControlSpec& row) const {
        switch (row.kind) {
            case ControlKind::Label:
                return (window.*label)(row);
            case ControlKind::OptionButton:
                return (window.*optionButton)(row);
            case ControlKind::PushButton:
                return (window.*pushButton)(row);
            case ControlKind::ValueField:
                return (window.*valueField)(row);
            case ControlKind::TaskStatement:
                return (window.*taskStatement)(row);
        }
        return Control{};
    }
};

// The control's object name: its array name and index joined by an underscore ("Text2_5").
std::string ControlName(const ControlSpec& control);

// The row of the table for a control, or nullptr when there is none.
const ControlSpec* FindControl(std::string_view array, int index);

// A rectangle in pixels.
struct PixelRect {
    int x, y, width, height;
    bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel. Edges are mapped
// rather than sizes, so controls that touch in twips still touch in pixels.
int TwipsToPixels(int twips, int dpi);
PixelRect ControlRect(const ControlSpec& control, int dpi);
// The window's client area at `dpi`, from the top-left corner.
PixelRect ClientRect(int dpi);

// What a screen reader announces for value field `field`: its row's option caption and its
// column's caption, "Вариант 1, R" to "Вариант 6, Sp".
std::string AccessibleName(int field);

// The controls that can be tab stops, in tab order. Labels never take the focus; the toolkit
// skips the disabled fields and all option buttons but the selected one.
std::vector<const ControlSpec*> TabChain();

// The task statement shown under the grid: eight lines, each ended by CR LF.
extern const std::string_view kTaskStatement;

inline constexpr std::string_view kWindowTitle = "Pelmora";
inline constexpr std::string_view kTaskStatementName = "Условие на задачата";
inline constexpr std::string_view kFontFamily = "Times New Roman";
inline constexpr int kFontPoints = 12;

}  // namespace pelmora::view
