#include "drift_run.h"

#include <cmath>
#include <random>

#include "fakes/fakes.h"
#include "settings/drift_file.h"

namespace quorvane::bench {

namespace {

// 1 December 2026, 00:00 UTC.
constexpr std::int64_t kStartUtcMs = 1'795'996'800'000;
constexpr std::int64_t kDayMs = 86'400'000;

// The schedule's draws, the same for every run with the same seed.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(unsigned seed) : engine_(seed) {}
    void reseed() override {}
    float next() override { return std::uniform_real_distribution<float>(0, 1)(engine_); }

private:
    std::mt19937 engine_;
};

std::string two(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// The newest fix at true time `nowMs`: the burst for the last whole second, begun the
// receiver's delay after it.
ClockFix fixAt(std::int64_t nowMs, int delayMs, MonoTime monoNow) {
    const std::int64_t second = (nowMs - delayMs) / 1000 * 1000;
    const DateTime t = fromEpochMilliseconds(second);
    const auto age = std::chrono::milliseconds(nowMs - second - delayMs);
    return ClockFix{
        {two(t.hour), two(t.minute), two(t.second), two(t.day), two(t.month), two(t.year % 100)},
        0,
        monoNow - age};
}

}  // namespace

DriftRunResult runDrift(const DriftRun& run) {
    using namespace quorvane::testing;
    DriftingClock clock(run.oscillator, kStartUtcMs);
    FakeSerialPort serial;
    FakeTrayIcon tray;
    FakeBalloon balloon;
    SeededRandom random(run.scheduleSeed);
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, files, desktop, log}};
    files.files[joinPath(files.folder, kDriftFileName)] = formatDriftFile({run.keepTime, {}});
    form.Form_Load();
    form.ReceiverDelayMs = run.receiverDelayMs;  // measured, or entered, before the month began
    form.EarliestFixDate = DateTime{2020, 1, 1};
    form.TimeValid.setFillColor(LampGreen);

    DriftRunResult result;
    result.largestOffsetMsByDay.assign(static_cast<std::size_t>(run.days), 0);
    std::int64_t lastMinute = -1;
    for (std::int64_t elapsed = 0; elapsed < run.days * kDayMs; elapsed += 1000) {
        clock.tick();
        double& largest = result.largestOffsetMsByDay[static_cast<std::size_t>(elapsed / kDayMs)];
        largest = std::max(largest, std::abs(clock.offsetSeconds()) * 1000);

        // The status timer's daily step: the first tick inside the scheduled minute.
        const std::int64_t readingMs = clock.trueMs() + std::llround(clock.offsetSeconds() * 1000);
        if (readingMs / 60'000 == lastMinute) {
            continue;
        }
        lastMinute = readingMs / 60'000;
        const DateTime reading = fromEpochMilliseconds(readingMs);
        if (reading.hour * 100 + reading.minute == form.NextUpdateHhmm) {
            form.LastClockFix = fixAt(clock.trueMs(), run.receiverDelayMs, clock.monotonicNow());
            form.SetComputerClock_Click();
        }
    }
    result.settings = clock.setCount();
    result.learnedDriftPpm = form.Drift.driftPpm().value_or(0);
    result.log = log.lines;
    return result;
}

}  // namespace quorvane::bench
