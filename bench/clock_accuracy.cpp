// clock_accuracy: how true is the clock the program sets? See --help.

#include <QApplication>

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "background_load.h"
#include "report.h"
#include "stalls.h"

namespace {

using namespace quorvane::bench;

// A fixed zone with a half-hour bias, so the bias takes part without the machine's own zone
// deciding the figures.
constexpr const char* kZone = "IST-5:30";

const char* const kHelp =
    R"(clock_accuracy: how true is the clock Quorvane sets from a serial NMEA stream.

Runs nmea-sim on a pseudo-terminal, the real serial component, decoder and "SET TIME" (or the
status timer), with a clock whose setter only records what it was asked to set and the true
time at that moment. It never sets the clock.

Usage: clock_accuracy [options]
  --settings N     settings to record per scenario (default 200, one a second)
  --only KEY,...   run only these scenarios (keys below; receiver-delay: the four
                   that measure the receiver delay, each with --settings before and after)
  --simulator P    the nmea-sim program (default: nmea-sim beside this program)
  --port N         the ComN number the simulator takes (default 240)
  --seed N         seed of the random moments (default 1)
  --view on|off    the program's window (offscreen) repainting on the same thread, and
                   "SET TIME" clicked on its button (default on)
  --stall          stop the program now and then (SIGSTOP for 50 to 400 ms, every 0.3 to
                   1.2 s, at random), as swapping or a paused virtual machine would; a press
                   may then set from the next burst the program can vouch for
  --load L         load beside the program, at normal priority: idle (default), busy:N
                   (N processes that spin all the time) or decoder (one process per core,
                   busy 2.5 s out of every 15 s, all at once)
  --help           this text

Scenarios:
)";

std::filesystem::path besideThisProgram(const char* name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : self.parent_path()) / name;
}

bool listed(std::string_view list, std::string_view key) {
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (list.substr(start, comma - start) == key) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

long numberArgument(const char* flag, const char* text, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        std::cerr << "clock_accuracy: " << flag << " wants a number from " << low << " to " << high
                  << "\n";
        std::exit(2);
    }
    return value;
}

// Two notes every offscreen window prints; anything else Qt says still shows.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QStringLiteral("propagateSizeHints")) ||
        text.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
        return;
    }
    std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("TZ", kZone, 1);
    ::tzset();
    RunConfig config;
    config.simulator = besideThisProgram("nmea-sim");
    std::string only;
    LoadPlan load;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            std::cout << kHelp;
            for (const Scenario& scenario : allScenarios()) {
                std::cout << "  " << scenario.key << ": " << scenario.title << "; "
                          << triggerText(scenario.trigger) << "\n";
            }
            return 0;
        }
        if (flag == "--stall") {
            config.stalls = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "clock_accuracy: unknown option or missing value: " << flag << "\n";
            return 2;
        }
        const char* value = argv[++i];
        if (flag == "--settings") {
            config.settings =
                static_cast<std::size_t>(numberArgument("--settings", value, 1, 100000));
        } else if (flag == "--only") {
            only = value;
        } else if (flag == "--simulator") {
            config.simulator = value;
        } else if (flag == "--port") {
            config.port = static_cast<int>(numberArgument("--port", value, 1, 255));
        } else if (flag == "--view") {
            if (std::string_view(value) != "on" && std::string_view(value) != "off") {
                std::cerr << "clock_accuracy: --view wants on or off\n";
                return 2;
            }
            config.withView = std::string_view(value) == "on";
        } else if (flag == "--load") {
            const auto plan = parseLoad(value);
            if (!plan) {
                std::cerr << "clock_accuracy: --load wants idle, busy:N (1 to 64) or decoder\n";
                return 2;
            }
            load = *plan;
        } else if (flag == "--seed") {
            config.seed = static_cast<std::uint32_t>(numberArgument("--seed", value, 0, 1L << 31));
        } else {
            std::cerr << "clock_accuracy: unknown option " << flag << "\n";
            return 2;
        }
    }

    // The window paints into memory: no display is needed, and none is disturbed.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietOffscreenNotes);
    // Forked before Qt starts its threads; it runs until the report is written.
    const BackgroundLoad background(load);
    const Stalls stalls(config.stalls, config.seed);
    QApplication application(argc, argv);
    std::vector<ScenarioOutcome> outcomes;
    for (const Scenario& scenario : allScenarios()) {
        const bool chosen = listed(only, scenario.key) ||
                            (scenario.measureDelay && listed(only, kReceiverDelayGroup));
        if (!only.empty() && !chosen) {
            continue;
        }
        std::cerr << "running " << scenario.key << ": " << config.settings << " settings, "
                  << triggerText(scenario.trigger) << "\n";
        outcomes.push_back({scenario, runScenario(scenario, config)});
    }
    if (outcomes.empty()) {
        std::cerr << "clock_accuracy: no scenario named in --only " << only << "\n";
        return 2;
    }
    std::cout << "Zone: TZ=" << kZone
              << " (bias -5.5 h). Settings per scenario: " << config.settings
              << ". Window: " << (config.withView ? "on" : "off") << ". Load: " << loadText(load)
              << ". Stalls: " << (config.stalls ? "on" : "off") << ".\n\n";
    return printReport(std::cout, outcomes) ? 0 : 1;
}
