#include <gtest/gtest.h>

#include <cmath>

#include "clock/drift_learner.h"
#include "clock/drift_trimmer.h"

namespace quorvane::testing {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kDayMs = 24 * kHourMs;

TEST(DriftEstimate, SignsFollowTheClockAndTheTrim) {
    struct Case {
        std::int64_t offsetMs;  // set minus reading
        double hours;
        double trimPpm;
        double driftPpm;
        const char* what;
    };
    const Case cases[] = {
        {-864, 24, 0, 10, "a clock found 0.864 s ahead after a day gains 10 ppm"},
        {1728, 24, 0, -20, "a clock found 1.728 s behind after a day loses 20 ppm"},
        {0, 24, -10, 10, "trimmed by -10 ppm and found right: it gains 10 ppm untrimmed"},
        {-432, 24, -10, 15, "trimmed by -10 ppm and still 5 ppm ahead"},
        {-180, 6, 0, 8.333333, "six hours count as well as a day"},
    };
    for (const Case& c : cases) {
        const auto estimate = DriftLearner::estimate(c.offsetMs, c.hours * kHourMs, c.trimPpm);
        ASSERT_TRUE(estimate) << c.what;
        EXPECT_NEAR(*estimate, c.driftPpm, 1e-5) << c.what;
        // The trim that keeps time runs against the drift.
        EXPECT_NEAR(trimFor(*estimate), -c.driftPpm, 1e-5) << c.what;
    }
    EXPECT_FALSE(DriftLearner::estimate(100, 0, 0));
    EXPECT_EQ(trimFor(700), -500);
    EXPECT_EQ(trimFor(-700), 500);
}

// Feeds settings one day apart, each found offset from the drift given (ppm, untrimmed).
struct Feed {
    DriftLearner learner;
    std::int64_t utcMs = 1'800'000'000'000;
    DriftObservation after(double driftPpm, std::int64_t intervalMs = kDayMs, double trim = 0) {
        utcMs += intervalMs;
        const auto offset =
            std::llround(-(driftPpm + trim) * 1e-6 * static_cast<double>(intervalMs));
        return learner.observe({offset, utcMs, trim, true});
    }
};

TEST(DriftLearning, KeepsOutWhatCannotBeDriftAndTrimsByTheNewestDay) {
    using Kind = DriftObservation::Kind;
    Feed feed;
    EXPECT_EQ(feed.learner.observe({0, feed.utcMs, 0, true}).kind, Kind::First);
    EXPECT_FALSE(feed.learner.driftPpm());

    // Fewer than 6 hours since the previous setting: no estimate, but the interval restarts.
    EXPECT_EQ(feed.after(30, 6 * kHourMs - 1).kind, Kind::TooSoon);
    EXPECT_EQ(feed.after(30, 6 * kHourMs).kind, Kind::Accepted);
    // Short intervals are weighed by their length until a day is covered: 6 h of 30 ppm and
    // 12 h of 27, then a day of 33 ppm alone.
    EXPECT_EQ(feed.after(27, 12 * kHourMs).kind, Kind::Accepted);
    EXPECT_NEAR(*feed.learner.driftPpm(), 28, 0.01);
    EXPECT_EQ(feed.after(33).kind, Kind::Accepted);
    EXPECT_NEAR(*feed.learner.driftPpm(), 33, 0.01);
    EXPECT_NEAR(*feed.learner.medianPpm(), 30, 0.01);

    // Beyond 500 ppm, or far from the median of those kept: left out, nothing moves.
    EXPECT_EQ(feed.after(900).kind, Kind::Implausible);
    EXPECT_EQ(feed.after(-60).kind, Kind::FarOff);
    EXPECT_EQ(feed.after(36).kind, Kind::FarOff);
    EXPECT_NEAR(*feed.learner.driftPpm(), 33, 0.01);
    // Measured under a trim that changed meanwhile: no estimate either.
    feed.utcMs += kDayMs;
    EXPECT_EQ(feed.learner.observe({0, feed.utcMs, -30, false}).kind, Kind::TrimChanged);

    // A trimmed clock still teaches the untrimmed drift; only the newest seven are kept.
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(feed.after(28, kDayMs, -30).kind, Kind::Accepted);
    }
    EXPECT_EQ(feed.learner.estimates().size(), 7u);
    EXPECT_NEAR(*feed.learner.medianPpm(), 28, 0.01);

    // The drift really changed (the machine moved): three agreeing estimates take over.
    EXPECT_EQ(feed.after(12).kind, Kind::FarOff);
    EXPECT_EQ(feed.after(13).kind, Kind::FarOff);
    EXPECT_EQ(feed.after(12.5).kind, Kind::Replaced);
    EXPECT_NEAR(*feed.learner.driftPpm(), 12.5, 0.01);
    EXPECT_EQ(feed.learner.estimates().size(), 3u);
}

}  // namespace
}  // namespace quorvane::testing
