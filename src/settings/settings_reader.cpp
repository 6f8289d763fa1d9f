#include "settings/settings_reader.h"

#include "settings/codepage_1252.h"

namespace quorvane {

std::optional<TagAndValue> splitTagAndValue(std::string_view line) {
    const std::size_t tagStart = line.find('<');
    if (tagStart == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t tagEnd = line.find('>', tagStart + 1);
    if (tagEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t valueEnd = line.find("</", tagEnd + 1);
    if (valueEnd == std::string_view::npos) {
        return std::nullopt;
    }
    return TagAndValue{line.substr(tagStart + 1, tagEnd - tagStart - 1),
                       line.substr(tagEnd + 1, valueEnd - tagEnd - 1)};
}

void readSettingsEntries(
    std::string_view bytes,
    const std::function<void(std::string_view tag, const std::string& value)>& onEntry) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\r', start);
        std::size_t next = 0;
        if (end == std::string_view::npos) {
            end = bytes.size();
            next = end;
        } else {
            next = end + 1;
            if (next < bytes.size() && bytes[next] == '\n') {
                ++next;
            }
        }
        // The marks are ASCII, the same bytes in Windows-1252 and UTF-8, so the line is cut on
        // its raw bytes and only the value is decoded. A tag that is not ASCII matches nothing.
        if (const auto entry = splitTagAndValue(bytes.substr(start, end - start))) {
            onEntry(entry->tag, windows1252ToUtf8(entry->value));
        }
        start = next;
    }
}

}  // namespace quorvane
