#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_files.h"

namespace quorvane {

// Rules the platforms' file code shares.

// A save writes "<name>.<pid>.<n>.tmp" beside the file "<name>" and renames it over the file.
std::string temporaryName(const std::string& name, std::uint32_t pid, int attempt);

// The pid in `candidate` when it is a temporary of the file `name` in that form, else nullopt;
// leftovers of a save that never finished are found by it.
std::optional<std::uint32_t> temporaryOwner(std::string_view name, std::string_view candidate);

// Reading stops here: no settings file comes near it, and a device or a junk file must not
// take all the memory there is.
constexpr std::size_t kLargestReadableFile = 16u << 20;
// The failure for a file larger than that: the number for running out of memory, since no row
// of the message table tells the truth ("Disk full" would send the user to free disk space).
constexpr int kFileTooLargeNumber = 7;

// The failures for a file past that size, and for a pipe, a device or a socket where a file
// should be (a folder keeps the system's own reason).
UnfitFile fileTooLarge(const std::string& path);
UnfitFile notAnOrdinaryFile(const std::string& path, const char* doing);

}  // namespace quorvane
