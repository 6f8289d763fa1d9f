#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "platform/text_files.h"

namespace quorvane {

// The log as a text file, kept to its newest lines. Events are rare (a setting a day, a
// receiver lost and found), so each one rewrites the file whole, the same safe way as the
// settings file: a crash mid-write never leaves half a log.
//
// A log that cannot be read is never overwritten. One that can never serve (past the size limit,
// not an ordinary file) is renamed to "<name>.1", the older ones moving up to "<name>.3", and a
// new log begins; where even that fails the file is left as it is and nothing is logged until
// it can be. A read that fails otherwise (too many open files, a lock) may pass: the lines wait
// in memory and the read is tried again at the next line. `complain` hears once about a log
// that cannot be set aside, or that could not be read twice in a row.
class FileEventLog : public EventLog {
public:
    static constexpr std::size_t kKeepLines = 1000;
    static constexpr int kGenerations = 3;

    // By default the complaint goes to standard error: the log itself is what failed.
    FileEventLog(TextFiles& files, std::string path,
                 std::function<void(const std::string&)> complain = {});
    void append(const std::string& line) override;

private:
    // The text to append to, or nullopt when the file must be left alone for now.
    std::optional<std::string> currentText();
    // Moves the log to "<name>.1" and the older ones up; throws, replacing nothing that exists,
    // where one cannot be moved.
    void setAside();
    void complainOnce(const std::string& text);

    TextFiles& files_;
    std::string path_;
    std::function<void(const std::string&)> complain_;
    bool complained_ = false;
    int failedReads_ = 0;
    std::vector<std::string> waiting_;  // lines not yet written, oldest first
};

}  // namespace quorvane
