#pragma once

#include <string>

#include "app/form1.h"
#include "clock/clock_setting.h"

namespace quorvane {

// What the user is told when the clock was not set. Each ends by saying the clock is unchanged.

// The notification's one sentence: "The clock was not set: <why>."
std::string notSetSentence(const std::string& why);

// No fix with a sound checksum arrived recently enough to set the clock from.
std::string noRecentFixMessage(int limitSeconds);
// The six fix fields do not form a real date and time.
std::string invalidFixMessage(const FixFields& fields);
// The fix is dated before the program was built: the receiver does not know the date yet.
std::string earlyFixMessage(const DateTime& fix, const DateTime& earliest);
// The process lacks the right to set the clock; says how to grant it. executable is the full
// path of the program, for the command the user is given. withdrawn: the copy carried the right
// but gave it up because other users may run it, so the mend is its mode, not a new grant.
std::string notPermittedMessage(const std::string& executable, const std::string& detail,
                                bool withdrawn = false);
// The same right lacking for trimming the clock's rate, which leaves the clock as it is.
std::string notPermittedToTrimMessage(const std::string& executable, bool withdrawn = false);
// Said at start when the copy gave up the right because users other than its owner and group
// may run it.
std::string clockRightWithdrawnMessage(const std::string& executable);
// Its one sentence for a notification; the log holds the whole text.
std::string clockRightWithdrawnNotice();
// Any other refusal, with the system's reason.
std::string clockFailedMessage(const std::string& detail);
// The fix lamp is not green when the timer comes to set the clock.
std::string noValidFixMessage();

// The newest fix came in a burst that waited while Quorvane could not run, so its arrival time
// is unknown.
std::string undatedBurstMessage();
// No burst Quorvane could date came within the seconds a setting waited for one.
std::string noDatedBurstMessage(int waitedSeconds);

// The log's lines and the notice after "SET TIME". A setting's line is a list of "what: value"
// parts, so more can be added to it.
std::string clockSetLogText(const ClockSetting& setting);
std::string clockRefusedLogText(ClockSetCause cause, const std::string& message);
std::string clockWaitsLogText(ClockSetCause cause);
// "the clock was 0.842 s slow" (or fast), for an offset set of +842 ms; "the clock was right".
std::string clockWasText(std::int64_t offsetMs);
// "Clock set: the clock was 0.842 s slow".
std::string clockSetNotice(std::int64_t offsetMs);
// A path as one word of a POSIX shell, quoted where needed, so a command that names it still
// works when pasted.
std::string shellWord(const std::string& path);
// Milliseconds as signed seconds: "+0.842 s", "-12.005 s".
std::string signedSeconds(std::int64_t milliseconds);

}  // namespace quorvane
