#pragma once

#include <cstddef>
#include <string>

#include "platform/event_log.h"
#include "platform/text_files.h"

namespace quorvane {

// The log as a text file, kept to its newest lines. Events are rare (a setting a day, a
// receiver lost and found), so each one rewrites the file whole, the same safe way as the
// settings file: a crash mid-write never leaves half a log.
class FileEventLog : public EventLog {
public:
    static constexpr std::size_t kKeepLines = 1000;

    FileEventLog(TextFiles& files, std::string path);
    void append(const std::string& line) override;

private:
    TextFiles& files_;
    std::string path_;
};

}  // namespace quorvane
