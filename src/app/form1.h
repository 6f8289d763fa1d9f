#pragma once

// The one window of the program, as data: every control and menu item, all module state and
// every event handler. Member functions are defined in the folder of the room they belong to:
//   app/       start-up, the Port menu list, hide/show/exit, hover help
//   settings/  the settings file, the start-up option menus
//   gpsport/   opening the port, the receive path, the Port and line-setting menus
//   nmea/      the sentence decoder, fix time, position and altitude
//   clock/     the status timer, setting the clock, the daily schedule
//   keeping/   keeping time between settings (the engine; its handlers are in clock/drift_*)

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/controls.h"
#include "app/line_setting_items.h"
#include "clock/clock_setting.h"
#include "clock/receiver_delay.h"
#include "keeping/keeping_engine.h"
#include "platform/date_time.h"
#include "platform/desktop.h"
#include "platform/event_log.h"
#include "platform/serial_port.h"
#include "platform/system_clock.h"
#include "platform/text_files.h"
#include "platform/time_share.h"
#include "platform/tray.h"

namespace quorvane {

inline constexpr const char* kProgramTitle = "Quorvane";
inline constexpr const char* kNoGpsRx = "NO GPS Rx";
inline constexpr const char* kNoneReset = "None/Reset";
inline constexpr const char* kNextUpdateTip =
    "The Next Quorvane will occur at hhmm local     Lights > Comm OK, Track OK";

// The fix date and time as two-character texts cut from the last time-carrying sentence.
struct FixFields {
    std::string FixHour, FixMinute, FixSecond;
    std::string FixDay, FixMonth, FixYear;

    friend bool operator==(const FixFields&, const FixFields&) = default;
};

// Why keeping time stands aside for another: a program that sets the clock, one that steers
// its rate, another copy of this program.
enum class KeepingAsideFor { ClockSetter, RateSteerer, OtherCopy };

// A fix the clock may be set from: its sentence's checksum was correct or absent.
struct ClockFix {
    FixFields fields;
    int fractionMs = 0;     // the fraction of a second its time field carried
    MonoTime burstStart{};  // when the burst that carried its line began
    // The burst start its line arrived with, before the decoder judged it: a start that was
    // already given to an earlier fix cannot be this one's.
    MonoTime lineBurstStart{};
    // The reader could date the burst whose start this fix carries; else no setting uses it.
    bool trustworthy = true;
};

// Everything the window talks to outside itself.
struct FormPlatform {
    SerialPort& serial;
    TrayIcon& tray;
    Balloon& balloon;
    SystemClock& clock;
    RandomSource& random;
    TextFiles& files;
    Desktop& desktop;
    EventLog& log;
    TimeShare* timeShare = nullptr;  // none: this copy cannot share time
};

class Form1 {
public:
    explicit Form1(FormPlatform platform);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Hands every control, menu item and Port item to the one observer (the view).
    void setObserver(ControlObserver* observer);

    // ---- Controls -------------------------------------------------------------------------
    WindowControl window{"Form1", "  Brindle's Quorvane"};

    TextDisplay TimeComputer{"TimeComputer", kProgramTitle};
    TextDisplay TimeGPS{"TimeGPS", kProgramTitle};
    TextDisplay GPSLatitude{"GPSLatitude", kProgramTitle};
    TextDisplay GPSLongitude{"GPSLongitude", kProgramTitle};
    TextDisplay GPSAltitude{"GPSAltitude", kProgramTitle};

    Lamp GPS_CommOK{"GPS_CommOK", LampRed};
    Lamp TimeValid{"TimeValid", LampRed};

    PushButton SetComputerClock{
        "SetComputerClock", "SET TIME",
        "Sets the computer's time from the GPS fix, taking the time-zone setting into account"};

    Label NextGPSUpdate{"NextGPSUpdate", "Next", kNextUpdateTip};
    Label Label5{"Label5", "Next Update :", kNextUpdateTip};
    Label Label2{"Label2", "Latitude :"};
    Label Label6{"Label6", "Longitude :"};
    Label Label7{"Label7", "Altitude :"};
    Label GPS_Label{"GPS_Label", "GPS :"};
    Label Label1{"Label1", "Computer :", "Computer Time (Time Zone incorporated into time)"};
    Label VersionNumber{"VersionNumber", ""};
    Label Label4{"Label4", "Written for radio amateurs who need true time"};

    Timer Timer1{"Timer1", 1000};

    // ---- Menu bar, left to right ------------------------------------------------------------
    MenuItem MenuBar{"MenuBar", ""};

    MenuItem menu1{"menu1", ""};
    MenuItem menu2{"menu2", "Show"};
    MenuItem mhide{"mhide", "Hide"};
    MenuItem mexit{"mexit", "Exit"};

    MenuItem DisplayUnits{"DisplayUnits", "Altitude"};
    MenuItem DisplayFeet{"DisplayFeet", "Feet", true};
    MenuItem DisplayMeters{"DisplayMeters", "Meters"};

    MenuItem StartUpDelayMenu{"StartUpDelayMenu", "Startup"};
    MenuItem StartInTaskTray{"StartInTaskTray", "Start in System Tray"};
    MenuItem TimeSyncOnStartup{"TimeSyncOnStartup", "Time Sync after Startup"};
    MenuItem StartUpDelayMenu1{"StartUpDelayMenu1", "Startup Delay"};
    MenuItem StartUpDelayEnabled{"StartUpDelayEnabled", "30 Second Delay", true};
    MenuItem Menu_NoDelay{"Menu_NoDelay", "No Delay"};

    MenuItem Menu_Comm{"Menu_Comm", "Comm"};
    MenuItem Menu_Port{"Menu_Port", "Port"};
    MenuItemArray Menu_Port_Number{"Menu_Port_Number", Menu_Port};
    MenuItem Menu_Baud{"Menu_Baud", "Baud"};
    MenuItem Menu_Parity{"Menu_Parity", "Parity"};
    MenuItem Menu_Flow{"Menu_Flow", "Flow"};
    MenuItem Menu_DataBits{"Menu_DataBits", "Data Bits"};
    MenuItem Menu_Stop{"Menu_Stop", "Stop"};
#define QUORVANE_DECLARE_ITEM(item, caption, checked) MenuItem item{#item, caption, checked};
    QUORVANE_LINE_SETTING_ITEMS(QUORVANE_DECLARE_ITEM)
#undef QUORVANE_DECLARE_ITEM

    MenuItem DisplayBlank1{"DisplayBlank1", ""};
    MenuItem DisplayBlank{"DisplayBlank", "               "};
    MenuItem MenuMinimize{"MenuMinimize", "Hide"};
    MenuItem MenuExit{"MenuExit", "Exit"};

    // ---- Platform components ----------------------------------------------------------------
    SerialPort* MSPort1 = nullptr;  // created (connected) by Form_Load
    TrayIcon& TrayIcon1;
    Balloon& Balloon1;

    // ---- Module state -----------------------------------------------------------------------
    std::int16_t RxStaleCount = 0;
    std::int16_t FixStaleCount = 0;
    std::int16_t NextUpdateHhmm = 0;
    std::int16_t StartupDelayCount = 0;
    std::int16_t TrayDelayCount = 0;
    std::int16_t LastTickHhmm = 0;
    std::int16_t BalloonIcon = 0;
    bool TrayIconGreen = false;

    bool SettingsSaveRequested = false;
    bool SettingsLoadRequested = false;
    bool SyncAfterStartupPending = false;

    // The settings record's six line settings, as the menus show them.
    std::string GpsPortName;
    std::string GpsPortSpeed;
    std::string GpsPortParity;
    std::string GpsPortDataLength;
    std::string GpsPortFlowControl;
    std::string GpsPortStopBits;

    std::string BalloonTitle;
    std::string BalloonText;
    std::array<std::string, 10> SentenceHistory;

    // The latest received line, CR and LF removed, and when it arrived.
    std::string RxLine;
    ArrivalStamps RxStamps;

    // The last time-carrying sentence, as cut for the display.
    FixFields FixTime;
    // The newest fix the clock may be set from.
    std::optional<ClockFix> LastClockFix;
    // The last successful setting of the computer clock.
    std::optional<ClockSetting> LastClockSetting;

    // A fix dated before this is not a real one (receivers send 1980, 1999 or 2006 after a cold
    // start or a week rollover). The build date by default.
    DateTime EarliestFixDate;

    // Set once the shutdown sequence has ended the program; nothing runs after it.
    bool ProgramEnded = false;
    // The shutdown sequence is unloading the windows; their close requests must not start
    // another unload.
    bool UnloadingWindows = false;
    // A tick is running; a tick that starts inside it (from a box or a pump) only shows.
    bool TickInProgress = false;
    // Users other than the owner and group may run this copy, so the clock right it carried was
    // dropped before start; Form_Load says so.
    bool ClockRightWithdrawn = false;
    // What Form_Load had to say when starting in the tray: told once the tray icon is up.
    std::string StartupNotice;
    // When the last tick ran the timed steps: they run once per second of real time, however
    // the heartbeat's ticks bunch up.
    std::optional<MonoTime> LastTimedTick;

    // ---- app/ ---------------------------------------------------------------------------------
    void Form_Load();
    void LoadGPS_PortSettings();
    void mhide_Click();
    void MenuMinimize_Click();
    void menu2_Click();
    void TrayIcon1_MenuRequest();
    void mexit_Click();
    void MenuExit_Click();
    void Form_QueryUnload();
    // The system asks the program to end (SIGTERM, SIGINT, SIGHUP): the same sequence as Exit.
    void Form_Terminate(const std::string& why);
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    void GPSAltitude_MouseMove(int Button, int Shift, float X, float Y);
    void GPSLatitude_MouseMove(int Button, int Shift, float X, float Y);
    void GPSLongitude_MouseMove(int Button, int Shift, float X, float Y);
    void TimeGPS_MouseMove(int Button, int Shift, float X, float Y);
    // The computer's clock now, in UTC (local time plus the zone's current bias).
    DateTime utcNow();
    // Appends one line to the log: the UTC time to the millisecond, a space, the text.
    void logEvent(const std::string& text);

    // ---- settings/ ----------------------------------------------------------------------------
    void LoadSaveFiles();
    void UncheckAllBaud();
    void UncheckAllParity();
    void StartInTaskTray_Click();
    void TimeSyncOnStartup_Click();
    void StartUpDelayEnabled_Click();
    void Menu_NoDelay_Click();
    // The full path of the settings file.
    std::string settingsFilePath();

    // ---- gpsport/ -----------------------------------------------------------------------------
    void StartGPSPort();
    void RestartGPSPort();
    void SaveAndStartGPSPort();
    void MSPort1_OnRead(const std::optional<std::string>& value, const ArrivalStamps& stamps = {});
    void Menu_Port_Number_Click(std::int16_t Index);
    // The open port went away: tried again quietly by RetryLostPort, once per few ticks, until
    // it opens or StartGPSPort runs for a choice in the menus or at start-up. A device that
    // drops again straight after each reopening is tried less and less often, and logged at
    // most once a minute.
    void MSPort1_OnGone(const std::string& reason);
    void RetryLostPort();
    bool PortRetrying = false;
    std::int16_t PortRetryTicks = 0;
    std::int16_t PortRetryEveryTicks = 3;
    std::optional<MonoTime> PortReopenedAt;  // when a retry last brought the port back
    std::optional<MonoTime> PortLoggedAt;    // the last "lost" or "back" line
    int PortUnloggedDrops = 0;               // drops since that line that were not logged
    void logPortLine(const std::string& text, MonoTime now);
#define QUORVANE_DECLARE_HANDLER(item, caption, checked) void item##_Click();
    QUORVANE_LINE_SETTING_ITEMS(QUORVANE_DECLARE_HANDLER)
#undef QUORVANE_DECLARE_HANDLER

    // ---- nmea/ --------------------------------------------------------------------------------
    void DecodeSentence();
    void DisplayFeet_Click();
    void DisplayMeters_Click();

    // ---- Receivers that name several satellite systems (nmea/talkers.cpp) ---------------------
    // Kept in a file of its own beside the program, QuorvaneTalkers.XML.
    MenuItem AcceptAllSatelliteSystems{"AcceptAllSatelliteSystems", "Accept All Satellite Systems"};
    // While it is unchecked: since when, and when last, RMC lines came under another system's
    // talker with no $GPRMC among them; the user is told once per start.
    std::optional<MonoTime> OtherTalkerSince;
    MonoTime OtherTalkerLast{};
    bool TalkerNoticeGiven = false;
    void AcceptAllSatelliteSystems_Click();
    // Missing or unreadable: unchecked.
    void LoadTalkersFile();

    // ---- clock/ -------------------------------------------------------------------------------
    void Timer1_Timer();
    void SetComputerClock_Click();
    // Sets the clock from the last sound fix; tells the user as fits the cause. The setting made,
    // or nullopt when refused.
    std::optional<ClockSetting> setComputerClock(ClockSetCause cause);
    float GetTimeZoneBias();
    void ScheduleNextUpdate();
    // A setting that met a burst the reader could not date (clock/clock_deferral.cpp): the next
    // fix it could date completes it, the timer refuses it after 5 s. Nothing blocks meanwhile.
    std::optional<PendingClockSet> PendingClockSetting;
    void holdClockSetting(ClockSetCause cause);
    void PendingClock_OnRead();
    void PendingClock_Tick();

    // ---- Receiver delay: clock/receiver_delay*.cpp ----------------------------------------------
    // At the end of the Comm menu, after a dividing line.
    MenuItem Menu_Comm_Line{"Menu_Comm_Line", SeparatorLine{}};
    MenuItem Menu_ReceiverDelay{"Menu_ReceiverDelay", "Receiver Delay"};
    MenuItem Menu_ReceiverDelay_Measure{"Menu_ReceiverDelay_Measure", "Measure Now"};
    MenuItem Menu_ReceiverDelay_Zero{"Menu_ReceiverDelay_Zero", "Use 0 ms"};
    MenuItem Menu_ReceiverDelay_Enter{"Menu_ReceiverDelay_Enter", "Enter..."};
    // Checked, and shown, only while a delay is in use ("Using 152 ms").
    MenuItem Menu_ReceiverDelay_Using{"Menu_ReceiverDelay_Using", ""};

    // How long after the instant its fix names the receiver begins a burst, as the receiver file
    // holds it; none without one. Every setting of the clock adds it.
    std::optional<int> ReceiverDelayMs;
    // The measurement under way, if any.
    std::optional<DelayMeasurement> DelayMeasuring;

    void Menu_ReceiverDelay_Measure_Click();
    void Menu_ReceiverDelay_Zero_Click();
    void Menu_ReceiverDelay_Enter_Click();
    // Reads the receiver file into ReceiverDelayMs and the menu; any failure means no delay.
    void LoadReceiverDelay();
    // Saves a delay to the receiver file, then reads the file back. The failure's text, or "".
    std::string UseReceiverDelay(int delayMs);
    // A running measurement takes a sample from each new burst's fix ...
    void ReceiverDelay_OnRead();
    // ... and ends when its time is up.
    void ReceiverDelay_Tick();
    std::string receiverFilePath();

    // ---- keeping time between settings (clock/drift_*, settings/drift_file*) ---------------
    MenuItem KeepTimeBetweenSettings{"KeepTimeBetweenSettings", "Keep Time Between Settings"};
    KeepingEngine Keeping;
    // Why keeping has stopped though the option is on (no right to trim, the clock could not be
    // set); empty while it runs. Checking the option again tries again.
    std::string KeepingStopped;
    // Another program disciplines the clock: hands off, said once a run.
    bool KeepingHandsOff = false;
    bool KeepingToldHandsOff = false;
    // The rate in force is this program's trim: when it stops steering it leaves the drift's
    // compensation alone, or the rate it found in force before its first trim.
    bool KeepingTrimmed = false;
    std::optional<double> KeepingFoundRatePpm;
    // The rate as the system took it at the last trim: another rate found in force means
    // another program steers the rate.
    double KeepingSetRatePpm = 0;
    // Keeping stands aside (another program sets the clock or its rate, or another copy keeps
    // time): why, for the tooltip, or empty. It looks again at KeepingLookAgain, each look
    // later than the last.
    std::string KeepingAside;
    std::optional<MonoTime> KeepingLookAgain;
    std::chrono::minutes KeepingBackOff{10};
    std::optional<MonoTime> KeepingLookedAt;
    // The clock moved away soon after the program's own setting, this many times in a row.
    int KeepingMovedAway = 0;
    unsigned KeepingToldAside = 0;  // the reasons said once, as bits
    // The burst last sampled, the receiver delay and the suspended time the estimate began with.
    MonoTime KeepingSampledBurst{};
    std::optional<int> KeepingDelay;
    std::optional<std::chrono::milliseconds> KeepingSuspended;
    // Windows tells of a resume by a notice, which the view hands to Form_PowerResume.
    bool KeepingResumed = false;
    MonoTime KeepingLastReport{};
    void KeepTimeBetweenSettings_Click();
    void Form_PowerResume();
    // The program stops steering the rate (it ends, the session ends): no slewing stays in force.
    void Keeping_StopSteering(const std::string& why);
    // Windows asks whether the session may end, then says whether it does.
    void Form_SessionEnding();
    void Form_SessionGoesOn();
    // Start-up: the option and the starting drift from the drift file.
    void LoadDriftFile();
    // The failure's text, or "".
    std::string SaveDriftFile();
    std::string driftFilePath();
    // Every new burst with a sound fix gives one offset sample ...
    void Keeping_OnRead();
    // ... and every tick steers the rate, or ends a large offset with one setting.
    void Keeping_Tick();
    // Every successful setting of the clock is a known step, taken out of the estimate.
    void Keeping_AfterSetting(const ClockSetting& setting);

    // ---- Sharing time with chrony: clock/time_sharing*.cpp -----------------------------------
    // Every valid burst becomes one sample in the shared-memory segment chrony reads. chrony
    // then keeps the clock: the timed settings and the keeping stand aside, SET TIME still works.
    MenuItem ShareTimeWithChrony{"ShareTimeWithChrony", "Share Time with chrony"};
    int TimeShareUnit = kDefaultTimeShareUnit;
    // The segment is open and samples go out.
    bool TimeShareInForce = false;
    // Why not, though the option is on; told once per reason, tried again every half minute.
    std::string TimeShareProblem;
    std::int16_t TimeShareRetryTicks = 0;
    MonoTime TimeShareSampledBurst{};
    void ShareTimeWithChrony_Click();
    // Start-up: the option and the unit from their file.
    void LoadTimeShareFile();
    // Every new burst with a valid, sound fix gives chrony one sample ...
    void TimeShare_OnRead();
    // ... and every tick takes the segment when due and says what is shared.
    void TimeShare_Tick();

    // ---- platform, for the rooms ----------------------------------------------------------------
    SystemClock& clock() {
        return clock_;
    }
    RandomSource& random() {
        return random_;
    }
    TextFiles& files() {
        return files_;
    }
    Desktop& desktop() {
        return desktop_;
    }
    SerialPort& serialComponent() {
        return serial_;
    }
    EventLog& eventLog() {
        return log_;
    }
    TimeShare& timeShare() {
        return timeShare_;
    }

private:
    void buildMenus();
    void wireHandlers();

    SerialPort& serial_;
    SystemClock& clock_;
    RandomSource& random_;
    TextFiles& files_;
    Desktop& desktop_;
    EventLog& log_;
    NoTimeShare noTimeShare_;
    TimeShare& timeShare_;
};

}  // namespace quorvane
