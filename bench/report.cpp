#include "report.h"

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

}  // namespace

bool printReport(std::ostream& out, const std::vector<ScenarioOutcome>& outcomes) {
    out << "| Scenario | n | median | 95% | worst | median, uncompensated | 95%, uncompensated"
           " | worst, uncompensated | stamp late: median / worst | loop hold-up, longest"
           " | target median / worst | met |\n"
        << "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|:-:|\n";
    bool allMet = true;
    for (const auto& [scenario, result] : outcomes) {
        const Summary error = summaryOf(result.samples, [](const Sample& s) { return s.errorMs; });
        const Summary off =
            summaryOf(result.samples, [](const Sample& s) { return s.uncompensatedMs; });
        const Summary late =
            summaryOf(result.samples, [](const Sample& s) { return s.stampLateMs; });
        std::string target = "none", met = "-";
        if (scenario.target) {
            target = number(scenario.target->medianMs) + " / " + number(scenario.target->worstMs);
            const bool ok = error.count > 0 &&
                            std::fabs(error.median) <= scenario.target->medianMs &&
                            error.worst <= scenario.target->worstMs;
            met = ok ? "yes" : "NO";
            allMet = allMet && ok;
        }
        out << "| " << scenario.title << " | " << error.count << " | " << number(error.median)
            << " | " << number(error.p95) << " | " << number(error.worst) << " | "
            << number(off.median) << " | " << number(off.p95) << " | " << number(off.worst) << " | "
            << number(late.median) << " / " << number(late.worst) << " | "
            << number(result.longestLoopDelayMs) << " | " << target << " | " << met << " |\n";
    }
    out << "\nAll figures in milliseconds. Error = value set − (true time − the simulator's burst "
           "delay); median signed (negative: set behind), 95% and worst of the magnitude. "
           "Uncompensated: the fix's whole second set unchanged. Stamp late: the fix's burst "
           "stamp after the burst's true start. Loop hold-up: how late the event loop ran a 5 ms "
           "timer, at worst.\n";
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
