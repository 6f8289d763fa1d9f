#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/event_log.h"
#include "platform/text_files.h"

namespace quorvane {

// The log as a text file, kept to its newest lines. Events are rare (a setting a day, a
// receiver lost and found), so each one rewrites the file whole, the same safe way as the
// settings file: a crash mid-write never leaves half a log.
//
// A log that cannot be read (past the size limit, unreadable, not an ordinary file) is never
// overwritten: it is renamed to "<name>.1", replacing the one generation kept there, and a new
// log begins. Where even that fails the file is left as it is, nothing is logged until it can be,
// and `complain` hears about it once.
class FileEventLog : public EventLog {
public:
    static constexpr std::size_t kKeepLines = 1000;

    // By default the complaint goes to standard error: the log itself is what failed.
    FileEventLog(TextFiles& files, std::string path,
                 std::function<void(const std::string&)> complain = {});
    void append(const std::string& line) override;

private:
    // The text to append to, or nullopt when the file must be left alone.
    std::optional<std::string> currentText();

    TextFiles& files_;
    std::string path_;
    std::function<void(const std::string&)> complain_;
    bool complained_ = false;
};

}  // namespace quorvane
