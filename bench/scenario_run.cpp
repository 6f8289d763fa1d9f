#include "scenario_run.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <utility>

#include "fakes/fakes.h"
#include "loop_watch.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_serial_port.h"
#include "recording_clock.h"
#include "simulator_process.h"

namespace quorvane::bench {

namespace {

constexpr std::int64_t kMillion = 1'000'000;
constexpr std::int64_t kBillion = 1'000'000'000;
// Ticks before recording starts: the first, partial burst and the lamps turning green.
constexpr int kWarmUpTicks = 3;
// A burst stamp later than this is a stamping fault worth naming.
constexpr double kLateStampMs = 10;

std::int64_t nanoseconds(MonoTime instant) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(instant.time_since_epoch()).count();
}

std::optional<int> twoDigits(const std::string& text) {
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
        return std::nullopt;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// The fix's whole second as UTC nanoseconds since 1970, as the simulator meant it.
std::optional<std::int64_t> fixWholeSecondNs(const FixFields& f) {
    const auto year = twoDigits(f.FixYear), month = twoDigits(f.FixMonth),
               day = twoDigits(f.FixDay), hour = twoDigits(f.FixHour),
               minute = twoDigits(f.FixMinute), second = twoDigits(f.FixSecond);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    const DateTime fix{2000 + *year, *month, *day, *hour, *minute, *second, 0};
    return toEpochMilliseconds(fix) * kMillion;
}

double milliseconds(std::int64_t ns) {
    return static_cast<double>(ns) / kMillion;
}

// The window on the real serial component, its heartbeat, and the trigger of the scenario.
class Driver {
public:
    Driver(const Scenario& scenario, const RunConfig& config, const std::string& portsFolder)
        : scenario_(scenario),
          config_(config),
          random_(config.seed),
          port_(portsFolder, [] { return std::vector<std::string>{}; }),
          clock_([this](const DateTime& utc, std::int64_t trueNs) { record(utc, trueNs); }),
          form_(
              FormPlatform{port_, tray_, balloon_, clock_, randomSource_, files_, desktop_, log_}) {
        // The program's own heartbeat: a default (coarse) 1000 ms timer.
        heartbeat_.setInterval(1000);
        QObject::connect(&heartbeat_, &QTimer::timeout, [this] { tick(); });
        press_.setSingleShot(true);
        press_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&press_, &QTimer::timeout, [this] { press(); });
    }

    RunResult run() {
        form_.Form_Load();
        watchFixStamps();
        desktop_.messages.clear();
        form_.GpsPortName = "Com" + std::to_string(config_.port);
        form_.GpsPortSpeed = std::to_string(scenario_.baud);
        form_.GpsPortParity = "None";
        form_.GpsPortDataLength = "8";
        form_.GpsPortFlowControl = "None";
        form_.GpsPortStopBits = "1";
        // The bench opens the port itself; no start-up countdown may reopen it later.
        form_.StartupDelayCount = 0;
        form_.TrayDelayCount = 0;
        if (config_.withView) {
            view_ = std::make_unique<MainWindowView>(form_, [](Picture) { return QIcon(); });
            view_->show();
            button_ =
                qobject_cast<QAbstractButton*>(view_->widgetFor(form_.SetComputerClock.hWnd()));
        }
        form_.SaveAndStartGPSPort();
        takeMessages("opening the port");
        if (!port_.portOpen()) {
            result_.problems.push_back("the port did not open");
            return result_;
        }
        heartbeat_.start();
        // Twice the settings, and the measurement's 40 s at most, where the delay is measured.
        const std::size_t phases = scenario_.measureDelay ? 2 : 1;
        const auto allowedMs = static_cast<int>(std::min<std::size_t>(
            phases * config_.settings * 1500 + 30'000 + (phases - 1) * 45'000, 86'400'000));
        QTimer::singleShot(allowedMs, &loop_, [this] {
            result_.problems.push_back("ran out of time");
            loop_.quit();
        });
        loop_.exec();
        heartbeat_.stop();
        press_.stop();
        watch_.stop();
        result_.longestLoopDelayMs = watch_.longest();
        port_.setPortOpen(false);
        view_.reset();
        return result_;
    }

private:
    void tick() {
        const bool scheduled = collecting_ && scenario_.trigger == Trigger::ScheduledMinute;
        if (scheduled) {
            // This tick is the first inside the scheduled minute.
            const DateTime local = clock_.localNow();
            form_.NextUpdateHhmm = static_cast<std::int16_t>(local.hour * 100 + local.minute);
            form_.LastTickHhmm = -1;
        } else {
            form_.NextUpdateHhmm = -1;  // no minute matches: only the bench's trigger sets
        }
        const std::size_t before = result_.samples.size();
        result_.triggers += scheduled ? 1 : 0;
        waiting_ += scheduled ? 1 : 0;
        form_.Timer1_Timer();
        if (scheduled && result_.samples.size() == before && !config_.stalls) {
            result_.problems.push_back("a scheduled tick set nothing");
        }
        takeMessages("a tick");
        if (phase_ == Phase::Measuring && !form_.DelayMeasuring) {
            measured();
        }
        if (!collecting_ && ++ticks_ >= kWarmUpTicks && form_.TimeValid.fillColor() == LampGreen) {
            collecting_ = true;
            watch_.start();
            if (scenario_.trigger != Trigger::ScheduledMinute) {
                schedulePress();
            }
        }
    }

    // Whether the serial component vouched for the burst of the newest fix sentence, to tell a
    // wrong setting from a burst it marked from one it did not.
    void watchFixStamps() {
        auto deliver = port_.onRead;
        port_.onRead = [this, deliver](const std::optional<std::string>& value,
                                       const ArrivalStamps& stamps) {
            if (value && value->find("RMC,") != std::string::npos) {
                fixTrusted_ = stamps.trustworthy;
            }
            deliver(value, stamps);
        };
    }

    void press() {
        const std::size_t before = result_.samples.size() + result_.before.size();
        result_.triggers += phase_ == Phase::Measuring ? 0 : 1;
        waiting_ += phase_ == Phase::Measuring ? 0 : 1;
        if (button_ != nullptr) {
            button_->click();
        } else {
            form_.SetComputerClock_Click();
        }
        if (result_.samples.size() + result_.before.size() == before && !config_.stalls) {
            result_.problems.push_back(form_.TimeValid.fillColor() == LampGreen
                                           ? "SET TIME set nothing"
                                           : "SET TIME found the fix lamp red");
        }
        takeMessages("SET TIME");
        if (phase_ == Phase::Measuring) {
            // The program's own path: the menu item, the question answered OK, its bursts.
            form_.Menu_ReceiverDelay_Measure.click();
            takeMessages("Measure Now");
            return;
        }
        schedulePress();
    }

    // "Measure Now" has ended: its result, then the settings after it.
    void measured() {
        for (const auto& notice : desktop_.notices) {
            result_.measurement += notice.text;
        }
        desktop_.notices.clear();
        if (!form_.ReceiverDelayMs) {
            result_.problems.push_back("Measure Now gave no delay: \"" + result_.measurement +
                                       "\"");
            loop_.quit();
            return;
        }
        phase_ = Phase::After;
        schedulePress();
    }

    void schedulePress() {
        const std::int64_t now = wallNowNs();
        std::int64_t next;
        if (scenario_.trigger == Trigger::RandomMoment) {
            std::uniform_int_distribution<std::int64_t> within(0, kBillion - 1);
            next = (now / kBillion + 1) * kBillion + within(random_);
        } else {
            const std::int64_t burstPhase = (scenario_.fractionMs + scenario_.delayMs) * kMillion;
            const std::int64_t phase = (burstPhase - 10 * kMillion + kBillion) % kBillion;
            next = now / kBillion * kBillion + phase;
            while (next < now + 100 * kMillion) {
                next += kBillion;
            }
        }
        press_.start(static_cast<int>((next - now + kMillion / 2) / kMillion));
    }

    void record(const DateTime& utc, std::int64_t trueNs) {
        if (!collecting_ || phase_ == Phase::Measuring) {
            result_.problems.push_back(collecting_ ? "a setting while measuring"
                                                   : "a setting during warm-up");
            return;
        }
        std::vector<Sample>& samples = phase_ == Phase::Before ? result_.before : result_.samples;
        const std::int64_t wallMinusMono = wallNowNs() - nanoseconds(MonoClock::now());
        const std::optional<ClockFix>& fix = form_.LastClockFix;
        const std::optional<std::int64_t> whole =
            fix ? fixWholeSecondNs(fix->fields) : std::nullopt;
        if (!whole) {
            result_.problems.push_back("a setting without a readable fix");
            return;
        }
        const std::int64_t delayNs = scenario_.delayMs * kMillion;
        const std::int64_t reference = trueNs - delayNs;
        const std::int64_t trueBurstStart = *whole + fix->fractionMs * kMillion + delayNs;
        const Sample sample{
            milliseconds(toEpochMilliseconds(utc) * kMillion - reference),
            milliseconds(*whole - reference),
            milliseconds(nanoseconds(fix->burstStart) + wallMinusMono - trueBurstStart),
            milliseconds(toEpochMilliseconds(utc) * kMillion - trueNs)};
        samples.push_back(sample);
        result_.triggersSet += std::exchange(waiting_, 0);
        if (scenario_.target && scenario_.lineRests &&
            std::fabs(sample.stampLateMs) > kLateStampMs) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "setting %zu: %.1f ms off, its burst stamp %.1f ms late (marked %s); "
                          "the event loop's longest hold-up in the 2 s before: %.1f ms",
                          samples.size(), sample.errorMs, sample.stampLateMs,
                          fixTrusted_ ? "trustworthy" : "untrustworthy",
                          watch_.longestWithin(std::chrono::milliseconds(2000)));
            result_.problems.push_back(text);
        }
        if (samples.size() >= config_.settings) {
            if (phase_ == Phase::Before) {
                phase_ = Phase::Measuring;  // press() starts it once this setting is done
            } else {
                loop_.quit();
            }
        }
    }

    void takeMessages(const char* during) {
        if (!desktop_.messages.empty()) {
            waiting_ = 0;  // a refusal: the triggers waiting did not set
        }
        for (const auto& message : desktop_.messages) {
            result_.problems.push_back(std::string(during) + ": \"" + message.text + "\"");
        }
        desktop_.messages.clear();
    }

    // Where the receiver delay is measured: settings without it, the measurement, settings
    // with it. Elsewhere only the last.
    enum class Phase { Before, Measuring, After };

    const Scenario& scenario_;
    const RunConfig& config_;
    std::mt19937 random_;
    RunResult result_;
    Phase phase_ = scenario_.measureDelay ? Phase::Before : Phase::After;
    bool collecting_ = false;
    int ticks_ = 0;
    bool fixTrusted_ = true;
    std::size_t waiting_ = 0;  // triggers no setting has followed yet

    QEventLoop loop_;
    QTimer heartbeat_;
    QTimer press_;
    QtSerialPort port_;
    testing::FakeTrayIcon tray_;
    testing::FakeBalloon balloon_;
    testing::FakeRandom randomSource_;
    testing::FakeTextFiles files_;
    testing::FakeDesktop desktop_;
    testing::FakeEventLog log_;
    LoopWatch watch_;  // runs while recording
    RecordingClock clock_;
    Form1 form_;
    std::unique_ptr<MainWindowView> view_;
    QAbstractButton* button_ = nullptr;
};

}  // namespace

RunResult runScenario(const Scenario& scenario, const RunConfig& config) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("quorvane-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> options = scenario.simOptions;
    options.insert(options.end(), {"--baud", std::to_string(scenario.baud), "--delay-ms",
                                   std::to_string(scenario.delayMs)});
    RunResult result;
    {
        SimulatorProcess simulator(config.simulator, folder, config.port, options);
        if (simulator.waitForLink()) {
            Driver driver(scenario, config, folder.string());
            result = driver.run();
        } else {
            result.problems.push_back("the simulator did not start");
        }
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}

}  // namespace quorvane::bench
