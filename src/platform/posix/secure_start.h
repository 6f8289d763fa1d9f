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
    // The command line Qt may read, ending in a null pointer as main's does; Qt keeps a
    // reference to the count and may shorten both.
    int argc = 0;
    std::vector<char*> argv;
};

// First thing in main(), before Qt reads the environment or its command line, or any thread
// starts (each thread inherits the rights of the one that started it). When the process runs
// with more rights than its user it trims the environment, and gives Qt the program's name
// alone: Qt's options load plug-ins, styles and style sheets from where they say, and the
// program takes no arguments of its own. It drops the clock right when clockRightMustGo, and
// lowers it out of the effective set in any case.
SecureStart secureStart(int argc, char** argv);

}  // namespace quorvane
