#include "clock/clock_messages.h"

#include "clock/clock_notices.h"

#include <cstdio>

namespace quorvane {

namespace {

constexpr const char* kNotSet = "The computer clock was not changed.";

std::string longDate(const DateTime& value) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = value.month >= 1 && value.month <= 12 ? kMonths[value.month - 1] : "???";
    char text[32];
    std::snprintf(text, sizeof text, "%d %s %04d", value.day, month, value.year);
    return text;
}

std::string withReason(const std::string& detail) {
    return detail.empty() ? std::string() : "\n\n(" + detail + ")";
}

const char* causeName(ClockSetCause cause) {
    switch (cause) {
        case ClockSetCause::Daily:
            return "daily";
        case ClockSetCause::AfterStartup:
            return "after start-up";
        case ClockSetCause::Keeping:
            return "keeping";
        case ClockSetCause::Button:
            break;
    }
    return "button";
}

// Seconds and milliseconds of a magnitude: "0.842".
std::string unsignedSeconds(std::int64_t milliseconds) {
    const auto magnitude = milliseconds < 0 ? 0ULL - static_cast<unsigned long long>(milliseconds)
                                            : static_cast<unsigned long long>(milliseconds);
    const std::string fraction = std::to_string(magnitude % 1000);
    return std::to_string(magnitude / 1000) + "." + std::string(3 - fraction.size(), '0') +
           fraction;
}

}  // namespace

std::string shellWord(const std::string& path) {
    const bool plain = path.find_first_not_of(
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                           "0123456789/._-+") == std::string::npos;
    if (plain && !path.empty()) {
        return path;
    }
    std::string quoted = "'";
    for (char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string notSetSentence(const std::string& why) {
    return "The clock was not set: " + why + ".";
}

std::string noRecentFixMessage(int limitSeconds) {
    return "No GPS fix with a correct checksum has arrived in the last " +
           std::to_string(limitSeconds) + " seconds, so there is no time to set.\n\n" + kNotSet;
}

std::string invalidFixMessage(const FixFields& f) {
    return "The GPS fix does not hold a valid date and time (date \"" + f.FixDay + f.FixMonth +
           f.FixYear + "\", time \"" + f.FixHour + f.FixMinute + f.FixSecond + "\").\n\n" + kNotSet;
}

std::string earlyFixMessage(const DateTime& fix, const DateTime& earliest) {
    return "The GPS fix is dated " + longDate(fix) + ", before this copy of Quorvane was built (" +
           longDate(earliest) +
           "). Receivers report such dates after a cold start or a GPS week rollover, until they "
           "have found the true date.\n\n" +
           kNotSet;
}

std::string clockRightWithdrawnMessage(const std::string& executable) {
    return "Other users of this computer can run this copy of Quorvane, so it will not set the "
           "clock. Make it executable by its owner and group only, with this command (put sudo "
           "before it where the file belongs to root), then start Quorvane again:\n\nchmod 750 " +
           shellWord(executable) +
           "\n\nIts owner and the members of its group keep the right to set the clock with it.";
}

std::string clockRightWithdrawnNotice() {
    return "Other users can run this copy of Quorvane, so it will not set the clock; Quorvane.log "
           "says how to mend that.";
}

std::string notPermittedMessage([[maybe_unused]] const std::string& executable,
                                const std::string& detail, bool withdrawn) {
    if (withdrawn) {
        return clockRightWithdrawnMessage(executable) + "\n\n" + kNotSet + withReason(detail);
    }
#ifdef _WIN32
    return std::string(
               "Quorvane is not allowed to set the computer clock: it needs the Windows right "
               "\"Change the system time\".\n\nTo grant it, start Quorvane with \"Run as "
               "administrator\".\n\n") +
           kNotSet + withReason(detail);
#else
    return "Quorvane is not allowed to set the computer clock: it needs the CAP_SYS_TIME "
           "capability.\n\nTo grant it, run this once in a terminal, then start Quorvane "
           "again:\n\nsudo setcap cap_sys_time=ep " +
           shellWord(executable) + "\n\n" + kNotSet + withReason(detail);
#endif
}

std::string notPermittedToTrimMessage([[maybe_unused]] const std::string& executable,
                                      bool withdrawn) {
    if (withdrawn) {
        return clockRightWithdrawnMessage(executable);
    }
#ifdef _WIN32
    return "Quorvane is not allowed to trim the clock's rate: it needs the Windows right \"Change "
           "the system time\".\n\nTo grant it, start Quorvane with \"Run as administrator\".";
#else
    return "Quorvane is not allowed to trim the clock's rate: it needs the CAP_SYS_TIME "
           "capability.\n\nTo grant it, run this once in a terminal, then start Quorvane "
           "again:\n\nsudo setcap cap_sys_time=ep " +
           shellWord(executable);
#endif
}

std::string clockFailedMessage(const std::string& detail) {
    return "The computer clock could not be set: " +
           (detail.empty() ? std::string("the system refused the change") : detail) + ".\n\n" +
           kNotSet;
}

std::string noValidFixMessage() {
    return std::string("The GPS fix is not valid (the Track OK lamp is red).\n\n") + kNotSet;
}

std::string undatedBurstMessage() {
    return std::string(
               "The last GPS burst waited in the computer while Quorvane could not run, "
               "so the time it arrived is not known.\n\n") +
           kNotSet;
}

std::string noDatedBurstMessage(int waitedSeconds) {
    return "For " + std::to_string(waitedSeconds) +
           " seconds every GPS burst waited in the computer while Quorvane could not run (a "
           "busy, swapping or paused system), so none tells the time it arrived.\n\n" +
           kNotSet;
}

std::string signedSeconds(std::int64_t milliseconds) {
    return (milliseconds < 0 ? "-" : "+") + unsignedSeconds(milliseconds) + " s";
}

std::string clockSetLogText(const ClockSetting& setting) {
    return std::string("Clock set (") + causeName(setting.cause) + "): set to " +
           toIsoText(setting.utcSet) + " UTC, " + clockWasText(setting.offsetMs) +
           ", receiver delay " + std::to_string(setting.receiverDelayMs.value_or(0)) + " ms";
}

std::string clockRefusedLogText(ClockSetCause cause, const std::string& message) {
    return std::string("Clock not set (") + causeName(cause) + "): " + oneLine(message);
}

std::string clockWaitsLogText(ClockSetCause cause) {
    return std::string("Clock setting (") + causeName(cause) +
           ") waits for the next GPS burst: the last could not be dated";
}

std::string clockWasText(std::int64_t offsetMs) {
    if (offsetMs == 0) {
        return "the clock was right";
    }
    // Set forward means it was behind.
    return "the clock was " + unsignedSeconds(offsetMs) + " s " + (offsetMs < 0 ? "fast" : "slow");
}

std::string clockSetNotice(std::int64_t offsetMs) {
    return "Clock set: " + clockWasText(offsetMs);
}

}  // namespace quorvane
