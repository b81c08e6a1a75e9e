#include <string>

#include <gtest/gtest.h>

#include "app/startup_report.h"

namespace pelmora::app {
namespace {

struct SummaryCase {
    const char* name;
    StartupEnvironment environment;  // DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM
    const char* summary;             // after "pelmora: cannot open the window: "
};

const SummaryCase kCases[] = {
    // No display for the platforms asked for.
    {"NothingSet", {"", "", ""}, "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)"},
    {"BothAskedNothingSet",
     {"", "", "wayland;xcb"},
     "no display is set (neither DISPLAY nor WAYLAND_DISPLAY)"},
    {"XAskedOnlyWaylandSet", {"", "wayland-0", "xcb"}, "no X display is set (DISPLAY is empty)"},
    {"WaylandAskedOnlyXSet",
     {":0", "", "wayland-egl"},
     "no Wayland display is set (WAYLAND_DISPLAY is empty)"},
    // The display set for the first platform that has one.
    {"XDisplaySet", {":99", "", ""}, "the X display :99 cannot be reached"},
    {"WaylandDisplaySet",
     {"", "wayland-7", "wayland"},
     "the Wayland display wayland-7 cannot be reached"},
    {"WaylandFirstXUnset",
     {"", "wayland-7", "wayland;xcb"},
     "the Wayland display wayland-7 cannot be reached"},
    {"XWithOptions", {":1", "wayland-0", "xcb:nograb"}, "the X display :1 cannot be reached"},
    // Another platform asked for, whatever the displays.
    {"MistypedWithDisplay", {":0", "", "xbc"}, "the Qt platform \"xbc\" did not start"},
    {"MistypedWithoutDisplay", {"", "", "xbc"}, "the Qt platform \"xbc\" did not start"},
    {"OptionsLeftOut",
     {"", "", "eglfs:/dev/dri/card1;xcb"},
     "the Qt platform \"eglfs\" did not start"},
};

void PrintTo(const SummaryCase& c, std::ostream* os) {
    *os << c.name;
}

class StartupSummary : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(StartupSummary, NamesTheCause) {
    EXPECT_EQ(StartupFailureSummary(GetParam().environment),
              std::string("pelmora: cannot open the window: ") + GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(App, StartupSummary, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace pelmora::app
