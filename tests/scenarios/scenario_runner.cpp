#include "tests/scenarios/scenario_runner.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

#include <gtest/gtest.h>

#include "form/calculator_form.h"

namespace pelmora::scenarios {
namespace {

constexpr std::array<std::string_view, 13> kKeyNames = {
    "Tab",  "Shift+Tab", "Space", "Enter", "Escape",    "Up",    "Down",
    "Left", "Right",     "Home",  "End",   "Backspace", "Delete"};
constexpr std::array<std::string_view, 12> kVerbs = {"type",  "keys", "click",    "press",
                                                     "texts", "open", "disabled", "selected",
                                                     "focus", "tabs", "failure",  "statement"};

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) words.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::optional<int> Number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

Scenario Unreadable(std::string why) {
    return {"unreadable_table", {{0, "unreadable", std::move(why)}}};
}

std::string Join(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// A list of numbers in increasing order, as the window's descriptions give them.
std::string Sorted(std::string_view argument) {
    std::vector<int> numbers;
    for (const std::string& word : Words(argument))
        numbers.push_back(Number(word).value_or(-1));
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> words;
    for (const int n : numbers)
        words.push_back(std::to_string(n));
    return Join(words);
}

// The numbers 0..count-1 for which `has` holds.
std::string Which(int count, const std::function<bool(int)>& has) {
    std::vector<std::string> words;
    for (int n = 0; n < count; ++n) {
        if (has(n)) words.push_back(std::to_string(n));
    }
    return Join(words);
}

std::string Texts(Window& window) {
    std::vector<std::string> pairs;
    for (int n = 0; n < form::kFieldCount; ++n) {
        const std::string text = window.fieldText(n);
        if (!text.empty()) pairs.push_back(std::to_string(n) + "=" + text);
    }
    return Join(pairs);
}

// The expected texts written in field order, as Texts() describes them.
std::string WantedTexts(std::string_view argument) {
    std::vector<std::pair<int, std::string>> pairs;
    for (const std::string& word : Words(argument)) {
        const std::size_t equals = word.find('=');
        pairs.emplace_back(Number(word.substr(0, equals)).value_or(-1), word.substr(equals + 1));
    }
    std::sort(pairs.begin(), pairs.end());
    std::vector<std::string> words;
    for (const auto& [field, text] : pairs)
        words.push_back(std::to_string(field) + "=" + text);
    return Join(words);
}

void Press(Window& window, std::string_view argument) {
    const std::vector<std::string> words = Words(argument);
    const auto key = std::find(kKeyNames.begin(), kKeyNames.end(), words.at(0));
    const int count = words.size() > 1 ? Number(words[1]).value_or(0) : 1;
    for (int i = 0; i < count; ++i)
        window.press(static_cast<Key>(key - kKeyNames.begin()));
}

void Expect(Window& window, const std::string& wanted, const std::function<std::string()>& got) {
    EXPECT_EQ(window.await(wanted, got), wanted);
}

void Run(const Step& step, Window& window) {
    const std::string& a = step.argument;
    if (step.verb == "type") {
        const std::size_t space = std::min(a.find(' '), a.size());
        window.click("Text2_" + a.substr(0, space));
        window.typeKeys(space < a.size() ? std::string_view(a).substr(space + 1) : "");
    } else if (step.verb == "keys") {
        window.typeKeys(a);
    } else if (step.verb == "click") {
        window.click(a);
    } else if (step.verb == "press") {
        Press(window, a);
    } else if (step.verb == "texts") {
        Expect(window, WantedTexts(a), [&] { return Texts(window); });
    } else if (step.verb == "open") {
        Expect(window, Sorted(a), [&] {
            return Which(form::kFieldCount,
                         [&](int n) { return window.fieldEnabled(n) && !window.fieldLocked(n); });
        });
    } else if (step.verb == "disabled") {
        Expect(window, Sorted(a), [&] {
            return Which(form::kFieldCount, [&](int n) { return !window.fieldEnabled(n); });
        });
    } else if (step.verb == "selected") {
        Expect(window, Sorted(a), [&] {
            return Which(cone::kVariantCount, [&](int n) { return window.optionSelected(n); });
        });
    } else if (step.verb == "focus") {
        Expect(window, a, [&] { return window.focusName(); });
    } else if (step.verb == "tabs") {
        for (const std::string& name : Words(a)) {
            window.press(Key::Tab);
            Expect(window, name, [&] { return window.focusName(); });
        }
    } else if (step.verb == "failure") {
        EXPECT_EQ(window.takeFailures(true), std::vector<std::string>{a});
    } else if (step.verb == "statement") {
        Expect(window, "intact", [&] { return window.statementIntact() ? "intact" : "changed"; });
    } else {
        ADD_FAILURE() << "the scenario table cannot be read: " << a;
    }
}

}  // namespace

std::vector<Scenario> LoadScenarios(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return {Unreadable(std::string("cannot open ") + path)};
    std::string content;
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;)
        content.append(buffer.data(), got);
    std::fclose(file);

    std::vector<Scenario> scenarios;
    int number = 0;
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t end = std::min(content.find('\n', at), content.size());
        std::string line = content.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        const std::size_t space = std::min(line.find(' '), line.size());
        Step step{number, line.substr(0, space), space < line.size() ? line.substr(space + 1) : ""};
        const std::string where = "line " + std::to_string(number) + ": ";
        if (step.verb == "scenario") {
            scenarios.push_back({step.argument, {}});
            continue;
        }
        if (scenarios.empty() || std::find(kVerbs.begin(), kVerbs.end(), step.verb) == kVerbs.end())
            return {Unreadable(where + line)};
        const std::vector<std::string> words = Words(step.argument);
        if (step.verb == "press" && (words.empty() || std::find(kKeyNames.begin(), kKeyNames.end(),
                                                                words[0]) == kKeyNames.end()))
            return {Unreadable(where + "no key " + step.argument)};
        scenarios.back().steps.push_back(std::move(step));
    }
    if (scenarios.empty()) return {Unreadable(std::string("no scenario in ") + path)};
    return scenarios;
}

Scenario FindScenario(const char* path, std::string_view name) {
    for (Scenario& scenario : LoadScenarios(path)) {
        if (scenario.name == name) return scenario;
    }
    return Unreadable("no scenario " + std::string(name));
}

void RunScenario(const Scenario& scenario, Window& window) {
    for (const Step& step : scenario.steps) {
        SCOPED_TRACE("window.scenarios line " + std::to_string(step.line) + ": " + step.verb + " " +
                     step.argument);
        Run(step, window);
    }
    EXPECT_EQ(window.takeFailures(false), std::vector<std::string>{}) << "no failure expected";
}

}  // namespace pelmora::scenarios
