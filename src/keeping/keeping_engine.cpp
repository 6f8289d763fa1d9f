#include "keeping/keeping_engine.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

double trimFor(double driftPpm, double offsetMs) {
    const double correctionPpm = offsetMs / KeepingEngine::kCorrectionS / kMsPerSecondPerPpm;
    return std::clamp(-driftPpm - correctionPpm, -KeepingEngine::kLimitPpm,
                      KeepingEngine::kLimitPpm);
}

void KeepingEngine::start(double nowS, std::optional<double> startDriftPpm, double trimInForcePpm) {
    driftKnown_ = startDriftPpm && std::abs(*startDriftPpm) <= kPlausiblePpm;
    driftPpm_ = driftKnown_ ? *startDriftPpm : 0;
    trimPpm_ = trimInForcePpm;
    trimSinceS_ = nowS;
    trimmedMs_ = 0;
    lastSampleS_.reset();
    paused_ = false;
    restart();
}

void KeepingEngine::restart() {
    fit_.clear();
    early_.clear();
    largeRun_ = 0;
    setWanted_ = false;
    measured_ = false;
}

double KeepingEngine::trimmedMsAt(double atS) const {
    return trimmedMs_ + trimPpm_ * kMsPerSecondPerPpm * (atS - trimSinceS_);
}

std::optional<double> KeepingEngine::soundOffsetMsAt(double atS) const {
    if (!measured_ || paused_ || !fit_.trustedRatePpm() || fit_.freshBins() < 3) {
        return std::nullopt;
    }
    return *fit_.phaseAt(atS, driftPpm_) + trimmedMsAt(atS);
}

void KeepingEngine::trimApplied(double nowS, double ppm) {
    trimmedMs_ = trimmedMsAt(nowS);
    trimSinceS_ = nowS;
    trimPpm_ = ppm;
}

void KeepingEngine::sample(double atS, double offsetMs) {
    lastSampleS_ = atS;
    if (setWanted_) {
        return;  // the setting asked for comes first
    }
    if (std::abs(offsetMs) >= kLargeOffsetMs) {
        if (++largeRun_ >= kLargeSamples) {
            restart();
            setWanted_ = true;
            largeOffsetMs_ = offsetMs;
            pending_ = KeepingEvent::LargeOffset;
        }
        return;
    }
    largeRun_ = 0;
    early_.add({atS, offsetMs - trimmedMsAt(atS)});
    if (fit_.add({atS, offsetMs - trimmedMsAt(atS)}) == BinVerdict::Stepped) {
        restart();
        pending_ = KeepingEvent::StepFound;
    }
}

void KeepingEngine::stepped(double stepMs) {
    fit_.shift(stepMs);
    early_.shift(stepMs);
    offsetMs_ += stepMs;
    largeRun_ = 0;
}

KeepingAction KeepingEngine::tick(double nowS) {
    KeepingAction action;
    action.event = pending_;
    pending_ = KeepingEvent::None;
    if (setWanted_) {
        setWanted_ = false;
        action.setClock = true;
        action.offsetMs = largeOffsetMs_;
        return action;
    }
    // Without a drift known, the rate in force holds until one is measured.
    double target = driftKnown_ ? -driftPpm_ : trimPpm_;
    if (!lastSampleS_ || nowS - *lastSampleS_ > kFixLostAfterS) {
        if (!paused_ && lastSampleS_) {
            paused_ = true;
            action.event = KeepingEvent::Paused;
            // The rate over the last whole day, when known: the day's swing cancels in it, so
            // it holds for days where the newest rate would not.
            if (const std::optional<double> daily = fit_.dailyRatePpm()) {
                driftPpm_ = *daily;
                driftKnown_ = true;
            }
            target = driftKnown_ ? -driftPpm_ : trimPpm_;
        }
    } else {
        if (paused_) {
            paused_ = false;
            measured_ = false;
            fit_.restartLine();
            early_.clear();
            action.event = KeepingEvent::Resumed;
        }
        const std::optional<double> trusted = fit_.trustedRatePpm();
        if (trusted && std::abs(*trusted) <= kLimitPpm) {
            driftPpm_ = *trusted;
            driftKnown_ = true;
        }
        // Until the fit trusts a rate, the early line steers: from the first minute on, not
        // after the clock has run off for minutes.
        const std::optional<double> early =
            trusted ? std::nullopt
                    : early_.ratePpm(driftPpm_, driftKnown_ ? kKnownWithinPpm : kUnknownWithinPpm);
        std::optional<double> phase;
        if (early) {
            phase = early_.phaseAt(nowS, *early);
        } else if (fit_.freshBins() >= 3) {
            phase = fit_.phaseAt(nowS, driftPpm_);
        }
        if (phase) {
            offsetMs_ = *phase + trimmedMsAt(nowS);
            if (!measured_ && fit_.freshBins() >= 3) {
                measured_ = true;
                action.event = KeepingEvent::Measured;
                if (std::abs(offsetMs_) >= kSetAfterRestartMs) {
                    action.setClock = true;
                    action.offsetMs = offsetMs_;
                    return action;
                }
            }
            // A large first offset is ended by a setting once measured, not slewed meanwhile.
            if (measured_ || std::abs(offsetMs_) < kSetAfterRestartMs) {
                target = trimFor(early.value_or(driftPpm_), offsetMs_);
            }
        }
    }
    target = std::clamp(target, -kLimitPpm, kLimitPpm);
    if (std::abs(target - trimPpm_) >= kSameTrimPpm) {
        action.trimPpm = target;
    }
    return action;
}

}  // namespace quorvane
