#include "scenarios.h"

namespace quorvane::bench {

namespace {

// The sentences a Garmin receiver sends each second, whole-second times, nine satellites (so
// three GSV): 462 bytes, 963 ms of a 4800-baud line.
const std::vector<std::string> kGarminBurst{
    "--sentences", "GGA,GSA,GSV,RMC,PGRMZ,PGRMF", "--satellites", "9", "--fraction", ""};

// Eight satellites and $GPTXT filling to 995 ms: 6 ms of quiet, under three characters.
const std::vector<std::string> kNeverResting{"--sentences",  "GGA,GSA,GSV,RMC,PGRMZ,PGRMF",
                                             "--satellites", "8",
                                             "--fraction",   "",
                                             "--fill-ms",    "995"};

// Where the line rests, under any load.
constexpr Target kRestingTarget{1, 5};

// After a measurement the clock is to be this close to true time.
constexpr Target kMeasuredTarget{2, 10};

Scenario measured(const char* key, const char* title, std::vector<std::string> options,
                  int delayMs) {
    Scenario scenario{key,     title, std::move(options),       4800,
                      delayMs, 0,     Trigger::BeforeNextBurst, kMeasuredTarget};
    scenario.measureDelay = true;
    return scenario;
}

std::vector<std::string> with(std::vector<std::string> options,
                              std::initializer_list<std::string> more) {
    options.insert(options.end(), more);
    return options;
}

// A USB receiver hands the burst over at once, whatever the Baud menu says; an adapter passes
// on what crossed the line every 16 ms, the usual latency timer.
const std::vector<std::string> kUsbBurst = with(kGarminBurst, {"--delivery", "usb:64"});
const std::vector<std::string> kAdapterBurst = with(kGarminBurst, {"--delivery", "adapter:16"});

Scenario restless(Scenario scenario) {
    scenario.lineRests = false;
    return scenario;
}

}  // namespace

std::vector<Scenario> allScenarios() {
    return {
        {"garmin-4800", "1. 4800 Bd, Garmin-like burst at +150 ms", kGarminBurst, 4800, 150, 0,
         Trigger::BeforeNextBurst, kRestingTarget},
        {"garmin-38400", "1b. 38400 Bd, Garmin-like burst at +150 ms", kGarminBurst, 38400, 150, 0,
         Trigger::BeforeNextBurst, kRestingTarget},
        {"rmc-gga-9600",
         "2. 9600 Bd, RMC and GGA at +50 ms",
         {"--sentences", "RMC,GGA"},
         9600,
         50,
         0,
         Trigger::BeforeNextBurst,
         kRestingTarget},
        {"never-resting-4800", "3. 4800 Bd, line never rests (995 ms burst)", kNeverResting, 4800,
         150, 0, Trigger::BeforeNextBurst, std::nullopt},
        {"fraction-4800",
         "4. 4800 Bd, hhmmss.50 sent at +500 ms +100 ms",
         {"--mode", "nmea", "--fraction", "50"},
         4800,
         100,
         500,
         Trigger::BeforeNextBurst,
         kRestingTarget},
        {"random-press", "5a. SET TIME at random moments (stream of 1.)", kGarminBurst, 4800, 150,
         0, Trigger::RandomMoment, kRestingTarget},
        {"scheduled-minute", "5b. Scheduled minute, status timer tick (stream of 1.)", kGarminBurst,
         4800, 150, 0, Trigger::ScheduledMinute, kRestingTarget},
        measured("delay-40", "6a. Receiver delay 40 ms (stream of 1.)", kGarminBurst, 40),
        measured("delay-150", "6b. Receiver delay 150 ms (stream of 1.)", kGarminBurst, 150),
        measured("delay-380", "6c. Receiver delay 380 ms (stream of 1.)", kGarminBurst, 380),
        restless(measured("delay-never-resting",
                          "6d. Line never rests, delay 150 ms (stream of 3.)", kNeverResting, 150)),
        measured("delay-usb", "6e. USB receiver, delay 150 ms (stream of 7a.)", kUsbBurst, 150),
        {"usb-4800", "7a. USB receiver (64-byte packets 1 ms apart), Baud 4800, burst of 1.",
         kUsbBurst, 4800, 150, 0, Trigger::BeforeNextBurst, kRestingTarget},
        {"usb-9600", "7b. USB receiver, Baud 9600, burst of 1.", kUsbBurst, 9600, 150, 0,
         Trigger::BeforeNextBurst, kRestingTarget},
        {"adapter-4800", "8a. 4800 Bd through an adapter (16 ms latency timer), burst of 1.",
         kAdapterBurst, 4800, 150, 0, Trigger::BeforeNextBurst, kRestingTarget},
        {"adapter-9600", "8b. 9600 Bd through an adapter, burst of 1.", kAdapterBurst, 9600, 150, 0,
         Trigger::BeforeNextBurst, kRestingTarget},
    };
}

const char* triggerText(Trigger trigger) {
    switch (trigger) {
        case Trigger::BeforeNextBurst:
            return "SET TIME 10 ms before the next burst";
        case Trigger::RandomMoment:
            return "SET TIME at a random moment in the second";
        case Trigger::ScheduledMinute:
            return "status timer tick at the scheduled minute";
    }
    return "";
}

}  // namespace quorvane::bench
