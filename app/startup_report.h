#pragma once

#include <string>

namespace pelmora::app {

// The environment the window system was asked to start in.
struct StartupEnvironment {
    std::string display;          // DISPLAY, empty when unset
    std::string waylandDisplay;   // WAYLAND_DISPLAY, empty when unset
    std::string platformRequest;  // QT_QPA_PLATFORM: "xcb", "wayland;xcb", "vnc:size=800x600"
};

// The line printed first when Qt cannot open its window system; Qt's own lines follow it.
// It names the cause that the environment shows: no display set for the platforms asked for
// (xcb needs DISPLAY, wayland WAYLAND_DISPLAY, none asked means either), the display that is
// set and could not be opened, or the other platform that was asked for.
std::string StartupFailureSummary(const StartupEnvironment& environment);

}  // namespace pelmora::app
