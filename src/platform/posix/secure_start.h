#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace quorvane {

// The search path a program started with more rights than its user runs with.
inline constexpr const char* kSecurePath = "/usr/bin:/bin";

// What such a program keeps of its environment ("NAME=value" entries): what the window needs
// to reach the user's display, session bus and language, and the fixed search path. Nothing
// that names plug-ins, styles, themes, input methods or modules to load survives.
std::vector<std::string> secureEnvironment(const std::vector<std::string>& entries);

// Whether the clock right must be dropped: it came with the executable (the process runs with
// more rights than its user) and users outside the file's owner and group may run that file.
bool clockRightMustGo(bool secureExecution, bool holdsClockRight, mode_t executableMode);

struct SecureStart {
    // Others may run this copy, so the clock right it carried has been dropped.
    bool clockRightWithdrawn = false;
};

// First thing in main(), before Qt reads the environment or any thread starts (each thread
// inherits the rights of the one that started it): trims the environment when the process runs
// with more rights than its user, drops the clock right when clockRightMustGo, and lowers it
// out of the effective set in any case.
SecureStart secureStart();

}  // namespace quorvane
