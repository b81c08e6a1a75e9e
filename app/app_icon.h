#pragma once

#include <array>

class QIcon;
class QString;

namespace pelmora::app {

// The sizes, in pixels, at which Pelmora's icon is drawn (app/icons/sizes, which the build
// hands over).
inline constexpr std::array kIconSizes = {PELMORA_ICON_SIZES};

// The sizes the window carries itself, for title bars, task bars and window switchers: up to
// 64 pixels. The larger ones are installed in the icon theme, where docks find them through
// the desktop entry; carried by the window they would cost every start a megabyte and a few
// milliseconds sending them to the display.
inline constexpr std::array kWindowIconSizes = {PELMORA_WINDOW_ICON_SIZES};

// The resource path of the icon at one of kWindowIconSizes:
// ":/icons/<size>x<size>/org.pelmora.Pelmora.png".
QString IconResourcePath(int size);

// Pelmora's icon at every one of kWindowIconSizes, from the program's resources; the window
// system takes the size it needs (16 for a title bar, 32 and up for task switchers).
QIcon PelmoraIcon();

}  // namespace pelmora::app
