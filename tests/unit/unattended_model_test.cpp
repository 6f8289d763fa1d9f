// Months of unattended running in seconds: the window on a fake port and a computer clock that
// drifts, is set, and changes to and from daylight time, with a receiver burst every simulated
// second. A model of the receiver and the clock says what must happen; the window must match.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "clock/clock_messages.h"
#include "fakes/fakes.h"

namespace quorvane::testing {
namespace {

using std::chrono::milliseconds;

constexpr std::int64_t kMinute = 60'000;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;

std::int64_t utcMs(int year, int month, int day, int hour = 0) {
    return toEpochMilliseconds(DateTime{year, month, day, hour, 0, 0, 0});
}

#if defined(__SANITIZE_ADDRESS__)
#define QUORVANE_MODEL_SHORT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANE_MODEL_SHORT 1
#endif
#endif

// One hour east of Greenwich, with a summer short enough that both changes fall in the run:
// daylight time from 29 November to 27 December, changing at 01:00 UTC. 62 days from 20
// November take some 30 s of one core. Under the address sanitizer a day takes some 10 s, so
// that build runs 4 days from 28 November: the start of daylight time and a month end.
#ifdef QUORVANE_MODEL_SHORT
constexpr int kDays = 4;
const std::int64_t kRunStart = utcMs(2026, 11, 28);
#else
constexpr int kDays = 62;
const std::int64_t kRunStart = utcMs(2026, 11, 20);
#endif
const std::int64_t kSummerStart = utcMs(2026, 11, 29, 1);
const std::int64_t kSummerEnd = utcMs(2026, 12, 27, 1);

// The computer's clock: true time plus an error that grows by a few seconds a day. Setting it
// moves its reading, and its zone follows its own reading, as a real computer's does.
class DriftingClock : public FakeClock {
public:
    std::int64_t trueMs = kRunStart;
    double errorMs = 0;
    double driftPerMs = 3.7 / 86'400.0;  // 3.7 s fast a day

    std::int64_t errorNow() const { return std::llround(errorMs); }
    void run(std::int64_t ms) {
        trueMs += ms;
        errorMs += driftPerMs * static_cast<double>(ms);
        mono += milliseconds(ms);
        refresh();
    }
    ClockSetResult setUtc(const DateTime& utc) override {
        FakeClock::setUtc(utc);
        errorMs = static_cast<double>(toEpochMilliseconds(utc) - trueMs);
        refresh();
        return result;
    }
    void refresh() {
        const std::int64_t reading = trueMs + errorNow();
        const bool summer = reading >= kSummerStart && reading < kSummerEnd;
        zone = {summer ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD, -60, 0, -60};
        local = fromEpochMilliseconds(reading + (summer ? 2 : 1) * kHour);
    }
};

// "$", the body, "*" and its checksum, CR LF.
std::string withChecksum(const char* body) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    unsigned sum = 0;
    for (const char* c = body; *c != '\0'; ++c) {
        sum ^= static_cast<unsigned char>(*c);
    }
    std::string line;
    line.reserve(100);
    line.append("$").append(body);
    return line.append({'*', kHex[sum >> 4], kHex[sum & 15], '\r', '\n'});
}

std::string logStamp(std::int64_t utc) {
    const DateTime t = fromEpochMilliseconds(utc);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    return text;
}

struct Outage {
    std::int64_t from, to;  // true UTC
};

struct UnattendedRun : ::testing::Test {
    FakeSerialPort serial;
    FakeTrayIcon tray;
    FakeBalloon balloon;
    DriftingClock clock;
    FakeRandom random;
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, files, desktop, log}};
    std::mt19937 draws{20261120};

    std::vector<Outage> skyBlocked, unplugged;
    std::int64_t lastBadBurst = kRunStart;  // true time of the last second without a good fix
    std::int64_t lastGoodBurst = 0;

    void SetUp() override {
        clock.refresh();
        files.files[joinPath(files.folder, "Quorvane.XML")] =
            "<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n<GPS_PORT_SPEED>4800</GPS_PORT_SPEED>\r\n"
            "<STARTUP_MODE_TASK_TRAY>True</STARTUP_MODE_TASK_TRAY>\r\n"
            "<STARTUP_MODE_TIME_SYNC>True</STARTUP_MODE_TIME_SYNC>\r\n"
            "<STARTUP_DELAY>False</STARTUP_DELAY>\r\n";
        serial.ports = {1};
        serial.devices = {{1, "/dev/ttyUSB0"}};
        topUpDraws();
        form.EarliestFixDate = DateTime{2026, 1, 1};
        form.Form_Load();
    }
    void topUpDraws() {
        std::uniform_real_distribution<float> r(0.0f, 0.99999f);
        while (random.values.size() < 4) {
            random.values.push_back(r(draws));
        }
    }
    static bool within(const std::vector<Outage>& outages, std::int64_t t) {
        return std::any_of(outages.begin(), outages.end(),
                           [t](const Outage& o) { return t >= o.from && t < o.to; });
    }
    // The receiver's burst at the top of a true second, when the port is open.
    void burst() {
        if (!serial.open) {
            lastBadBurst = clock.trueMs;
            return;
        }
        const DateTime t = fromEpochMilliseconds(clock.trueMs);
        const bool fix = !within(skyBlocked, clock.trueMs);
        char rmc[96], gga[96];
        std::snprintf(rmc, sizeof rmc,
                      "GPRMC,%02d%02d%02d.00,%c,4807.0380,N,01131.0000,E,0.0,0.0,%02d%02d%02d,,,A",
                      t.hour, t.minute, t.second, fix ? 'A' : 'V', t.day, t.month, t.year % 100);
        std::snprintf(gga, sizeof gga,
                      "GPGGA,%02d%02d%02d.00,4807.0380,N,01131.0000,E,%d,08,0.9,545.4,M,46.9,M,,",
                      t.hour, t.minute, t.second, fix ? 1 : 0);
        serial.deliver(withChecksum(rmc), ArrivalStamps{clock.mono, clock.mono});
        serial.deliver(withChecksum(gga), ArrivalStamps{clock.mono, clock.mono + milliseconds(80)});
        (fix ? lastGoodBurst : lastBadBurst) = clock.trueMs;
    }
    // The log's line for a setting now: the clock was wrong by `error`, and is now right.
    std::string setLine(const char* cause, std::int64_t error) const {
        return logStamp(clock.trueMs) + "Clock set (" + cause + "): set to " +
               toIsoText(fromEpochMilliseconds(clock.trueMs)) + " UTC, " +
               clockWasText(-error) + ", receiver delay 0 ms";
    }
    // Twenty minutes around the next local arrival of the scheduled minute.
    Outage aroundTheNextScheduledMinute() const {
        const std::int64_t localNow = toEpochMilliseconds(clock.local);
        const DateTime today = clock.local;
        std::int64_t at = toEpochMilliseconds(DateTime{today.year, today.month, today.day,
                                                       form.NextUpdateHhmm / 100,
                                                       form.NextUpdateHhmm % 100, 0, 0});
        if (at <= localNow) {
            at += kDay;
        }
        const std::int64_t trueAt = clock.trueMs + (at - localNow);
        return {trueAt - 10 * kMinute, trueAt + 10 * kMinute};
    }
    // The receiver pulled out at a random moment of the coming day for three minutes to two
    // hours.
    Outage someTimeToday() {
        const std::int64_t from = clock.trueMs + std::uniform_int_distribution<std::int64_t>(
                                                     0, 22 * kHour)(draws);
        return {from, from + std::uniform_int_distribution<std::int64_t>(3 * kMinute,
                                                                         2 * kHour)(draws)};
    }
};

TEST_F(UnattendedRun, DaysOfBurstsDriftDaylightChangesAndYearEnd) {
    const std::size_t portItems = form.Menu_Port_Number.count();
    std::int16_t previousHhmm = 0;
    std::vector<std::string> expectedLog;
    int goodArrivals = 0, badArrivals = 0, iconLoads = 0, unplugs = 0, returns = 0;
    int settingsByDay[kDays] = {};
    bool away = false;
    std::int64_t pluggedBackAt = -1, reopenedAt = -1, awaySecondsToday = 0;

    for (std::int64_t second = 0; second < kDays * 86'400LL; ++second) {
        const int day = static_cast<int>(second / 86'400);
        if (second % 86'400 == 0) {
            // Every fourth day the sky is blocked at the scheduled minute, every eighth the
            // receiver is out then; every third it is pulled out at some other moment.
            if (day % 4 == 3) {
                skyBlocked.push_back(aroundTheNextScheduledMinute());
            }
            if (day % 8 == 6) {
                unplugged.push_back(aroundTheNextScheduledMinute());
            }
            if (day % 3 == 1) {
                unplugged.push_back(someTimeToday());
            }
        }
        const std::int64_t reading = clock.trueMs + clock.errorNow();
        if (within(unplugged, clock.trueMs) != away) {
            away = !away;
            serial.failOn = away ? "setPortOpen" : "";
            if (away && serial.open) {
                ++unplugs;
                serial.goAway("the device was removed");
                expectedLog.push_back(logStamp(reading) +
                                      "Receiver lost on the device was removed");
            }
            pluggedBackAt = away ? -1 : clock.trueMs;
        }
        awaySecondsToday += away ? 1 : 0;
        burst();
        clock.run(500);

        const std::int16_t scheduled = form.NextUpdateHhmm;
        const std::int64_t errorBefore = clock.errorNow();
        const std::size_t setsBefore = clock.setCalls.size();
        const std::size_t linesBefore = log.lines.size();
        const std::size_t picturesBefore = desktop.loadedPaths.size();
        const auto hhmm = static_cast<std::int16_t>(clock.local.hour * 100 + clock.local.minute);
        const bool clearlyGood = clock.trueMs - lastBadBurst > 15'000;
        const bool clearlyBad = clock.trueMs - lastGoodBurst > 10'000;
        const bool afterStartup = form.SyncAfterStartupPending;
        const bool openBefore = serial.open;
        form.Timer1_Timer();
        iconLoads += desktop.loadedPaths.size() > picturesBefore ? 1 : 0;

        const bool arrival = hhmm != previousHhmm && hhmm == scheduled;
        previousHhmm = hhmm;
        if (afterStartup && !form.SyncAfterStartupPending) {
            ASSERT_EQ(clock.setCalls.size(), setsBefore + 1) << "the setting after start-up";
            expectedLog.push_back(setLine("after start-up", errorBefore));
        } else if (arrival && clearlyGood) {
            ++goodArrivals;
            ++settingsByDay[day];
            ASSERT_EQ(clock.setCalls.size(), setsBefore + 1) << toIsoText(clock.local);
            EXPECT_EQ(clock.errorNow(), 0) << "set to the true time";
            expectedLog.push_back(setLine("daily", errorBefore));
        } else if (arrival && clearlyBad) {
            ++badArrivals;
            EXPECT_EQ(clock.setCalls.size(), setsBefore) << toIsoText(clock.local);
            EXPECT_EQ(form.NextUpdateHhmm, scheduled) << "kept for the next day";
            expectedLog.push_back(logStamp(clock.trueMs + clock.errorNow()) +
                                  clockRefusedLogText(ClockSetCause::Daily, noValidFixMessage()));
        } else {
            ASSERT_EQ(clock.setCalls.size(), setsBefore)
                << "not at the scheduled minute " << toIsoText(clock.local);
        }

        // A replugged receiver is open again within three ticks, its lamps green within ten
        // seconds of sending again.
        if (pluggedBackAt >= 0 && !openBefore && serial.open) {
            ++returns;
            EXPECT_LE(clock.trueMs - pluggedBackAt, 3'500) << toIsoText(clock.local);
            expectedLog.push_back(logStamp(clock.trueMs + clock.errorNow()) +
                                  "Receiver back: Com1 (/dev/ttyUSB0)");
            pluggedBackAt = -1;
            reopenedAt = clock.trueMs;
        }
        if (reopenedAt >= 0 && form.GPS_CommOK.fillColor() == LampGreen &&
            (form.TimeValid.fillColor() == LampGreen || within(skyBlocked, clock.trueMs))) {
            EXPECT_LE(clock.trueMs - reopenedAt, 10'000) << toIsoText(clock.local);
            reopenedAt = -1;
        }
        ASSERT_EQ(log.lines.size(), expectedLog.size()) << toIsoText(clock.local);
        for (std::size_t i = linesBefore; i < log.lines.size(); ++i) {
            ASSERT_EQ(log.lines[i], expectedLog[i]);
        }
        clock.run(500);
        topUpDraws();

        if (second % 86'400 == 86'399) {
            // Nothing piles up: counters in range, histories of fixed size, no box ever, and
            // a port that is away is tried no more than once every three ticks.
            EXPECT_GE(form.RxStaleCount, 0);
            EXPECT_LE(form.RxStaleCount, 10);
            EXPECT_LE(form.FixStaleCount, 10);
            EXPECT_GE(form.FixStaleCount, -10);
            EXPECT_LE(form.BalloonText.size(), 1200u);
            EXPECT_LE(form.RxLine.size(), 100u);
            EXPECT_EQ(form.Menu_Port_Number.count(), portItems);
            EXPECT_TRUE(desktop.messages.empty());
            // The only notifications are the losses of the receiver.
            for (const auto& message : tray.messages) {
                EXPECT_EQ(message.text.rfind("Receiver lost on ", 0), 0u) << message.text;
            }
            tray.messages.clear();
            const auto attempts = std::count(serial.calls.begin(), serial.calls.end(), "setPortOpen 1");
            EXPECT_LE(attempts, awaySecondsToday / 3 + 3) << "day " << day;
            tray.toolTips.clear();
            serial.calls.clear();
            awaySecondsToday = 0;
        }
    }

    EXPECT_EQ(returns, unplugs);
    EXPECT_GE(unplugs, kDays / 3);
    const auto outages = static_cast<int>(skyBlocked.size() + unplugged.size());
    EXPECT_GE(badArrivals, kDays / 4 + kDays / 8 - 2);
    // A day without a setting is one whose scheduled minute found no fix, or never came (a
    // minute in the hour skipped when daylight time began).
    const auto daysWithout = std::count(settingsByDay, settingsByDay + kDays, 0);
    EXPECT_LE(daysWithout, badArrivals + 1);
    EXPECT_GE(goodArrivals, kDays - badArrivals - 1);
    EXPECT_LE(iconLoads, 2 * outages + 2) << "one per lamp change";
    EXPECT_EQ(log.lines, expectedLog);
    std::printf("%d days: %d daily settings, %d refused without a fix, %d unplugs, %d log lines\n",
                kDays, goodArrivals, badArrivals, unplugs, static_cast<int>(log.lines.size()));
}

}  // namespace
}  // namespace quorvane::testing
