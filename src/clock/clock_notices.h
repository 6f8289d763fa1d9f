#pragma once

#include <cstdint>
#include <string>

#include "app/form1.h"

namespace quorvane {

// Balloon icon styles a notice may carry: all is well, or something needs the user's eye.
inline constexpr std::int32_t kNoticeGood = 0;
inline constexpr std::int32_t kNoticeWarning = 2;

// Tells the user without waiting for an answer, so nothing stops: a notification from the tray
// icon, or where no notification area shows the icon, a balloon at "SET TIME". Never a box. A
// newer notice takes the place of one still shown, so repeats do not pile up.
void notifyUser(Form1& form, const std::string& text, std::int32_t style);

// What the timer tells the user: a notification has room for one short sentence; the full text
// (every paragraph, the command to run, the system's reason) goes to the log.
struct Notice {
    std::string sentence;
    std::string full;
};
// Logs the full text on one line, then notifies with the sentence.
void notifyAndLog(Form1& form, const Notice& notice, std::int32_t style);

// A setting of the clock refused, logged first (a box may stay up for days). Only the user who
// pressed "SET TIME" gets a box; the timer's settings must not stop the heartbeat waiting for an
// answer.
void refuseClockSetting(Form1& form, ClockSetCause cause, const Notice& why);

// The tray tooltip's first line: the GPS time, or that the fix is not valid. Options in force
// add a line of their own under it.
std::string trayStatusText(const Form1& form);

// A box's text on one line: its paragraphs and lines joined by spaces.
std::string oneLine(const std::string& text);

}  // namespace quorvane
