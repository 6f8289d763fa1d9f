#pragma once

// Fakes of every platform interface. Each records what the window asked of it, so tests check
// calls and values directly; none touches the real machine.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"

namespace quorvane::testing {

// Records every property write in order ("setParity 2", "setPortOpen 1") and can refuse any.
class FakeSerialPort : public SerialPort {
public:
    std::vector<int> ports;
    std::map<int, std::string> devices;
    bool listFails = false;  // portList throws
    std::string failOn;      // an operation name ("setPortOpen", "setFlowControl") that throws
    std::string failText = "The port could not be opened";
    bool open = false;
    std::vector<std::string> calls;

    // Values last written.
    std::int16_t parity = -1, stopBits = -1, flowControl = -1, dataBits = -1;
    std::int16_t numericSetting = -1;
    double speed = -1, portNumber = -1;
    std::string terminator;
    int opens = 0, closes = 0;

    std::vector<int> portList() override;
    std::string portDevice(int number) override;
    bool portOpen() override { return open; }
    void setPortOpen(bool value) override;
    void setParity(std::int16_t code) override;
    void setStopBits(std::int16_t code) override;
    void setFlowControl(std::int16_t code) override;
    void setDataBits(std::int16_t bits) override;
    void setFlagA(bool value) override;
    void setFlagB(bool value) override;
    void setSpeed(double value) override;
    void setPortNumber(double value) override;
    void setTerminator(const std::string& value) override;
    void setNumericSetting(std::int16_t value) override;

    // The device goes away as an unplugged one would: the port closes, then onGone is raised.
    void goAway(const std::string& reason = "the device was removed");
    // Delivers one event as the component would.
    void deliver(const std::optional<std::string>& value, const ArrivalStamps& stamps = {});
    // Names of the calls, without values, in order.
    std::vector<std::string> callNames() const;

private:
    void record(const std::string& name, const std::string& value);
};

class FakeTrayIcon : public TrayIcon {
public:
    bool shown = false;
    Picture icon = 0;
    std::string toolTip;
    int adds = 0, removes = 0, setIcons = 0;
    std::vector<std::string> toolTips;                         // every write, in order
    std::vector<std::pair<std::string, WindowHandle>> popups;  // menu name, owner

    void add(Picture picture, const std::string& tip) override;
    void setIcon(Picture picture) override;
    void setToolTip(const std::string& text) override;
    bool inTray() override { return shown; }
    void remove() override;
    void popupMenu(MenuItem& menu, WindowHandle owner) override;
    void showMessage(const std::string& title, const std::string& text) override;

    struct Message {
        std::string title, text;
    };
    std::vector<Message> messages;  // every notification, in order
};

// Keeps the lines in memory.
class FakeEventLog : public EventLog {
public:
    std::vector<std::string> lines;
    void append(const std::string& line) override { lines.push_back(line); }
};

class FakeBalloon : public Balloon {
public:
    struct Shown {
        WindowHandle at;
        std::string text, title;
        std::int32_t iconStyle, timeout;
    };
    std::vector<std::int32_t> modes;
    std::vector<Shown> shows;
    int hides = 0;

    void setMode(std::int32_t mode) override { modes.push_back(mode); }
    void show(WindowHandle at, const std::string& text, const std::string& title,
              std::int32_t iconStyle, std::int32_t timeout) override;
    void hide() override { ++hides; }
};

class FakeClock : public SystemClock {
public:
    DateTime local{2026, 12, 7, 10, 15, 30, 0};
    MonoTime mono = MonoTime{} + std::chrono::hours(1);
    TimeZoneInformation zone{TIME_ZONE_ID_UNKNOWN, 0, 0, 0};
    ClockSetResult result{ClockSetOutcome::Set, ""};
    std::vector<DateTime> setCalls;

    DateTime localNow() override { return local; }
    MonoTime monotonicNow() override { return mono; }
    TimeZoneInformation timeZoneInformation() override { return zone; }
    ClockSetResult setUtc(const DateTime& utc) override;
    ClockDiscipline disciplineState{};
    std::vector<double> frequencyCalls;
    ClockSetResult frequencyResult{ClockSetOutcome::Set, ""};
    ClockDiscipline discipline() override { return disciplineState; }
    ClockSetResult setFrequencyPpm(double ppm) override;
    // The time spent suspended, as the system counts it; nullopt: not told.
    std::optional<std::chrono::milliseconds> suspended;
    std::optional<std::chrono::milliseconds> suspendedTime() override { return suspended; }
    // Another running copy holds the lock for keeping time.
    bool rateLockHeldElsewhere = false;
    bool holdRateLock() override { return !rateLockHeldElsewhere; }

    // Moves both clocks on together.
    void advance(std::chrono::milliseconds step);
};

// Returns the queued values in turn, then repeats the last one; counts reseeds.
class FakeRandom : public RandomSource {
public:
    std::deque<float> values;
    float last = 0.5f;
    int reseeds = 0;

    void reseed() override { ++reseeds; }
    float next() override;
};

// Files in memory under the folder "/program".
class FakeTextFiles : public TextFiles {
public:
    std::string folder = "/program";
    std::string executable;  // empty: "quorvane" in the folder
    std::map<std::string, std::string> files;
    std::optional<int> readFails;   // error number readAll throws
    bool readUnfit = false;         // ...as a file that can never serve
    std::optional<int> writeFails;  // error number replaceWhole throws, leaving the file alone
    int reads = 0, writes = 0;

    std::string programFolder() override { return folder; }
    std::string executablePath() override {
        return executable.empty() ? joinPath(folder, "quorvane") : executable;
    }
    std::string readAll(const std::string& path) override;
    void replaceWhole(const std::string& path, const std::string& bytes) override;

    std::optional<int> renameFails;  // error number rename throws, moving nothing
    void rename(const std::string& path, const std::string& to) override;
};

class FakeDesktop : public Desktop {
public:
    struct Message {
        std::string text, title;
    };
    std::vector<Message> messages;
    int beeps = 0, pumps = 0, unloads = 0, ends = 0;
    std::vector<std::string> loadedPaths;
    std::map<Picture, PictureColour> pictureColours;
    // Events that the next pump runs, in order.
    std::deque<std::function<void()>> queued;
    // Runs while a message box is up, as a modal loop dispatching events would.
    std::function<void()> whileMessageBoxUp;
    // What unloading the windows raises (the window's close request).
    std::function<void()> onUnload;

    void messageBox(const std::string& text, const std::string& title) override;
    void beep() override { ++beeps; }

    // Questions asked, in order; answered from the queues, then with the defaults.
    std::vector<Message> questions;
    std::deque<bool> okCancelAnswers;
    bool okCancelDefault = true;
    std::deque<std::optional<int>> numberAnswers;  // nullopt: the user cancels
    std::vector<Message> notices;
    // The progress window: up or not, its text and step, and what its Cancel button runs.
    bool progressUp = false;
    std::string progressText;
    int progressStep = 0, progressSteps = 0;
    std::function<void()> progressCancel;
    bool askOkCancel(const std::string& text, const std::string& title) override;
    std::optional<int> askNumber(const std::string& text, const std::string& title, int value,
                                 int low, int high) override;
    void showNotice(const std::string& text, const std::string& title) override {
        notices.push_back(Message{text, title});
    }
    void showProgress(const std::string& text, const std::string& title, int steps,
                      std::function<void()> onCancel) override;
    void setProgress(int step, const std::string& text) override;
    void closeProgress() override;
    // The user presses Cancel on the progress window.
    void cancelProgress();
    void pumpEvents() override;
    Picture loadPicture(const std::string& path, PictureColour fallback) override;
    void unloadAllWindows() override;
    void endProgram() override { ++ends; }

    // The colour of the picture last loaded from a path ending in name, or nullopt.
    std::optional<PictureColour> colourOf(Picture picture) const;
    std::string pathOf(Picture picture) const;
};

// Records the units opened and the samples given; open answers `refusal` ("" takes it).
struct FakeTimeShare : TimeShare {
    std::string refusal;
    std::vector<int> opens;
    std::vector<TimeShareSample> samples;
    std::string unavailableReason() override { return {}; }
    std::string open(int unit) override { return opens.push_back(unit), refusal; }
    void close() override {}
    bool write(const TimeShareSample& sample) override { return samples.push_back(sample), true; }
};

// Every fake but the serial port, for windows built on either the fake or a real port.
struct FakesButSerial {
    FakeTrayIcon tray;
    FakeBalloon balloon;
    FakeClock clock;
    FakeRandom random;
    FakeTextFiles files;
    FakeDesktop desktop;
    FakeEventLog log;
    FakeTimeShare timeShare;

    FormPlatform platformWith(SerialPort& serial) {
        return FormPlatform{serial, tray, balloon, clock, random, files, desktop, log, &timeShare};
    }
};

// A window with every fake wired in. Form_Load is not run.
struct FormFixture : FakesButSerial {
    FakeSerialPort serial;
    Form1 form{platformWith(serial)};

    FormFixture();
    // The settings file's full path in the fake folder.
    std::string settingsPath() const;
    // Runs Form_Load with the settings file given (or none) and forgets what start-up did to
    // the fakes' records, so a test sees only its own actions.
    void load(const std::optional<std::string>& settingsFile = std::nullopt);
    void clearRecords();
    // Delivers a line as the component would, CR LF included.
    void receive(const std::string& line);
};

}  // namespace quorvane::testing
