#pragma once

#include <ostream>
#include <vector>

#include "scenario_run.h"
#include "scenarios.h"

namespace quorvane::bench {

struct ScenarioOutcome {
    Scenario scenario;
    RunResult result;
};

// The table of errors with and without compensation, as Markdown, then each scenario's
// problems. True when every scenario with a target met it and none had problems.
bool printReport(std::ostream& out, const std::vector<ScenarioOutcome>& outcomes);

}  // namespace quorvane::bench
