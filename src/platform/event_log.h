#pragma once

#include <string>

namespace quorvane {

// What happened while nobody watched: one line per event, newest last, in a plain-text file
// beside the program. The file keeps only the newest lines.
class EventLog {
public:
    virtual ~EventLog() = default;
    // Appends one line (no line end). Never throws and never shows anything: a log that cannot
    // be written must not stop the program or the heartbeat.
    virtual void append(const std::string& line) = 0;
};

}  // namespace quorvane
