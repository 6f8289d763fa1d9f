#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "fakes/fakes.h"
#include "platform/win32/win32_clock.h"
#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

// A clock whose setter fails the test if anything tries to set the time.
Win32Clock readOnlyClock() {
    return Win32Clock(ClockSetterCalls{[] {
                                           ADD_FAILURE() << "the clock was to be set";
                                           return DWORD{ERROR_ACCESS_DENIED};
                                       },
                                       [](const SYSTEMTIME&) {
                                           ADD_FAILURE() << "the clock was to be set";
                                           return DWORD{ERROR_ACCESS_DENIED};
                                       }});
}

// The window's bias, read through the real clock.
struct WindowOnWin32Zone {
    FakeSerialPort serial;
    FakeTrayIcon tray;
    FakeBalloon balloon;
    Win32Clock clock = readOnlyClock();
    FakeRandom random;
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, files, desktop, log}};
};

std::int64_t epochMs(const SYSTEMTIME& t) {
    return toEpochMilliseconds(
        {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

TEST(TimeZone, TheRecordIsTheSystemsWithItsStatusUnchanged) {
    TIME_ZONE_INFORMATION raw{};
    const DWORD status = GetTimeZoneInformation(&raw);
    const TimeZoneInformation zone = readOnlyClock().timeZoneInformation();
    EXPECT_EQ(zone.status, status);
    EXPECT_EQ(zone.Bias, raw.Bias);
    EXPECT_EQ(zone.StandardBias, raw.StandardBias);
    EXPECT_EQ(zone.DaylightBias, raw.DaylightBias);
}

TEST(TimeZone, TheBiasIsWhatSeparatesTheSystemsLocalTimeFromUtc) {
    WindowOnWin32Zone w;
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    // The two readings lie microseconds apart; zones differ by whole quarter hours.
    const double localMinusUtcMinutes =
        std::round(static_cast<double>(epochMs(local) - epochMs(utc)) / 60'000.0);
    EXPECT_EQ(w.form.GetTimeZoneBias() * 60.0f, static_cast<float>(-localMinusUtcMinutes));

    const std::int64_t apart = toEpochMilliseconds(w.clock.localNow()) - epochMs(local);
    EXPECT_GE(apart, 0);
    EXPECT_LT(apart, 2000);
}

struct NamedZone {
    const char* tz;
    std::int32_t bias;  // minutes, UTC = local + bias, outside daylight time
    bool daylightSaving;
};

constexpr NamedZone kZones[] = {
    {"UTC", 0, false},
    {"Asia/Kolkata", -330, false},
    {"America/New_York", 300, true},
    {"Australia/Sydney", -600, true},
};

// Run by CTest once per zone with TZ set for the Wine process alone.
TEST(TimeZone, ANamedZoneGivesItsOwnBias) {
    if (!runningUnderWine()) {
        GTEST_SKIP() << "Windows takes its zone from its own settings, not from TZ";
    }
    const char* tz = std::getenv("TZ");
    const NamedZone* named = nullptr;
    for (const NamedZone& zone : kZones) {
        if (tz != nullptr && std::string(tz) == zone.tz) {
            named = &zone;
        }
    }
    if (named == nullptr) {
        GTEST_SKIP() << "TZ names none of the zones this test knows";
    }
    WindowOnWin32Zone w;
    const TimeZoneInformation zone = w.clock.timeZoneInformation();
    EXPECT_EQ(zone.Bias, named->bias) << named->tz;
    EXPECT_EQ(zone.StandardBias, 0) << named->tz;
    if (!named->daylightSaving) {
        EXPECT_EQ(zone.status, TIME_ZONE_ID_UNKNOWN) << named->tz;
        EXPECT_EQ(w.form.GetTimeZoneBias(), static_cast<float>(named->bias) / 60.0f);
        return;
    }
    // Which half of the year it is decides the status; either way the hour moves forward.
    ASSERT_TRUE(zone.status == TIME_ZONE_ID_STANDARD || zone.status == TIME_ZONE_ID_DAYLIGHT)
        << named->tz << " " << zone.status;
    EXPECT_EQ(zone.DaylightBias, -60) << named->tz;
    const std::int32_t minutes = named->bias + (zone.status == TIME_ZONE_ID_DAYLIGHT ? -60 : 0);
    EXPECT_EQ(w.form.GetTimeZoneBias(), static_cast<float>(minutes) / 60.0f) << named->tz;
}

}  // namespace
}  // namespace quorvane::testing
