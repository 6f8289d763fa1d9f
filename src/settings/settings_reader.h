#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// One line's tag and value: the text between its first "<" and the first ">" after it, and the
// text between that ">" and the first "</" after it. Nothing is trimmed; the closing tag's name
// is not looked at. nullopt when any of the three marks is missing.
struct TagAndValue {
    std::string_view tag;
    std::string_view value;
};
std::optional<TagAndValue> splitTagAndValue(std::string_view line);

// Reads the settings file's bytes line by line, in order. A line ends at CR or CR LF; a lone LF
// is an ordinary character; the last line needs no terminator. For every line that has a tag
// and a value, calls onEntry with the tag and the value decoded from Windows-1252 to UTF-8.
// Lines may be of any length.
void readSettingsEntries(
    std::string_view bytes,
    const std::function<void(std::string_view tag, const std::string& value)>& onEntry);

}  // namespace quorvane
