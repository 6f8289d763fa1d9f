#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "keeping/keeping_engine.h"
#include "keeping/keeping_text.h"

namespace quorvane::testing {
namespace {

TEST(KeepingTrim, RunsAgainstTheDriftAndTakesTheOffsetOutWithinTheBound) {
    struct Case {
        double driftPpm, offsetMs, trimPpm;
    };
    const Case cases[] = {
        {23.4, 0, -23.4},  // gains: slowed down
        {-20, 0, 20},      // loses: sped up
        {0, 18, -300},     // 18 ms ahead, taken out at 0.3 ms a second
        {10, -9, 140},     // 9 ms behind on a clock that gains 10 ppm
        {700, 0, -500},    // never beyond what the kernel takes
        {-100, -900, 500},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(trimFor(c.driftPpm, c.offsetMs), c.trimPpm, 1e-9)
            << c.driftPpm << " ppm, " << c.offsetMs << " ms";
    }
}

// A clock of a given drift, sampled once a second and steered by the trims the engine asks for.
struct SteeredClock {
    KeepingEngine engine;
    double driftPpm = 0;
    double offsetMs = 0;  // the clock minus true time
    double jitterMs = 0;  // each burst's stamp off by up to this, either way
    double t = 1000;
    std::mt19937 random{7};
    std::vector<KeepingEvent> events;
    int settings = 0;
    double worstMs = 0;  // the largest |offset| since the last reset

    void run(int seconds, double badBurstEveryS = 0) {
        for (int i = 0; i < seconds; ++i, t += 1) {
            offsetMs += (driftPpm + engine.trimPpm()) * 1e-3;
            double seen = offsetMs + std::uniform_real_distribution<>(-jitterMs, jitterMs)(random);
            if (badBurstEveryS > 0 && std::fmod(t, badBurstEveryS) == 0) {
                seen += 300;
            }
            engine.sample(t, seen);
            const KeepingAction action = engine.tick(t + 0.5);
            if (action.event != KeepingEvent::None) {
                events.push_back(action.event);
            }
            if (action.setClock) {
                ++settings;
                engine.stepped(-offsetMs);
                offsetMs = 0;
            } else if (action.trimPpm) {
                engine.trimApplied(t + 0.5, *action.trimPpm);
            }
            worstMs = std::max(worstMs, std::abs(offsetMs));
        }
    }
    bool saw(KeepingEvent e) const { return std::count(events.begin(), events.end(), e) > 0; }
};

TEST(KeepingEngine, LearnsTheDriftRobustlyAndNeverLearnsAStep) {
    struct Case {
        const char* what;
        double driftPpm, startPpm, jitterMs, badBurstEveryS;
        double unknownStepMs;  // set by other means after the first hour
        double driftWithinPpm, worstWithinMs;
        int settings;  // the program's own
        KeepingEvent seen;
    };
    const Case cases[] = {
        {"steady", 23.4, 0, 0, 0, 0, 0.05, 1.5, 0, KeepingEvent::Measured},
        {"losing, with jittering bursts", -100, 0, 20, 0, 0, 0.5, 2, 0, KeepingEvent::Measured},
        {"a bad burst every 7 minutes", 40, 0, 0, 420, 0, 0.05, 1.5, 0, KeepingEvent::Measured},
        {"an implausible start is ignored", 5, 400, 0, 0, 0, 0.05, 1.5, 0, KeepingEvent::Measured},
        {"a small step by other means", 60, 60, 0, 0, 80, 0.05, 2, 1, KeepingEvent::StepFound},
        {"a large step is set once", 60, 60, 0, 0, 2000, 0.05, 2, 1, KeepingEvent::LargeOffset},
    };
    for (const Case& c : cases) {
        SteeredClock clock;
        clock.driftPpm = c.driftPpm;
        clock.jitterMs = c.jitterMs;
        clock.engine.start(clock.t, c.startPpm, 0);
        if (c.startPpm > KeepingEngine::kPlausiblePpm) {
            EXPECT_EQ(clock.engine.driftPpm(), 0) << c.what;
        }
        clock.run(3600, c.badBurstEveryS);
        EXPECT_NEAR(clock.engine.driftPpm(), c.driftPpm, c.driftWithinPpm) << c.what;
        clock.offsetMs += c.unknownStepMs;
        clock.run(300);
        // Never learned as rate, whatever its size.
        EXPECT_NEAR(clock.engine.driftPpm(), c.driftPpm, c.driftWithinPpm) << c.what;
        clock.worstMs = 0;
        clock.run(3600, c.badBurstEveryS);
        EXPECT_LE(clock.worstMs, c.worstWithinMs) << c.what;
        EXPECT_EQ(clock.settings, c.settings) << c.what;
        EXPECT_TRUE(clock.saw(c.seen)) << c.what;
        EXPECT_TRUE(clock.engine.keeping()) << c.what;
    }
}

TEST(KeepingEngine, HoldsTheRateWhileTheFixIsLostAndMeasuresAgainAfter) {
    SteeredClock clock;
    clock.driftPpm = -35;
    clock.engine.start(clock.t, 0, 0);
    clock.run(7200);
    // Ten minutes without a burst: the trim stays against the drift.
    for (int i = 0; i < 600; ++i, clock.t += 1) {
        clock.offsetMs += (clock.driftPpm + clock.engine.trimPpm()) * 1e-3;
        const KeepingAction action = clock.engine.tick(clock.t);
        clock.events.push_back(action.event);
        if (action.trimPpm) {
            clock.engine.trimApplied(clock.t, *action.trimPpm);
        }
    }
    EXPECT_TRUE(clock.engine.paused());
    EXPECT_NEAR(clock.engine.trimPpm(), 35, 0.1);
    EXPECT_LE(std::abs(clock.offsetMs), 1.5);
    clock.run(120);
    EXPECT_TRUE(clock.saw(KeepingEvent::Paused));
    EXPECT_TRUE(clock.saw(KeepingEvent::Resumed));
    EXPECT_TRUE(clock.engine.keeping());
    EXPECT_EQ(clock.settings, 0);
}

TEST(KeepingText, SaysWhatTheDriftsSignMeans) {
    EXPECT_EQ(driftText(12.34), "gains 12.3 ppm");
    EXPECT_EQ(driftText(-5), "loses 5.0 ppm");
    KeepingEngine engine;
    engine.start(0, -12.3, 12.3);
    KeepingAction paused;
    paused.event = KeepingEvent::Paused;
    EXPECT_EQ(keepingEventText(paused, engine),
              "Keeping time paused: no valid fix. Until fixes return, the clock's rate stays "
              "trimmed by +12.3 ppm for its drift (it loses 12.3 ppm)");
    EXPECT_EQ(keepingStateText(engine, false, ""),
              "Keeping time: measuring; the clock loses 12.3 ppm");
    engine.start(0, std::nullopt, 0);
    EXPECT_EQ(keepingStateText(engine, false, ""),
              "Keeping time: measuring; its drift not known yet");
}

}  // namespace
}  // namespace quorvane::testing
