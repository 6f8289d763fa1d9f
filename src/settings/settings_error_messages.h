#pragma once

#include <string>

namespace quorvane {

// The message the settings file's failure box shows for an error number.
std::string settingsErrorMessage(int number);

// The whole text of that box: the message, then the settings file's path.
std::string settingsErrorText(int number, const std::string& path);

}  // namespace quorvane
