// The settings reader: any bytes as the settings file, read at start-up, saved, read back and
// saved again, then the port opened from what was read.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fakes.h"

namespace {

using namespace quorvane;
using namespace quorvane::testing;

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "settings_fuzzer: %s\n", what);
        std::abort();
    }
}

// What a save records and a load restores.
std::vector<std::string> recorded(const Form1& form) {
    return {form.GpsPortName,
            form.GpsPortSpeed,
            form.GpsPortParity,
            form.GpsPortDataLength,
            form.GpsPortFlowControl,
            form.GpsPortStopBits,
            form.DisplayFeet.checked() ? "feet" : "meters",
            form.StartInTaskTray.checked() ? "tray" : "window",
            form.TimeSyncOnStartup.checked() ? "sync" : "no sync",
            form.StartUpDelayEnabled.checked() ? "delay" : "no delay"};
}

std::size_t checkedCount(const MenuItem& menu) {
    std::size_t count = 0;
    for (const MenuItem* item : menu.items()) {
        count += item->checked() ? 1 : 0;
    }
    return count;
}

// The menus a load leaves: one mark in each line-setting group and each option pair, at most
// one in the Port list.
void checkMenus(const Form1& form) {
    for (const MenuItem* group :
         {&form.Menu_Baud, &form.Menu_Parity, &form.Menu_DataBits, &form.Menu_Flow, &form.Menu_Stop,
          &form.DisplayUnits, &form.StartUpDelayMenu1}) {
        check(checkedCount(*group) == 1, "a menu group without exactly one check mark");
    }
    std::size_t ports = 0;
    for (std::size_t i = 0; i < form.Menu_Port_Number.count(); ++i) {
        ports += form.Menu_Port_Number[i].checked() ? 1 : 0;
    }
    check(ports <= 1, "two ports checked");
}

std::string save(FormFixture& f) {
    f.form.SettingsSaveRequested = true;
    f.form.LoadSaveFiles();
    check(!f.form.SettingsSaveRequested && f.desktop.messages.empty(), "the save failed");
    return f.files.files[f.settingsPath()];
}

struct Loaded : FormFixture {
    explicit Loaded(const std::string& file) {
        serial.ports = {1, 3, 200};
        files.files[settingsPath()] = file;
        form.Form_Load();
        check(!form.SettingsLoadRequested, "the load did not finish");
        check(desktop.messages.empty(), "a file in memory reported as unreadable");
        checkMenus(form);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Loaded first(std::string(reinterpret_cast<const char*>(data), size));
    const std::string saved = save(first);

    // Whatever was read, the file written is the program's own 17 lines. A value read can hold
    // neither CR (it ends a line) nor "</" (it ends the value), so it survives the round trip.
    std::size_t lines = 0;
    for (std::size_t at = saved.find("\r\n"); at != std::string::npos;
         at = saved.find("\r\n", at + 2)) {
        ++lines;
    }
    check(lines == 17 && saved.size() >= 2 && saved.compare(saved.size() - 2, 2, "\r\n") == 0,
          "the saved file is not 17 lines");
    Loaded second(saved);
    check(recorded(second.form) == recorded(first.form), "a save and a load changed the settings");
    check(save(second) == saved, "the second save differs from the first");

    // The texts read go to the port as numbers and codes it can take.
    first.form.StartGPSPort();
    const FakeSerialPort& port = first.serial;
    if (port.open) {
        check(std::isfinite(port.speed) && std::isfinite(port.portNumber) && port.portNumber > 0,
              "a speed or port number that is not a number");
        check(port.parity >= 0 && port.parity <= 4 && port.stopBits >= 0 && port.stopBits <= 2 &&
                  (port.dataBits == 7 || port.dataBits == 8) && port.flowControl >= 0 &&
                  port.flowControl <= 4 && port.flowControl != 3,
              "a line-setting code out of range");
    }
    return 0;
}
