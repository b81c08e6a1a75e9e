// Every window scenario (tests/scenarios/window.scenarios) in the browser: the page in headless
// Chromium, driven with real input by tests/web/page.py, which this adapter talks to over two
// pipes. One Chromium for all scenarios; each scenario opens the page afresh.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/scenarios/scenario_runner.h"
#include "view/control_table.h"

extern char** environ;

namespace pelmora::web {
namespace {

// page.py's answer lines, with its escapes (\\, \n, \r) undone.
std::string Unescaped(const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            text += line[i];
            continue;
        }
        const char next = line[++i];
        text += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return text;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> pieces(1);
    for (const char c : line) {
        if (c == '\t') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    return pieces;
}

// The page.py process: a command a line on its standard input, each answer ended by "done".
class PageDriver {
public:
    PageDriver() {
        std::array<int, 2> commands{}, answers{};
        if (pipe(commands.data()) != 0 || pipe(answers.data()) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, commands[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, answers[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, commands[1]);
        posix_spawn_file_actions_addclose(&actions, answers[0]);
        std::array<const char*, 5> argv{PELMORA_PYTHON, PELMORA_PAGE_DRIVER, "adapter",
                                        PELMORA_WEB_SITE, nullptr};
        m_started = posix_spawn(&m_pid, argv[0], &actions, nullptr,
                                const_cast<char* const*>(argv.data()), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(commands[0]);
        close(answers[1]);
        m_to = fdopen(commands[1], "w");
        m_from = fdopen(answers[0], "r");
    }
    ~PageDriver() {
        if (m_to) std::fclose(m_to);  // the end of its input ends it
        if (m_from) std::fclose(m_from);
        if (m_started) waitpid(m_pid, nullptr, 0);
    }
    PageDriver(const PageDriver&) = delete;
    PageDriver& operator=(const PageDriver&) = delete;

    std::vector<std::string> ask(const std::string& command) {
        std::vector<std::string> lines;
        if (!m_started || !m_to || !m_from) return {"page.py did not start"};
        std::fputs((command + "\n").c_str(), m_to);
        std::fflush(m_to);
        char* line = nullptr;
        std::size_t size = 0;
        for (ssize_t length; (length = getline(&line, &size, m_from)) > 0;) {
            std::string got(line, static_cast<std::size_t>(length) - 1);
            if (got == "done") break;
            lines.push_back(got);
        }
        std::free(line);
        return lines;
    }

private:
    pid_t m_pid = 0;
    bool m_started = false;
    std::FILE* m_to = nullptr;
    std::FILE* m_from = nullptr;
};

struct PageState {
    std::vector<std::string> texts, enabled, locked, selected;
    std::string focus, statement;
};

class WebScenarioWindow : public scenarios::Window {
public:
    explicit WebScenarioWindow(PageDriver& driver) : m_driver(driver) {
        EXPECT_EQ(m_driver.ask("open"), std::vector<std::string>{}) << "the page opens";
    }

    void click(const std::string& control) override { act("click " + control); }
    void typeKeys(std::string_view text) override { act("keys " + std::string(text)); }
    void press(scenarios::Key key) override {
        static constexpr std::array<const char*, 13> kNames = {
            "Tab",  "Shift+Tab", "Space", "Enter", "Escape",    "Up",    "Down",
            "Left", "Right",     "Home",  "End",   "Backspace", "Delete"};
        act(std::string("press ") + kNames.at(static_cast<std::size_t>(key)));
    }

    std::string fieldText(int field) override { return at(state().texts, field); }
    bool fieldEnabled(int field) override { return at(state().enabled, field) == "1"; }
    bool fieldLocked(int field) override { return at(state().locked, field) == "1"; }
    bool optionSelected(int option) override { return at(state().selected, option) == "1"; }
    std::string focusName() override { return state().focus; }
    bool statementIntact() override {
        std::string own(view::kTaskStatement);
        for (std::size_t at; (at = own.find("\r\n")) != std::string::npos;)
            own.erase(at, 1);  // a text area keeps line feeds alone
        return state().statement == own;
    }
    std::vector<std::string> takeFailures(bool expected) override {
        m_state.reset();
        std::vector<std::string> failures;
        for (const std::string& line : m_driver.ask(expected ? "failures 1" : "failures 0"))
            failures.push_back(Unescaped(line));
        return failures;
    }
    std::string await(const std::string& wanted,
                      const std::function<std::string()>& describe) override {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        std::string got = describe();
        while (got != wanted && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            m_state.reset();
            got = describe();
        }
        return got;
    }

private:
    static std::string at(const std::vector<std::string>& values, int index) {
        return index >= 0 && static_cast<std::size_t>(index) < values.size()
                   ? values[static_cast<std::size_t>(index)]
                   : "(missing)";
    }
    void act(const std::string& command) {
        m_state.reset();
        EXPECT_EQ(m_driver.ask(command), std::vector<std::string>{}) << command;
    }
    const PageState& state() {
        if (!m_state) {
            const std::vector<std::string> lines = m_driver.ask("state");
            m_state.emplace();
            if (lines.size() == 6) {
                m_state->texts = Split(lines[0]);
                for (std::string& text : m_state->texts)
                    text = Unescaped(text);
                m_state->enabled = Split(lines[1]);
                m_state->locked = Split(lines[2]);
                m_state->selected = Split(lines[3]);
                m_state->focus = lines[4];
                m_state->statement = Unescaped(lines[5]);
            } else {
                ADD_FAILURE() << "the page's state cannot be read (" << lines.size() << " lines)";
            }
        }
        return *m_state;
    }

    PageDriver& m_driver;
    std::optional<PageState> m_state;
};

class WebScenario : public ::testing::TestWithParam<scenarios::Scenario> {
public:
    static void SetUpTestSuite() { driver = new PageDriver; }
    static void TearDownTestSuite() {
        delete driver;
        driver = nullptr;
    }

protected:
    static PageDriver* driver;
};

PageDriver* WebScenario::driver = nullptr;

TEST_P(WebScenario, Runs) {
    WebScenarioWindow window(*driver);
    scenarios::RunScenario(GetParam(), window);
}

INSTANTIATE_TEST_SUITE_P(Table, WebScenario,
                         ::testing::ValuesIn(scenarios::LoadScenarios(PELMORA_SCENARIOS)),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace pelmora::web
