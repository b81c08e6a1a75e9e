#pragma once

// The window scenarios of window.scenarios (its header describes the lines), read once and
// run against any window through a small adapter per toolkit.
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::scenarios {

struct Step {
    int line;          // in the file, for messages
    std::string verb;  // "type", "texts", ...
    std::string argument;
};

struct Scenario {
    std::string name;
    std::vector<Step> steps;
};

// Shows a scenario by its name in GoogleTest's messages.
inline void PrintTo(const Scenario& scenario, std::ostream* os) {
    *os << scenario.name;
}

// The scenarios of the file at `path`. A file that cannot be read or a line that cannot be
// understood gives one scenario named "unreadable_table" whose only step says why, so the
// runner fails it.
std::vector<Scenario> LoadScenarios(const char* path);

// The scenario named `name`; an unknown name gives a scenario that fails.
Scenario FindScenario(const char* path, std::string_view name);

enum class Key {
    Tab,
    ShiftTab,
    Space,
    Enter,
    Escape,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    Backspace,
    Delete
};

// What a toolkit's adapter does for the runner: user actions on a window, and what the
// window shows. Names of controls are "Text2_5", "Option1_3", ...; texts are UTF-8.
class Window {
public:
    virtual ~Window() = default;

    virtual void click(const std::string& control) = 0;
    virtual void typeKeys(std::string_view text) = 0;  // into the focused control
    virtual void press(Key key) = 0;                   // on the focused control

    virtual std::string fieldText(int field) = 0;
    virtual bool fieldEnabled(int field) = 0;
    virtual bool fieldLocked(int field) = 0;
    virtual bool optionSelected(int option) = 0;
    virtual std::string focusName() = 0;
    virtual bool statementIntact() = 0;
    // The failures the window has told the user since the last call, in their words; closes
    // any box that tells one. `expected` says whether the scenario expects one now (a window
    // that shows them asynchronously waits for it only then).
    virtual std::vector<std::string> takeFailures(bool expected) = 0;

    // Until `describe()` equals `wanted` or the adapter stops waiting; returns the last
    // description. A window that handles input asynchronously waits here.
    virtual std::string await(const std::string& wanted,
                              const std::function<std::string()>& describe) {
        (void)wanted;
        return describe();
    }
};

// Runs every step of `scenario` against `window`, each failed check a GoogleTest failure
// that names the file's line.
void RunScenario(const Scenario& scenario, Window& window);

}  // namespace pelmora::scenarios
