#pragma once

#include <cstdint>

#include "platform/system_clock.h"

namespace quorvane::bench {

// How the simulated computer's oscillator runs against true time.
struct Oscillator {
    double driftPpm = 0;       // gains this much on the first day
    double dailySwingPpm = 1;  // plus or minus, warmest mid-afternoon
    double ageingPpmPerDay = 0.2;
};

// A clock that drifts against true time, which only the simulation knows. Its zone is UTC, the
// monotonic clock runs with true time, and the rate trim it is given adds to its drift.
class DriftingClock : public SystemClock {
public:
    DriftingClock(Oscillator oscillator, std::int64_t startUtcMs);

    // One second of true time passes.
    void tick();
    std::int64_t trueMs() const { return trueMs_; }
    // The clock's reading minus true time.
    double offsetSeconds() const { return offset_; }
    int setCount() const { return sets_; }

    // What the window sees: the drifting reading, in UTC.
    DateTime localNow() override;
    MonoTime monotonicNow() override;
    TimeZoneInformation timeZoneInformation() override;
    // The reading jumps to the value set; the trim is taken as asked, and nobody else
    // disciplines this clock.
    ClockSetResult setUtc(const DateTime& utc) override;
    ClockSetResult setFrequencyPpm(double ppm) override;
    ClockDiscipline discipline() override;

private:
    double rateAt(std::int64_t elapsedMs) const;

    Oscillator oscillator_;
    std::int64_t startMs_;
    std::int64_t trueMs_;
    double offset_ = 0;
    double trimPpm_ = 0;
    int sets_ = 0;
};

}  // namespace quorvane::bench
