#include "app/startup_report.h"

#include <algorithm>
#include <string_view>

namespace pelmora::app {

namespace {

constexpr std::string_view kPrefix = "pelmora: cannot open the window: ";

enum class PluginOutcome { NotFound, NotLoaded };

struct FailedPlugin {
    std::string name;
    PluginOutcome outcome;
};

// Qt names each platform plugin it tried in vain in one message of its own:
//   Could not find the Qt platform plugin "xbc" in ""
//   Could not load the Qt platform plugin "xcb" in "" even though it was found.
std::vector<FailedPlugin> FailedPlugins(const std::vector<std::string>& messages) {
    static constexpr struct {
        std::string_view lead;
        PluginOutcome outcome;
    } kForms[] = {
        {"Could not find the Qt platform plugin \"", PluginOutcome::NotFound},
        {"Could not load the Qt platform plugin \"", PluginOutcome::NotLoaded},
    };
    std::vector<FailedPlugin> plugins;
    for (const std::string& message : messages) {
        for (const auto& form : kForms) {
            const std::size_t at = message.find(form.lead);
            if (at == std::string::npos) continue;
            const std::size_t start = at + form.lead.size();
            const std::size_t end = message.find('"', start);
            if (end == std::string::npos) continue;
            plugins.push_back({message.substr(start, end - start), form.outcome});
        }
    }
    return plugins;
}

// A platform that draws on a display server: the variable that names the display, and the
// words with which its plugin reports that it could not connect.
struct DisplayNeed {
    std::string_view pluginPrefix;
    std::string_view variable;
    std::string StartupFailure::*value;
    std::string_view kind;
    std::string_view unreachable;
};

const DisplayNeed kDisplayNeeds[] = {
    {"xcb", "DISPLAY", &StartupFailure::display, "X display", "could not connect to display"},
    {"wayland", "WAYLAND_DISPLAY", &StartupFailure::waylandDisplay, "Wayland display",
     "Failed to create wl_display"},
};

const DisplayNeed* DisplayNeedOf(std::string_view plugin) {
    for (const DisplayNeed& need : kDisplayNeeds) {
        if (plugin.starts_with(need.pluginPrefix)) return &need;
    }
    return nullptr;
}

bool AnyMentions(const std::vector<std::string>& messages, std::string_view words) {
    return std::any_of(messages.begin(), messages.end(), [words](const std::string& message) {
        return message.find(words) != std::string::npos;
    });
}

enum class Cause { NoDisplay, Unreachable, Plugin };

Cause CauseOf(const FailedPlugin& plugin, const StartupFailure& failure) {
    const DisplayNeed* need = DisplayNeedOf(plugin.name);
    if (need == nullptr) return Cause::Plugin;
    if ((failure.*need->value).empty()) return Cause::NoDisplay;
    return AnyMentions(failure.qtMessages, need->unreachable) ? Cause::Unreachable : Cause::Plugin;
}

// The first platform asked for: "wayland" of "wayland:option;xcb".
std::string FirstRequested(const std::string& request) {
    return request.substr(0, std::min(request.find(';'), request.find(':')));
}

std::vector<std::string> WithQtMessages(std::string first, const StartupFailure& failure) {
    std::vector<std::string> lines{std::move(first)};
    lines.insert(lines.end(), failure.qtMessages.begin(), failure.qtMessages.end());
    return lines;
}

std::string Quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

}  // namespace

std::vector<std::string> StartupFailureReport(const StartupFailure& failure) {
    const std::string prefix(kPrefix);
    const std::vector<FailedPlugin> plugins = FailedPlugins(failure.qtMessages);

    // No plugin was refused, so the one Qt started gave up by itself.
    if (plugins.empty()) {
        const std::string requested = FirstRequested(failure.platformRequest);
        if (requested.empty()) return WithQtMessages(prefix + "Qt could not start", failure);
        return WithQtMessages(
            prefix + "the Qt platform plugin " + Quoted(requested) + " failed to start", failure);
    }

    // A plugin that failed for any reason but the display is the cause to name, even when
    // another plugin of the list lacked its display.
    for (const FailedPlugin& plugin : plugins) {
        if (CauseOf(plugin, failure) != Cause::Plugin) continue;
        const char* what =
            plugin.outcome == PluginOutcome::NotFound ? " was not found" : " could not be loaded";
        return WithQtMessages(prefix + "the Qt platform plugin " + Quoted(plugin.name) + what,
                              failure);
    }

    for (const FailedPlugin& plugin : plugins) {
        if (CauseOf(plugin, failure) != Cause::Unreachable) continue;
        const DisplayNeed& need = *DisplayNeedOf(plugin.name);
        return {prefix + "the " + std::string(need.kind) + " " + (failure.*need.value) +
                " cannot be reached"};
    }

    if (failure.display.empty() && failure.waylandDisplay.empty()) {
        return {prefix + "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)"};
    }
    const DisplayNeed& need = *DisplayNeedOf(plugins.front().name);
    return {prefix + "no " + std::string(need.kind) + " is set (" + std::string(need.variable) +
            " is empty)"};
}

}  // namespace pelmora::app
