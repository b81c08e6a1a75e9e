// Every window scenario (tests/scenarios/window.scenarios) in the Qt window, one test each.
#include "tests/window_fixture.h"

namespace pelmora::qt {
namespace {

using namespace pelmora::qt::testing;

class WindowScenario : public WindowTest,
                       public ::testing::WithParamInterface<scenarios::Scenario> {};

TEST_P(WindowScenario, Runs) {
    QtScenarioWindow adapter(*this);
    scenarios::RunScenario(GetParam(), adapter);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowScenario,
                         ::testing::ValuesIn(scenarios::LoadScenarios(PELMORA_SCENARIOS)),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace pelmora::qt
