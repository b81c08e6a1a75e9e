#pragma once

#include <string>
#include <vector>

namespace pelmora::app {

// What the program knows when Qt gives up opening its window system.
struct StartupFailure {
    std::string display;          // DISPLAY, empty when unset
    std::string waylandDisplay;   // WAYLAND_DISPLAY, empty when unset
    std::string platformRequest;  // QT_QPA_PLATFORM: "xcb", "wayland;xcb", "vnc:size=800x600"
    std::vector<std::string> qtMessages;  // as Qt prints them, in order, the fatal one last
};

// The lines to print for a failed start. The first names the cause:
// - no display is set for the platforms that were tried (DISPLAY for xcb, WAYLAND_DISPLAY for
//   wayland), or the one that is set cannot be reached: that line alone, since Qt's own
//   advice (reinstall the application) would mislead;
// - otherwise the platform plugin that was not found, could not be loaded or failed to
//   start, followed by Qt's own messages.
std::vector<std::string> StartupFailureReport(const StartupFailure& failure);

}  // namespace pelmora::app
