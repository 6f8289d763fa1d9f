#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The program's text is UTF-8; the wide Windows API takes UTF-16.

// nullopt when the bytes are not UTF-8, so a mangled name never reaches the file system.
std::optional<std::wstring> widen(std::string_view utf8);
// Unpaired surrogates, which Windows allows in names, become U+FFFD.
std::string narrow(std::wstring_view utf16);

// The system's own description of an error code, "Access is denied (error 5)".
std::string systemMessage(std::uint32_t error);

}  // namespace quorvane
