#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace quorvane::bench {

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return std::string(text) == "-0.0" ? "0.0" : text;
}

Summary summaryOf(const std::vector<Sample>& samples,
                  const std::function<double(const Sample&)>& pick) {
    std::vector<double> values;
    for (const Sample& sample : samples) {
        values.push_back(pick(sample));
    }
    return summarize(values);
}

// At least this share of the triggers set the clock (all of them but where the program is
// stopped now and then and waits for a burst it can vouch for).
constexpr double kSetShare = 0.9;

double setShare(const RunResult& result) {
    return result.triggers == 0 ? 1.0
                                : static_cast<double>(result.triggersSet) / result.triggers;
}

// Whether the target is met: |median| and worst within it, and enough triggers set.
bool meets(const std::optional<Target>& target, const Summary& error, const RunResult& result) {
    return !target || (error.count > 0 && std::fabs(error.median) <= target->medianMs &&
                       error.worst <= target->worstMs && setShare(result) >= kSetShare);
}

std::string setText(const RunResult& result) {
    return std::to_string(result.triggersSet) + " / " + std::to_string(result.triggers);
}

// The scenarios that measure the receiver delay, against true time, before and after.
bool printDelayTable(std::ostream& out, const std::vector<ScenarioOutcome>& outcomes) {
    bool any = false, allMet = true;
    for (const auto& [scenario, result] : outcomes) {
        if (!scenario.measureDelay) {
            continue;
        }
        if (!any) {
            out << "\n| Scenario | n before / after | before: median / worst | Measure Now said"
                   " | after: median | 95% | worst | set / triggered | target median / worst | "
                   "met |\n"
                << "|---|--:|--:|---|--:|--:|--:|--:|--:|:-:|\n";
            any = true;
        }
        auto trueError = [](const Sample& sample) { return sample.trueErrorMs; };
        const Summary before = summaryOf(result.before, trueError);
        const Summary after = summaryOf(result.samples, trueError);
        const bool ok = meets(scenario.target, after, result);
        allMet = allMet && ok;
        std::string said = result.measurement;
        std::replace(said.begin(), said.end(), '\n', ' ');
        out << "| " << scenario.title << " | " << before.count << " / " << after.count << " | "
            << number(before.median) << " / " << number(before.worst) << " | " << said << " | "
            << number(after.median) << " | " << number(after.p95) << " | " << number(after.worst)
            << " | " << setText(result) << " | " << number(scenario.target->medianMs) << " / "
            << number(scenario.target->worstMs) << " | " << (ok ? "yes" : "NO") << " |\n";
    }
    if (any) {
        out << "\nAgainst true time: value set − true time, in milliseconds (negative: set "
               "behind). Before: no receiver delay known. After: the delay the program's own "
               "\"Measure Now\" found, measured against the true clock.\n";
    }
    return allMet;
}

// Today's table: the error against the time the fix names, with and without compensation.
bool printCompensationTable(std::ostream& out, const std::vector<ScenarioOutcome>& outcomes) {
    bool any = false, allMet = true;
    for (const auto& [scenario, result] : outcomes) {
        if (scenario.measureDelay) {
            continue;
        }
        if (!any) {
            out << "| Scenario | n | median | 95% | worst | median, uncompensated | 95%, "
                   "uncompensated | worst, uncompensated | stamp late: median / worst | loop "
                   "hold-up, longest | set / triggered | target median / worst | met |\n"
                << "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|:-:|\n";
            any = true;
        }
        const Summary error = summaryOf(result.samples, [](const Sample& s) { return s.errorMs; });
        const Summary off =
            summaryOf(result.samples, [](const Sample& s) { return s.uncompensatedMs; });
        const Summary late =
            summaryOf(result.samples, [](const Sample& s) { return s.stampLateMs; });
        std::string target = "none", met = "-";
        if (scenario.target) {
            target = number(scenario.target->medianMs) + " / " + number(scenario.target->worstMs);
            const bool ok = meets(scenario.target, error, result);
            met = ok ? "yes" : "NO";
            allMet = allMet && ok;
        }
        out << "| " << scenario.title << " | " << error.count << " | " << number(error.median)
            << " | " << number(error.p95) << " | " << number(error.worst) << " | "
            << number(off.median) << " | " << number(off.p95) << " | " << number(off.worst) << " | "
            << number(late.median) << " / " << number(late.worst) << " | "
            << number(result.longestLoopDelayMs) << " | " << setText(result) << " | " << target
            << " | " << met << " |\n";
    }
    if (any) {
        out << "\nAll figures in milliseconds. Error = value set − (true time − the simulator's "
               "burst delay); median signed (negative: set behind), 95% and worst of the "
               "magnitude. Uncompensated: the fix's whole second set unchanged. Stamp late: the "
               "fix's burst stamp after the burst's true start. Loop hold-up: how late the event "
               "loop ran a 5 ms timer, at worst. Set / triggered: presses of SET TIME (or "
               "scheduled ticks) that a setting followed before any refusal, against all "
               "presses (a press while another waits for a burst joins its wait); at least 9 in "
               "10 must set.\n";
    }
    return allMet;
}

}  // namespace

bool printReport(std::ostream& out, const std::vector<ScenarioOutcome>& outcomes) {
    bool allMet = printCompensationTable(out, outcomes);
    allMet = printDelayTable(out, outcomes) && allMet;
    for (const auto& [scenario, result] : outcomes) {
        out << "\n" << scenario.title << " (" << triggerText(scenario.trigger) << "): ";
        if (result.problems.empty()) {
            out << "no problems.\n";
            continue;
        }
        allMet = false;
        out << result.problems.size() << " problem(s):\n";
        for (std::size_t i = 0; i < result.problems.size() && i < 10; ++i) {
            out << "  - " << result.problems[i] << "\n";
        }
    }
    return allMet;
}

}  // namespace quorvane::bench
