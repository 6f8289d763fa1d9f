#include "keeping/keeping_engine.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr double kMsPerSecondPerPpm = 1e-3;

}  // namespace

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
    largeRun_ = 0;
    setWanted_ = false;
    measured_ = false;
}

double KeepingEngine::trimmedMsAt(double atS) const {
    return trimmedMs_ + trimPpm_ * kMsPerSecondPerPpm * (atS - trimSinceS_);
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
    if (fit_.add({atS, offsetMs - trimmedMsAt(atS)}) == BinVerdict::Stepped) {
        restart();
        pending_ = KeepingEvent::StepFound;
    }
}

void KeepingEngine::stepped(double stepMs) {
    fit_.shift(stepMs);
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
            action.event = KeepingEvent::Resumed;
        }
        if (const std::optional<double> trusted = fit_.trustedRatePpm();
            trusted && std::abs(*trusted) <= kLimitPpm) {
            driftPpm_ = *trusted;
            driftKnown_ = true;
        }
        if (fit_.freshBins() >= 3) {
            offsetMs_ = *fit_.phaseAt(nowS, driftPpm_) + trimmedMsAt(nowS);
            if (!measured_) {
                measured_ = true;
                action.event = KeepingEvent::Measured;
                if (std::abs(offsetMs_) >= kSetAfterRestartMs) {
                    action.setClock = true;
                    action.offsetMs = offsetMs_;
                    return action;
                }
            }
            target = trimFor(driftPpm_, offsetMs_);
        }
    }
    target = std::clamp(target, -kLimitPpm, kLimitPpm);
    if (std::abs(target - trimPpm_) >= kSameTrimPpm) {
        action.trimPpm = target;
    }
    return action;
}

}  // namespace quorvane
