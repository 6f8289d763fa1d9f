#include "platform/file_rules.h"

#include <charconv>

namespace quorvane {

std::string temporaryName(const std::string& name, std::uint32_t pid, int attempt) {
    return name + "." + std::to_string(pid) + "." + std::to_string(attempt) + ".tmp";
}

std::optional<std::uint32_t> temporaryOwner(std::string_view name, std::string_view candidate) {
    constexpr std::string_view kEnd = ".tmp";
    if (candidate.size() <= name.size() + kEnd.size() || !candidate.starts_with(name) ||
        candidate[name.size()] != '.' || !candidate.ends_with(kEnd)) {
        return std::nullopt;
    }
    std::string_view middle = candidate.substr(name.size() + 1);
    middle.remove_suffix(kEnd.size());
    // "<pid>.<n>", both plain decimal numbers.
    const std::size_t dot = middle.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == middle.size() ||
        middle.find_first_not_of("0123456789.") != std::string_view::npos ||
        middle.find('.', dot + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    std::uint32_t pid = 0;
    const auto [end, error] = std::from_chars(middle.data(), middle.data() + dot, pid);
    if (error != std::errc() || end != middle.data() + dot) {
        return std::nullopt;
    }
    return pid;
}

UnfitFile fileTooLarge(const std::string& path) {
    return UnfitFile(kFileTooLargeNumber, "Cannot read " + path + ": larger than " +
                                              std::to_string(kLargestReadableFile >> 20) + " MiB");
}

UnfitFile notAnOrdinaryFile(const std::string& path, const char* doing) {
    return UnfitFile(75, std::string(doing) + " " + path + ": not an ordinary file");
}

}  // namespace quorvane
