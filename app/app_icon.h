#pragma once

#include <array>

class QIcon;
class QString;

namespace pelmora::app {

// The sizes, in pixels, at which Pelmora's icon is drawn.
inline constexpr std::array<int, 7> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The resource path of the icon at one of kIconSizes:
// ":/icons/<size>x<size>/org.pelmora.Pelmora.png".
QString IconResourcePath(int size);

// Pelmora's icon with every size it is drawn at, from the program's resources; the window
// system takes the size it needs (16 for a title bar, 32 and up for task switchers).
QIcon PelmoraIcon();

}  // namespace pelmora::app
