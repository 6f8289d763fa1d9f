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

void FileEventLog::complainOnce(const std::string& text) {
    if (!complained_) {
        complained_ = true;
        complain_(text);
    }
}

void FileEventLog::setAside() {
    for (int to = kGenerations; to >= 1; --to) {
        const std::string from = to == 1 ? path_ : path_ + "." + std::to_string(to - 1);
        try {
            files_.rename(from, path_ + "." + std::to_string(to));
        } catch (const FileError& notMoved) {
            if (to == 1 || notMoved.number() != 53) {
                throw;
            }
        }
    }
}

std::optional<std::string> FileEventLog::currentText() {
    try {
        std::string text = files_.readAll(path_);
        failedReads_ = 0;
        return text;
    } catch (const UnfitFile& unfit) {
        // It may still be worth keeping: set it aside rather than write over it.
        try {
            setAside();
            return std::string();
        } catch (const FileError& stuck) {
            complainOnce("Quorvane cannot read its log " + path_ + " (" + unfit.what() +
                         ") nor set it aside (" + stuck.what() +
                         "), so it leaves the file as it is and logs nothing until it can.");
            return std::nullopt;
        }
    } catch (const FileError& unread) {
        if (unread.number() == 53 || unread.number() == 76) {
            return std::string();  // no log yet, or no folder to keep one in
        }
        if (++failedReads_ >= 2) {
            complainOnce("Quorvane cannot read its log " + path_ + " (" + unread.what() +
                         "), so it leaves the file as it is and tries again at the next event.");
        }
        return std::nullopt;
    }
}

void FileEventLog::append(const std::string& line) {
    if (waiting_.size() == kKeepLines) {
        waiting_.erase(waiting_.begin());
    }
    waiting_.push_back(line);
    try {
        std::optional<std::string> current = currentText();
        if (!current) {
            return;
        }
        std::string& text = *current;
        if (!text.empty() && text.back() != '\n') {
            text += kLineEnd;
        }
        for (const std::string& waiting : waiting_) {
            text += waiting;
            text += kLineEnd;
        }
        keepNewest(text, kKeepLines);
        files_.replaceWhole(path_, text);
        waiting_.clear();
    } catch (const std::exception&) {
        // A log that cannot be written is no reason to stop, nor to interrupt anyone.
    }
}

}  // namespace quorvane
