#include "settings/settings_error_messages.h"

#include <utility>

namespace quorvane {

namespace {

constexpr std::pair<int, const char*> kMessages[] = {
    {52, "Bad Filename or Number"},
    {53, "File not Found"},
    {54, "Bad File Mode"},
    {55, "File already open"},
    {57, "Device I/o problem"},
    {58, "File already exists"},
    {59, "Bad Record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad Record Number"},
    {64, "Bad Filename"},
    {67, "To many files at the same time"},
    {68, "Device unavailable"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk media error"},
    {74, "Can't rename files across different drives"},
    {75, "Path/File access error"},
    {76, "Path not found"},
};

}  // namespace

std::string settingsErrorMessage(int number) {
    for (const auto& [known, message] : kMessages) {
        if (known == number) {
            return message;
        }
    }
    return "Error Number at Load/Save Files" + std::to_string(number);
}

std::string settingsErrorText(int number, const std::string& path) {
    return settingsErrorMessage(number) + "\r\nParameter File Name = " + path + "\r\n";
}

}  // namespace quorvane
