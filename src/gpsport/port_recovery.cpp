#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "app/form1.h"
#include "gpsport/port_opening.h"
#include "gpsport/port_values.h"

namespace quorvane {

namespace {

// Ticks between attempts to open a lost port again. An attempt costs one scan of the port list
// and one open call, so a receiver left unplugged for months costs nothing measurable. The lamps
// need about five seconds of sentences after the open, so a replugged receiver shows green
// within 10 s of sending again.
constexpr std::int16_t kRetryEveryTicks = 3;
// A device that drops within this time of being opened again, before its lamps could even turn
// green, is flapping (a loose plug, a receiver that resets): each such drop doubles the wait
// before the next attempt, up to the longest. One that stayed until they could is a receiver
// unplugged again, told and tried again as ever.
constexpr auto kSteadyAfter = std::chrono::seconds(5);
constexpr std::int16_t kLongestRetryTicks = 60;
// While it flaps, at most one line of the log in this time.
constexpr auto kLeastBetweenLines = std::chrono::seconds(60);

std::string portText(SerialPort& port, const std::string& name, double number) {
    std::string device;
    try {
        device = port.portDevice(static_cast<int>(number));
    } catch (const std::exception&) {
        // Only a detail of the log line.
    }
    return device.empty() ? name : name + " (" + device + ")";
}

}  // namespace

// No box and nothing stored: the user's choice of port stays as it is while the device is away.
// One notification says why the lamps went red; a newer one replaces it, so a receiver that
// comes and goes all night leaves no pile.
void Form1::MSPort1_OnGone(const std::string& reason) {
    if (ProgramEnded) {
        return;
    }
    const MonoTime now = clock_.monotonicNow();
    const bool flapping = PortReopenedAt && now - *PortReopenedAt < kSteadyAfter;
    PortRetryEveryTicks =
        flapping
            ? static_cast<std::int16_t>(std::min<int>(PortRetryEveryTicks * 2, kLongestRetryTicks))
            : kRetryEveryTicks;
    PortReopenedAt.reset();
    PortRetrying = true;
    PortRetryTicks = 0;
    if (flapping && PortLoggedAt && now - *PortLoggedAt < kLeastBetweenLines) {
        ++PortUnloggedDrops;
        return;
    }
    // The reason names the port: "Com3 (/dev/ttyUSB0): the device went away".
    logPortLine("Receiver lost on " + reason, now);
    TrayIcon1.showMessage(kProgramTitle, "Receiver lost on " + reason +
                                             ". It is opened again as soon as it is back.");
}

void Form1::logPortLine(const std::string& text, MonoTime now) {
    const int drops = std::exchange(PortUnloggedDrops, 0);
    logEvent(drops == 0 ? text
                        : text + "; it dropped " + std::to_string(drops) +
                              (drops == 1 ? " more time" : " more times") +
                              " since the last report of it");
    PortLoggedAt = now;
}

void Form1::RetryLostPort() {
    if (!PortRetrying || ProgramEnded) {
        return;
    }
    if (++PortRetryTicks < PortRetryEveryTicks) {
        return;
    }
    PortRetryTicks = 0;
    const double number = portNumberOfName(GpsPortName);
    if (number <= 0) {
        PortRetrying = false;
        return;
    }
    SerialPort& port = gpsPort(*this);
    try {
        openGpsPort(*this, port, number);
    } catch (const std::exception&) {
        // Still away. Failed attempts are not logged, so months of them leave the log alone.
        try {
            closeIfOpen(port);
        } catch (const std::exception&) {
            // As closed as it can be made; the next attempt closes first again.
        }
        return;
    }
    PortRetrying = false;
    const MonoTime now = clock_.monotonicNow();
    PortReopenedAt = now;
    const bool flapping = PortRetryEveryTicks > kRetryEveryTicks;
    if (!flapping || !PortLoggedAt || now - *PortLoggedAt >= kLeastBetweenLines) {
        logPortLine("Receiver back: " + portText(port, GpsPortName, number), now);
    }
}

}  // namespace quorvane
