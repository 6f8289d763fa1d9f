#include "platform/file_event_log.h"

#include <cstdio>
#include <exception>
#include <optional>
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

FileEventLog::FileEventLog(TextFiles& files, std::string path,
                           std::function<void(const std::string&)> complain)
    : files_(files), path_(std::move(path)), complain_(std::move(complain)) {
    if (!complain_) {
        complain_ = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
    }
}

std::optional<std::string> FileEventLog::currentText() {
    try {
        return files_.readAll(path_);
    } catch (const FileError& unread) {
        if (unread.number() == 53 || unread.number() == 76) {
            return std::string();  // no log yet, or no folder to keep one in
        }
        // Whatever the file is, it may be worth keeping: set it aside rather than write over it.
        try {
            files_.rename(path_, path_ + ".1");
            return std::string();
        } catch (const FileError& stuck) {
            if (!complained_) {
                complained_ = true;
                complain_("Quorvane cannot read its log " + path_ + " (" + unread.what() +
                          ") nor set it aside (" + stuck.what() +
                          "), so it leaves the file as it is and logs nothing until it can.");
            }
            return std::nullopt;
        }
    }
}

void FileEventLog::append(const std::string& line) {
    try {
        std::optional<std::string> current = currentText();
        if (!current) {
            return;
        }
        std::string& text = *current;
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
