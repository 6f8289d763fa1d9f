// Standing aside for another program that sets the clock or steers its rate, or for another copy
// that keeps time: two programs taking turns would fill the log within hours.

#include <algorithm>
#include <cmath>

#include "clock/clock_notices.h"
#include "clock/drift_keeping.h"

namespace quorvane {

namespace {

// Moves of the clock this soon after the program's own setting are another program's answer.
constexpr std::chrono::minutes kAnsweredWithin{5};
constexpr int kMovesToStandAside = 2;
constexpr std::chrono::minutes kFirstBackOff{10};
constexpr std::chrono::minutes kLongestBackOff{24 * 60};
// Left alone this long after looking again, the clock is the program's again.
constexpr std::chrono::hours kCalmAfterLook{1};
// Closer than this, the rate read back is the one the program set (the system rounds it).
constexpr double kSameRatePpm = 0.01;

struct AsideText {
    const char* sentence;  // the tooltip, and the notification
    const char* more;      // what the log adds
};

AsideText textFor(KeepingAsideFor why) {
    switch (why) {
        case KeepingAsideFor::ClockSetter:
            return {"Another program is setting this computer's clock; Quorvane leaves it alone",
                    "it keeps no time between settings and looks again later; the daily setting "
                    "and SET TIME work as before"};
        case KeepingAsideFor::RateSteerer:
            return {
                "Another program steers the rate of this computer's clock; Quorvane leaves "
                "it alone",
                "it keeps no time between settings and looks again later; the daily setting "
                "and SET TIME work as before"};
        case KeepingAsideFor::OtherCopy:
            break;
    }
    return {
        "Another copy of Quorvane keeps time on this computer; this one leaves the clock's "
        "rate alone",
        "only one copy may steer the clock's rate; this one still sets the clock daily and at "
        "SET TIME"};
}

}  // namespace

void standAside(Form1& f, KeepingAsideFor why) {
    const AsideText text = textFor(why);
    if (why == KeepingAsideFor::RateSteerer) {
        f.KeepingTrimmed = false;  // the rate in force is the other program's: hands off
    } else {
        letGoOfRate(f, "another program sets the clock");
    }
    f.KeepingAside = text.sentence;
    const std::chrono::minutes wait = f.KeepingBackOff;
    f.KeepingLookAgain = f.clock().monotonicNow() + wait;
    if (why != KeepingAsideFor::OtherCopy) {
        f.KeepingBackOff = std::min(f.KeepingBackOff * 2, kLongestBackOff);
    }
    const auto bit = 1u << static_cast<unsigned>(why);
    if ((f.KeepingToldAside & bit) == 0) {
        f.KeepingToldAside |= bit;
        notifyAndLog(
            f,
            {std::string(text.sentence) + ".", std::string(text.sentence) + ": " + text.more + "."},
            kNoticeWarning);
    } else if (why != KeepingAsideFor::OtherCopy) {
        // The other copy is looked for every 10 minutes, quietly: it may run for months.
        f.logEvent("Keeping time stands aside again; it looks again in " +
                   std::to_string(wait.count()) + " minutes");
    }
}

void lookAgainWhenDue(Form1& f, MonoTime now) {
    if (!f.KeepingAside.empty() && f.KeepingLookAgain && now >= *f.KeepingLookAgain) {
        f.KeepingAside.clear();
        f.KeepingLookAgain.reset();
        f.KeepingLookedAt = now;
        startKeeping(f, false);
    } else if (f.KeepingAside.empty() && f.KeepingLookedAt &&
               now - *f.KeepingLookedAt >= kCalmAfterLook) {
        f.KeepingLookedAt.reset();
        f.KeepingBackOff = kFirstBackOff;
        f.KeepingMovedAway = 0;
        f.logEvent("Keeping time: no other program has moved the clock for an hour");
    }
}

bool rateSteeredElsewhere(Form1& f) {
    if (!f.KeepingTrimmed) {
        return false;
    }
    const ClockDiscipline state = f.clock().discipline();
    return state.known && std::abs(state.frequencyPpm - f.KeepingSetRatePpm) > kSameRatePpm;
}

bool movedAwayAgain(Form1& f, KeepingEvent event, MonoTime now) {
    if (event != KeepingEvent::LargeOffset && event != KeepingEvent::StepFound) {
        return false;
    }
    if (!f.LastClockSetting || now - f.LastClockSetting->at > kAnsweredWithin) {
        f.KeepingMovedAway = 0;  // a move of its own, not an answer
        return false;
    }
    return ++f.KeepingMovedAway >= kMovesToStandAside;
}

}  // namespace quorvane
