#pragma once

#include <optional>

#include "keeping/early_line.h"
#include "keeping/rate_fit.h"

namespace quorvane {

// Drift, throughout: how fast the clock runs when nothing trims it, in parts per million,
// positive when it gains. A trim is the rate change asked of the system (positive runs the
// clock faster), so the trim that keeps time is the drift negated.

// What the engine has just found, for the log.
enum class KeepingEvent {
    None,
    Measured,     // the first offset after a (re)start is known: keeping proper begins
    LargeOffset,  // the clock is 0.5 s or more off: one setting ends it
    StepFound,    // the clock stepped by a small amount: the estimate starts afresh
    Paused,       // no valid burst for a while: the last rate holds
    Resumed,      // bursts again
};

// What the window should do at this tick.
struct KeepingAction {
    KeepingEvent event = KeepingEvent::None;
    bool setClock = false;          // end the offset with one ordinary clock setting
    std::optional<double> trimPpm;  // ask the system for this trim
    double offsetMs = 0;            // with LargeOffset and setClock: the offset found
};

// Keeps the clock between settings from one offset sample per burst. The drift comes from a
// robust fit of the clock's free-running phase; the trim asked is the drift negated plus a
// correction that takes the offset to zero over a few minutes. A step of the clock is never
// taken for drift: known steps (the program's own settings) are taken out of the phase, others
// restart the estimate, and the rate learned before holds meanwhile.
class KeepingEngine {
public:
    static constexpr double kLimitPpm = 500;
    // The most a starting value may claim: more is no working clock.
    static constexpr double kPlausiblePpm = 250;
    static constexpr double kLargeOffsetMs = 500;
    // Samples in a row that must agree on a large offset; fewer is a bad burst.
    static constexpr int kLargeSamples = 3;
    // The first offset measured after a restart, a resume or a lost fix is ended by a setting
    // from this on: slewing it would take longer than the two minutes a resume may cost.
    static constexpr double kSetAfterRestartMs = 20;
    // The offset is taken to zero over a few times this: quick enough to end what a daily
    // setting from one jittering burst leaves, slow enough not to follow a burst's jitter.
    static constexpr double kCorrectionS = 60;
    static constexpr double kFixLostAfterS = 10;
    static constexpr double kSameTrimPpm = 0.001;
    // How well a drift is known before it is measured: from the last run, or not at all (any
    // working clock is within this).
    static constexpr double kKnownWithinPpm = 2;
    static constexpr double kUnknownWithinPpm = 100;

    // Begins afresh with the trim in force and a starting drift, if one is known (an
    // implausible one is not).
    void start(double nowS, std::optional<double> startDriftPpm, double trimInForcePpm);
    // Forgets the fit (a resume, a new receiver delay); the drift learned holds meanwhile.
    void restart();
    // One burst: the computer's clock minus true time when the burst began.
    void sample(double atS, double offsetMs);
    // A clock setting moved the clock by stepMs (value set minus reading).
    void stepped(double stepMs);
    // The system took the trim.
    void trimApplied(double nowS, double ppm);
    KeepingAction tick(double nowS);

    bool keeping() const { return measured_ && !paused_; }
    bool paused() const { return paused_; }
    double driftPpm() const { return driftPpm_; }
    // The drift, once known: given at the start or measured since.
    std::optional<double> knownDriftPpm() const {
        return driftKnown_ ? driftPpm_ : std::optional<double>();
    }
    double trimPpm() const { return trimPpm_; }
    // The offset last estimated; nullopt until measured.
    std::optional<double> offsetMs() const {
        return measured_ ? offsetMs_ : std::optional<double>();
    }

    // The offset the recent bursts agree on at a moment, once the rate is trusted: what a
    // setting of the clock should take out, rather than one burst's. nullopt before.
    std::optional<double> soundOffsetMsAt(double atS) const;

private:
    double trimmedMsAt(double atS) const;

    RateFit fit_;
    EarlyLine early_;
    double driftPpm_ = 0;
    bool driftKnown_ = false;
    double trimPpm_ = 0;
    double trimSinceS_ = 0;
    double trimmedMs_ = 0;  // the phase the trims added, up to trimSinceS_
    double offsetMs_ = 0;
    std::optional<double> lastSampleS_;
    int largeRun_ = 0;
    double largeOffsetMs_ = 0;
    bool setWanted_ = false;
    bool measured_ = false;
    bool paused_ = false;
    KeepingEvent pending_ = KeepingEvent::None;
};

// The trim that keeps time for a drift and an offset, within the system's bound.
double trimFor(double driftPpm, double offsetMs);

}  // namespace quorvane
