#include "app/form1.h"

#include <cstdlib>

#include "build_date.h"

namespace quorvane {

namespace {

// The day this program was built, as YYYYMMDD from the build system.
DateTime buildDate() {
    const long stamp = QUORVANE_BUILD_DATE;
    DateTime date;
    date.year = static_cast<int>(stamp / 10000);
    date.month = static_cast<int>(stamp / 100 % 100);
    date.day = static_cast<int>(stamp % 100);
    return date;
}

}  // namespace

Form1::Form1(FormPlatform platform)
    : TrayIcon1(platform.tray),
      Balloon1(platform.balloon),
      EarliestFixDate(buildDate()),
      serial_(platform.serial),
      clock_(platform.clock),
      random_(platform.random),
      files_(platform.files),
      desktop_(platform.desktop),
      log_(platform.log),
      timeShare_(platform.timeShare ? *platform.timeShare : noTimeShare_) {
    buildMenus();
    wireHandlers();
    // Item 0 of the Port array exists from the window's creation and is never removed.
    Menu_Port_Number.load(kNoneReset);
}

void Form1::buildMenus() {
    for (MenuItem* top : {&menu1, &DisplayUnits, &StartUpDelayMenu, &Menu_Comm, &DisplayBlank1,
                          &MenuMinimize, &MenuExit}) {
        MenuBar.appendItem(*top);
    }
    for (MenuItem* item : {&menu2, &mhide, &mexit}) {
        menu1.appendItem(*item);
    }
    DisplayUnits.appendItem(DisplayFeet);
    DisplayUnits.appendItem(DisplayMeters);
    StartUpDelayMenu.appendItem(StartInTaskTray);
    StartUpDelayMenu.appendItem(TimeSyncOnStartup);
    StartUpDelayMenu.appendItem(StartUpDelayMenu1);
    StartUpDelayMenu1.appendItem(StartUpDelayEnabled);
    StartUpDelayMenu1.appendItem(Menu_NoDelay);
    for (MenuItem* group :
         {&Menu_Port, &Menu_Baud, &Menu_Parity, &Menu_Flow, &Menu_DataBits, &Menu_Stop}) {
        Menu_Comm.appendItem(*group);
    }
#define QUORVANE_APPEND(item, caption, checked) group->appendItem(item);
    MenuItem* group = &Menu_Baud;
    QUORVANE_BAUD_ITEMS(QUORVANE_APPEND)
    group = &Menu_Parity;
    QUORVANE_PARITY_ITEMS(QUORVANE_APPEND)
    group = &Menu_Flow;
    QUORVANE_FLOW_ITEMS(QUORVANE_APPEND)
    group = &Menu_DataBits;
    QUORVANE_DATABITS_ITEMS(QUORVANE_APPEND)
    group = &Menu_Stop;
    QUORVANE_STOP_ITEMS(QUORVANE_APPEND)
#undef QUORVANE_APPEND
    DisplayBlank1.appendItem(DisplayBlank);
    Menu_Comm.appendItem(AcceptAllSatelliteSystems);
    Menu_Comm.appendItem(Menu_Comm_Line);
    Menu_Comm.appendItem(Menu_ReceiverDelay);
    for (MenuItem* item : {&Menu_ReceiverDelay_Measure, &Menu_ReceiverDelay_Zero,
                           &Menu_ReceiverDelay_Enter, &Menu_ReceiverDelay_Using}) {
        Menu_ReceiverDelay.appendItem(*item);
    }
    // A line that states the delay in use; the items above it change it.
    Menu_ReceiverDelay_Using.setVisible(false);
    Menu_ReceiverDelay_Using.setEnabled(false);
    Menu_Comm.appendItem(ShareTimeWithChrony);
    Menu_Comm.appendItem(KeepTimeBetweenSettings);
}

void Form1::wireHandlers() {
    menu2.onClick = [this] { menu2_Click(); };
    mhide.onClick = [this] { mhide_Click(); };
    mexit.onClick = [this] { mexit_Click(); };
    DisplayFeet.onClick = [this] { DisplayFeet_Click(); };
    DisplayMeters.onClick = [this] { DisplayMeters_Click(); };
    StartInTaskTray.onClick = [this] { StartInTaskTray_Click(); };
    TimeSyncOnStartup.onClick = [this] { TimeSyncOnStartup_Click(); };
    StartUpDelayEnabled.onClick = [this] { StartUpDelayEnabled_Click(); };
    Menu_NoDelay.onClick = [this] { Menu_NoDelay_Click(); };
    KeepTimeBetweenSettings.onClick = [this] { KeepTimeBetweenSettings_Click(); };
    ShareTimeWithChrony.onClick = [this] { ShareTimeWithChrony_Click(); };
    MenuMinimize.onClick = [this] { MenuMinimize_Click(); };
    MenuExit.onClick = [this] { MenuExit_Click(); };
    Menu_ReceiverDelay_Measure.onClick = [this] { Menu_ReceiverDelay_Measure_Click(); };
    Menu_ReceiverDelay_Zero.onClick = [this] { Menu_ReceiverDelay_Zero_Click(); };
    Menu_ReceiverDelay_Enter.onClick = [this] { Menu_ReceiverDelay_Enter_Click(); };
    AcceptAllSatelliteSystems.onClick = [this] { AcceptAllSatelliteSystems_Click(); };
#define QUORVANE_WIRE(item, caption, checked) item.onClick = [this] { item##_Click(); };
    QUORVANE_LINE_SETTING_ITEMS(QUORVANE_WIRE)
#undef QUORVANE_WIRE
    Menu_Port_Number.onClick = [this](std::int16_t index) { Menu_Port_Number_Click(index); };
    TrayIcon1.menuRequest = [this] { TrayIcon1_MenuRequest(); };
}

void Form1::setObserver(ControlObserver* observer) {
    Control* controls[] = {&window,           &TimeComputer,  &TimeGPS,    &GPSLatitude,
                           &GPSLongitude,     &GPSAltitude,   &GPS_CommOK, &TimeValid,
                           &SetComputerClock, &NextGPSUpdate, &Label5,     &Label2,
                           &Label6,           &Label7,        &GPS_Label,  &Label1,
                           &VersionNumber,    &Label4,        &Timer1,     &MenuBar};
    for (Control* control : controls) {
        control->setObserver(observer);
    }
    // Every menu below the bar, the Port array's items among them.
    std::vector<MenuItem*> pending(MenuBar.items().begin(), MenuBar.items().end());
    while (!pending.empty()) {
        MenuItem* item = pending.back();
        pending.pop_back();
        item->setObserver(observer);
        pending.insert(pending.end(), item->items().begin(), item->items().end());
    }
    Menu_Port_Number.setObserver(observer);
}

}  // namespace quorvane
