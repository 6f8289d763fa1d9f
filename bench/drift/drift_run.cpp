#include "drift_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>

#include "fakes/fakes.h"
#include "settings/drift_file.h"

namespace quorvane::bench {

namespace {

// 1 December 2026, 00:00 UTC.
constexpr std::int64_t kStartUtcMs = 1'795'996'800'000;
constexpr std::int64_t kDayMs = 86'400'000;
constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kExcusedMs = 120'000;  // after a step or a resume
constexpr int kDelayMs = 150;
// Suspended from 23:00 to 07:00 true time.
constexpr std::int64_t kSleepAtMs = 23 * kHourMs;
constexpr std::int64_t kSleepForMs = 8 * kHourMs;

// The schedule's draws, the same for every run.
class SeededRandom : public RandomSource {
public:
    void reseed() override {}
    float next() override { return std::uniform_real_distribution<float>(0, 1)(engine_); }

private:
    std::mt19937 engine_{1};
};

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// The receiver's burst for the second `namedMs`: its time and date, and a fix.
std::pair<std::string, std::string> burstFor(std::int64_t namedMs) {
    const DateTime t = fromEpochMilliseconds(namedMs);
    char time[16], date[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.00", t.hour, t.minute, t.second);
    std::snprintf(date, sizeof date, "%02d%02d%02d", t.day, t.month, t.year % 100);
    return {withChecksum(std::string("GPRMC,") + time + ",A,4807.038,N,01131.000,E,0.0,0.0," +
                         date + ",,,A"),
            withChecksum(std::string("GPGGA,") + time +
                         ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")};
}

bool dueAt(double day, std::int64_t elapsedMs) {
    return day >= 0 && elapsedMs == std::llround(day * kDayMs / 1000) * 1000;
}

}  // namespace

DriftRunResult runDrift(const DriftCase& scenario, double days) {
    using namespace quorvane::testing;
    DriftingClock clock(scenario.oscillator, kStartUtcMs);
    FakeSerialPort serial;
    FakeTrayIcon tray;
    FakeBalloon balloon;
    SeededRandom random;
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, files, desktop, log}};
    files.files[joinPath(files.folder, kDriftFileName)] = formatDriftFile({true, std::nullopt});
    clock.step(scenario.startOffMs);
    form.Form_Load();
    form.ReceiverDelayMs = kDelayMs;  // measured, or entered, before the run began
    form.EarliestFixDate = DateTime{2020, 1, 1};
    if (scenario.syncAfterStartup) {
        form.TimeSyncOnStartup.setChecked(true);
        form.SyncAfterStartupPending = true;
    }
    std::mt19937 noise{2};
    int delayMs = kDelayMs;

    DriftRunResult result;
    std::int64_t excusedUntil = 0;
    std::optional<std::int64_t> firstSetAt;
    const auto endMs = static_cast<std::int64_t>(days * kDayMs);
    for (std::int64_t elapsed = 0; elapsed < endMs; elapsed += 1000) {
        if (scenario.nightlySuspends && elapsed % kDayMs == kSleepAtMs) {
            clock.suspend(kSleepForMs, std::uniform_real_distribution<>(-500, 500)(noise));
            elapsed += kSleepForMs;
            excusedUntil = elapsed + kExcusedMs;
        }
        clock.tick();
        if (dueAt(scenario.handStepDay, elapsed)) {
            clock.step(scenario.handStepMs);
            excusedUntil = elapsed + kExcusedMs;
        }
        if (dueAt(scenario.delayChangeDay, elapsed)) {
            delayMs = scenario.newDelayMs;  // a new receiver, its delay entered with it
            form.ReceiverDelayMs = delayMs;
        }
        const std::int64_t awayFrom = std::llround(scenario.receiverAwayDay * kDayMs);
        const std::int64_t awayTo = awayFrom + std::llround(scenario.receiverAwayDays * kDayMs);
        const bool away = elapsed >= awayFrom && elapsed < awayTo;
        if (!away) {
            // The burst for the last whole second began the receiver's delay after it.
            const std::int64_t named = clock.trueMs() - 1000;
            const auto jitter = std::chrono::microseconds(
                std::llround(1000 * std::uniform_real_distribution<>(-scenario.jitterMs,
                                                                     scenario.jitterMs)(noise)));
            const MonoTime began = clock.monotonicNow() -
                                   std::chrono::milliseconds(1000 - delayMs) +
                                   std::chrono::duration_cast<MonoClock::duration>(jitter);
            const auto [rmc, gga] = burstFor(named);
            serial.deliver(rmc, {began, began});
            serial.deliver(gga, {began, began + std::chrono::milliseconds(40)});
        }
        form.Timer1_Timer();
        tray.toolTips.clear();

        if (!firstSetAt && clock.setCount() > 0) {
            firstSetAt = elapsed;
            result.firstSettingS = static_cast<double>(elapsed) / 1000;
        }
        const double off = std::abs(clock.offsetMs());
        if (elapsed + 1000 == awayTo) {
            result.atReceiverBackMs = off;
            excusedUntil = elapsed + kExcusedMs;  // what the absence left is ended by a setting
        }
        if (!firstSetAt || away || elapsed < excusedUntil) {
            continue;
        }
        if (elapsed - *firstSetAt < kHourMs) {
            result.worstFirstHourMs = std::max(result.worstFirstHourMs, off);
        }
        result.worstMs = std::max(result.worstMs, off);
    }
    result.settings = clock.setCount();
    result.keepingSettings = static_cast<int>(
        std::count_if(log.lines.begin(), log.lines.end(), [](const std::string& line) {
            return line.find("Clock set (keeping)") != std::string::npos;
        }));
    result.driftLearnedPpm = form.Keeping.driftPpm();
    result.log = log.lines;
    return result;
}

}  // namespace quorvane::bench
