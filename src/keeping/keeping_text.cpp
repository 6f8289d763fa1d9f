#include "keeping/keeping_text.h"

#include <cmath>
#include <cstdio>

namespace quorvane {

namespace {

std::string formatted(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string signedMs(double ms) {
    return formatted("%+.1f ms", ms);
}

std::string numbersText(const KeepingEngine& engine) {
    return "offset " + signedMs(engine.offsetMs().value_or(0)) + ", drift " +
           ppmText(engine.driftPpm()) + ", trim " + ppmText(engine.trimPpm());
}

}  // namespace

std::string ppmText(double ppm) {
    return formatted("%+.1f ppm", ppm);
}

std::string driftText(double driftPpm) {
    return formatted(driftPpm < 0 ? "loses %.1f ppm" : "gains %.1f ppm", std::abs(driftPpm));
}

std::string withinText(double offsetMs) {
    return formatted("%.1f ms", std::abs(offsetMs));
}

std::string keepingStateText(const KeepingEngine& engine, bool handsOff,
                             const std::string& stopped) {
    if (handsOff) {
        return "Keeping time: left to another program that keeps the clock";
    }
    if (!stopped.empty()) {
        return "Keeping time stopped: " + stopped;
    }
    const std::optional<double> known = engine.knownDriftPpm();
    const std::string drift = known ? "the clock " + driftText(*known) : "its drift not known yet";
    if (engine.paused()) {
        return "Keeping time paused, no valid fix; " +
               (known ? "the trim for a clock that " + driftText(*known) + " holds"
                      : std::string("the rate in force holds"));
    }
    if (!engine.keeping()) {
        return "Keeping time: measuring; " + drift;
    }
    return "Keeping time: within " + withinText(*engine.offsetMs()) + "; " + drift;
}

std::string keepingReportText(const KeepingEngine& engine) {
    return "Keeping time: " + numbersText(engine);
}

std::string keepingEventText(const KeepingAction& action, const KeepingEngine& engine) {
    const std::string off = formatted("%.3f s ", std::abs(action.offsetMs) / 1000) +
                            (action.offsetMs < 0 ? "slow" : "fast");
    switch (action.event) {
        case KeepingEvent::None:
            break;
        case KeepingEvent::Measured:
            return action.setClock ? "Keeping time: the clock is " + off + ", set once"
                                   : "Keeping time: measured, " + numbersText(engine);
        case KeepingEvent::LargeOffset:
            return "Keeping time: the clock is " + off + ", set once; the estimate starts afresh";
        case KeepingEvent::StepFound:
            return "Keeping time: the clock was stepped by other means; the estimate starts "
                   "afresh, drift " +
                   ppmText(engine.driftPpm()) + " held meanwhile";
        case KeepingEvent::Paused:
            return engine.knownDriftPpm()
                       ? "Keeping time paused: no valid fix. Until fixes return, the clock's "
                         "rate stays trimmed by " +
                             ppmText(engine.trimPpm()) + " for its drift (it " +
                             driftText(engine.driftPpm()) + ")"
                       : "Keeping time paused: no valid fix. Until fixes return, the rate in "
                         "force holds";
        case KeepingEvent::Resumed:
            return "Keeping time resumed: valid fixes again";
    }
    return {};
}

}  // namespace quorvane
