#pragma once

#include <cstdint>

#include "platform/system_clock.h"

namespace quorvane::bench {

// How the simulated computer's oscillator runs against true time.
struct Oscillator {
    double driftPpm = 20;      // gains this much on the first day
    double dailySwingPpm = 0;  // plus or minus, warmest mid-afternoon
    double ageingPpmPerDay = 0;
    double rateStepPpm = 0;  // added to the drift from rateStepAtMs on
    std::int64_t rateStepAtMs = 0;
    double swingPeriodMs = 86'400'000;  // a day, unless the machine warms and cools faster
};

// A clock that drifts against true time, which only the simulation knows. Its zone is UTC, the
// monotonic clock runs with true time except while suspended, and the rate trim it is given
// adds to its drift. Nobody else disciplines it.
class DriftingClock : public SystemClock {
public:
    DriftingClock(Oscillator oscillator, std::int64_t startUtcMs);

    // One second of true time passes.
    void tick();
    // The computer sleeps: true time runs on, the monotonic clock stands, and the clock comes
    // back `offMs` from true time (the hardware clock it is read back from).
    void suspend(std::int64_t forMs, double offMs);
    // Someone moves the clock by hand.
    void step(double byMs) { offsetMs_ += byMs; }
    std::int64_t trueMs() const { return trueMs_; }
    // The clock's reading minus true time.
    double offsetMs() const { return offsetMs_; }
    int setCount() const { return sets_; }

    DateTime localNow() override;
    MonoTime monotonicNow() override;
    TimeZoneInformation timeZoneInformation() override;
    // The reading jumps to the value set.
    ClockSetResult setUtc(const DateTime& utc) override;
    ClockSetResult setFrequencyPpm(double ppm) override;
    ClockDiscipline discipline() override;
    std::optional<std::chrono::milliseconds> suspendedTime() override;

private:
    double rateAt(std::int64_t elapsedMs) const;

    Oscillator oscillator_;
    std::int64_t startMs_;
    std::int64_t trueMs_;
    std::int64_t suspendedMs_ = 0;
    double offsetMs_ = 0;
    double trimPpm_ = 0;
    int sets_ = 0;
};

}  // namespace quorvane::bench
