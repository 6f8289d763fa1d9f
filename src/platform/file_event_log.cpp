#include "platform/file_event_log.h"

#include <exception>
#include <utility>

namespace quorvane {

namespace {

#ifdef _WIN32
constexpr const char* kLineEnd = "\r\n";
#else
constexpr const char* kLineEnd = "\n";
#endif

// Drops whole lines from the front until at most `keep` remain; text ends with a line end.
void keepNewest(std::string& text, std::size_t keep) {
    std::size_t lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    std::size_t cut = 0;
    for (; lines > keep; --lines) {
        cut = text.find('\n', cut) + 1;
    }
    text.erase(0, cut);
}

}  // namespace

FileEventLog::FileEventLog(TextFiles& files, std::string path)
    : files_(files), path_(std::move(path)) {}

void FileEventLog::append(const std::string& line) {
    try {
        std::string text;
        try {
            text = files_.readAll(path_);
        } catch (const FileError&) {
            // Missing or unreadable: start afresh rather than lose the new event too.
        }
        if (!text.empty() && text.back() != '\n') {
            text += kLineEnd;
        }
        text += line;
        text += kLineEnd;
        keepNewest(text, kKeepLines);
        files_.replaceWhole(path_, text);
    } catch (const std::exception&) {
        // A log that cannot be written is no reason to stop, nor to interrupt anyone.
    }
}

}  // namespace quorvane
