#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/startup_report.h"

namespace pelmora::app {
namespace {

// Qt's own messages, word for word as Qt 6 prints them.
const std::string kXcbNoConnection = "qt.qpa.xcb: could not connect to display ";
const std::string kXcbNoConnection99 = "qt.qpa.xcb: could not connect to display :99";
const std::string kWaylandNoConnection =
    "qt.qpa.wayland: Failed to create wl_display (No such file or directory)";
const std::string kXcbNotLoaded =
    "qt.qpa.plugin: Could not load the Qt platform plugin \"xcb\" in \"\" even though it was "
    "found.";
const std::string kWaylandNotLoaded =
    "qt.qpa.plugin: Could not load the Qt platform plugin \"wayland\" in \"\" even though it was "
    "found.";
const std::string kXbcNotFound =
    "qt.qpa.plugin: Could not find the Qt platform plugin \"xbc\" in \"\"";
const std::string kWaylandNotFound =
    "qt.qpa.plugin: Could not find the Qt platform plugin \"wayland\" in \"\"";
const std::string kNoPlugin =
    "This application failed to start because no Qt platform plugin could be initialized. "
    "Reinstalling the application may fix this problem.\n\nAvailable platform plugins are: "
    "minimal, linuxfb, offscreen, xcb, eglfs, vnc, vkkhrdisplay, minimalegl.\n";
const std::string kNoDrm = "Could not find DRM device!";

struct ReportCase {
    const char* name;
    StartupFailure failure;
    const char* firstLine;  // after "pelmora: cannot open the window: "
    bool qtMessagesFollow;
};

const ReportCase kCases[] = {
    // The display is the cause: one line, and not Qt's advice to reinstall.
    {"NothingSet",
     {"", "", "", {kXcbNoConnection, kXcbNotLoaded, kNoPlugin}},
     "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)",
     false},
    {"WaylandSessionNothingSet",
     {"", "", "", {kWaylandNotFound, kXcbNoConnection, kXcbNotLoaded, kNoPlugin}},
     "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)",
     false},
    {"XAskedOnlyWaylandSet",
     {"", "wayland-0", "xcb", {kXcbNoConnection, kXcbNotLoaded, kNoPlugin}},
     "no X display is set (DISPLAY is empty)",
     false},
    {"XDisplayUnreachable",
     {":99", "", "", {kXcbNoConnection99, kXcbNotLoaded, kNoPlugin}},
     "the X display :99 cannot be reached",
     false},
    {"WaylandDisplayUnreachable",
     {"", "wayland-7", "wayland", {kWaylandNoConnection, kWaylandNotLoaded, kNoPlugin}},
     "the Wayland display wayland-7 cannot be reached",
     false},
    {"WaylandUnreachableXUnset",
     {"",
      "wayland-7",
      "wayland;xcb",
      {kWaylandNoConnection, kWaylandNotLoaded, kXcbNoConnection, kXcbNotLoaded, kNoPlugin}},
     "the Wayland display wayland-7 cannot be reached",
     false},

    // A plugin is the cause, whatever the display: named, then Qt's lines.
    {"MistypedPluginWithDisplay",
     {":0", "", "xbc", {kXbcNotFound, kNoPlugin}},
     "the Qt platform plugin \"xbc\" was not found",
     true},
    {"MistypedPluginWithoutDisplay",
     {"", "", "xbc", {kXbcNotFound, kNoPlugin}},
     "the Qt platform plugin \"xbc\" was not found",
     true},
    {"XcbNotLoadedThoughDisplayIsUp",
     {":0", "", "", {kXcbNotLoaded, kNoPlugin}},
     "the Qt platform plugin \"xcb\" could not be loaded",
     true},
    {"WaylandMissingInWaylandSession",
     {"", "wayland-0", "", {kWaylandNotFound, kXcbNoConnection, kXcbNotLoaded, kNoPlugin}},
     "the Qt platform plugin \"wayland\" was not found",
     true},
    {"WaylandMissingXUnreachable",
     {":99",
      "wayland-0",
      "wayland;xcb",
      {kWaylandNotFound, kXcbNoConnection99, kXcbNotLoaded, kNoPlugin}},
     "the Qt platform plugin \"wayland\" was not found",
     true},

    // The plugin started and gave up by itself.
    {"StartedPluginGaveUp",
     {"", "", "eglfs", {kNoDrm}},
     "the Qt platform plugin \"eglfs\" failed to start",
     true},
    {"StartedPluginWithOptionsGaveUp",
     {"", "", "eglfs:/dev/dri/card1;xcb", {kNoDrm}},
     "the Qt platform plugin \"eglfs\" failed to start",
     true},
    {"UnknownCause", {":0", "", "", {kNoDrm}}, "Qt could not start", true},
};

void PrintTo(const ReportCase& c, std::ostream* os) {
    *os << c.name;
}

class StartupReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(StartupReport, NamesTheCauseFirst) {
    const ReportCase& c = GetParam();
    const std::vector<std::string> lines = StartupFailureReport(c.failure);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::string("pelmora: cannot open the window: ") + c.firstLine);
    std::vector<std::string> expectedRest;
    if (c.qtMessagesFollow) expectedRest = c.failure.qtMessages;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expectedRest);
}

INSTANTIATE_TEST_SUITE_P(App, StartupReport, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelmora::app
