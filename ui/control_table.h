#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::ui {

// Geometry is kept in twips, as the window was designed; 15 twips are one logical pixel.
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
};

inline constexpr Rgb kWindowBackground{192, 192, 255};
inline constexpr Rgb kComputedFieldBackground{255, 192, 192};
inline constexpr Rgb kDisabledText{128, 128, 128};  // the classic Windows grey text
inline constexpr int kClientWidth = 6810;           // twips
inline constexpr int kClientHeight = 5130;

// Every control of the window, the 6 × 4 grid of value fields included, in table order.
const std::vector<ControlSpec>& ControlTable();

// The control's object name: its array name and index joined by an underscore ("Text2_5").
std::string ControlName(const ControlSpec& control);

// The task statement shown under the grid: eight lines, each ended by CR LF.
extern const std::string_view kTaskStatement;

}  // namespace pelmora::ui
