#pragma once

#include <array>

class QIcon;
class QString;

namespace pelmora::app {

// The sizes, in pixels, at which Pelmora's icon is drawn.
inline constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The sizes the window carries itself, for title bars, task bars and window switchers. The
// larger ones are installed in the icon theme, where docks find them through the desktop
// entry; carried by the window they would cost every start a megabyte and a few
// milliseconds sending them to the display.
inline constexpr std::array<int, 5> kWindowIconSizes = {16, 24, 32, 48, 64};

// The resource path of the icon at one of kWindowIconSizes:
// ":/icons/<size>x<size>/org.pelmora.Pelmora.png".
QString IconResourcePath(int size);

// Pelmora's icon at every one of kWindowIconSizes, from the program's resources; the window
// system takes the size it needs (16 for a title bar, 32 and up for task switchers).
QIcon PelmoraIcon();

}  // namespace pelmora::app
