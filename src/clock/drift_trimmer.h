#pragma once

#include <optional>
#include <string>

#include "platform/system_clock.h"

namespace quorvane {

// What bringing the clock's rate in line did.
struct TrimResult {
    enum class Kind {
        Unchanged,     // the rate already is what it should be, or nothing is learned yet
        Trimmed,       // the rate now carries the trim `ppm` (0: put back)
        Disciplined,   // another program keeps the clock: its rate was left alone
        NotPermitted,  // no right to change the rate
        Failed,        // any other refusal
    };
    Kind kind = Kind::Unchanged;
    double ppm = 0;
    std::string detail;  // the system's reason for a refusal
};

// Keeps the clock's rate trimmed against the learned drift while the option is on, and puts
// back what it changed when the option goes off. Tracks the trim in force, so each interval
// between settings knows what it ran under.
class DriftTrimmer {
public:
    // The most any system is asked to trim; the Linux kernel's own bound.
    static constexpr double kLimitPpm = 500;

    // Takes the trim in force from the system where it says (a trim left by an earlier run).
    void start(SystemClock& clock);
    // The rate for the option's state and the drift learned; driftPpm nullopt: nothing learned.
    TrimResult follow(SystemClock& clock, bool keepTime, std::optional<double> driftPpm);

    double trimInForce() const { return trimPpm_; }
    // False when the trim changed since the interval began.
    bool steady() const { return steady_; }
    // A setting begins a new interval; a trim changed right after it belongs to the new one.
    void beginInterval() { steady_ = true; }
    bool trimmedByUs() const { return trimmedByUs_; }

private:
    double trimPpm_ = 0;
    bool steady_ = true;
    bool trimmedByUs_ = false;
};

// The trim that keeps time for a drift, within the bound.
double trimFor(double driftPpm);

}  // namespace quorvane
