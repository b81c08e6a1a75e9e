#include "app/startup_report.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace pelmora::app {

namespace {

// A platform that draws on a display server, and the variable that names its display.
struct DisplayPlatform {
    std::string_view name;
    std::string_view kind;
    std::string_view variable;
    std::string StartupEnvironment::*value;
};

const DisplayPlatform kDisplayPlatforms[] = {
    {"xcb", "X display", "DISPLAY", &StartupEnvironment::display},
    {"wayland", "Wayland display", "WAYLAND_DISPLAY", &StartupEnvironment::waylandDisplay},
};

// The platforms of "wayland:option;xcb", without their options.
std::vector<std::string_view> Requested(std::string_view request) {
    std::vector<std::string_view> names;
    while (!request.empty()) {
        const std::string_view entry = request.substr(0, request.find(';'));
        request.remove_prefix(std::min(request.size(), entry.size() + 1));
        const std::string_view name = entry.substr(0, entry.find(':'));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

const DisplayPlatform* DisplayPlatformOf(std::string_view name) {
    for (const DisplayPlatform& platform : kDisplayPlatforms) {
        // Qt's Wayland plugins are named "wayland", "wayland-egl", "wayland-brcm".
        if (name.starts_with(platform.name)) return &platform;
    }
    return nullptr;
}

}  // namespace

std::string StartupFailureSummary(const StartupEnvironment& environment) {
    const std::string prefix = "pelmora: cannot open the window: ";
    // Nothing asked for: Qt tries the display platforms.
    std::vector<const DisplayPlatform*> tried;
    for (const std::string_view name : Requested(environment.platformRequest)) {
        const DisplayPlatform* platform = DisplayPlatformOf(name);
        if (platform == nullptr) {
            return prefix + "the Qt platform \"" + std::string(name) + "\" did not start";
        }
        tried.push_back(platform);
    }
    if (tried.empty()) tried = {&kDisplayPlatforms[0], &kDisplayPlatforms[1]};

    for (const DisplayPlatform* platform : tried) {
        const std::string& display = environment.*platform->value;
        if (!display.empty()) {
            return prefix + "the " + std::string(platform->kind) + " " + display +
                   " cannot be reached";
        }
    }
    if (tried.size() == 1) {
        return prefix + "no " + std::string(tried.front()->kind) + " is set (" +
               std::string(tried.front()->variable) + " is empty)";
    }
    return prefix + "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)";
}

}  // namespace pelmora::app
