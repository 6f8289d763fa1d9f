#include "platform/posix/secure_start.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include <sys/auxv.h>
#include <sys/stat.h>

#include "platform/posix/clock_right.h"

extern char** environ;

namespace quorvane {

namespace {

constexpr std::array<std::string_view, 9> kKeptNames = {
    "DISPLAY", "WAYLAND_DISPLAY",         "XAUTHORITY", "XDG_RUNTIME_DIR", "HOME", "USER", "LANG",
    "TZ",      "DBUS_SESSION_BUS_ADDRESS"};

bool kept(std::string_view name) {
    for (std::string_view keep : kKeptNames) {
        if (name == keep) {
            return true;
        }
    }
    // The locale and its categories (LC_ALL, LC_TIME, ...).
    return name.size() > 3 && name.substr(0, 3) == "LC_";
}

void replaceEnvironment(const std::vector<std::string>& entries) {
    clearenv();
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('=');
        // Not overwriting: the first of two entries of one name is the one getenv gave.
        setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 0);
    }
}

}  // namespace

std::vector<std::string> secureEnvironment(const std::vector<std::string>& entries) {
    std::vector<std::string> result;
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('=');
        if (equals != std::string::npos && equals > 0 &&
            kept(std::string_view(entry).substr(0, equals))) {
            result.push_back(entry);
        }
    }
    result.push_back(std::string("PATH=") + kSecurePath);
    return result;
}

bool clockRightMustGo(bool secureExecution, bool holdsClockRight, mode_t executableMode) {
    return secureExecution && holdsClockRight && (executableMode & S_IXOTH) != 0;
}

SecureStart secureStart(int argc, char** argv) {
    const bool secure = getauxval(AT_SECURE) != 0;
    if (secure) {
        std::vector<std::string> entries;
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            entries.emplace_back(*entry);
        }
        replaceEnvironment(secureEnvironment(entries));
    }

    struct stat file {};
    // A file that cannot be examined is taken to be open to everyone.
    const mode_t mode = stat("/proc/self/exe", &file) == 0 ? file.st_mode : S_IXOTH;
    SecureStart result;
    result.argc = secure ? std::min(argc, 1) : argc;
    result.argv.assign(argv, argv + result.argc);
    result.argv.push_back(nullptr);
    if (clockRightMustGo(secure, holdsClockRight(), mode)) {
        withdrawClockRight();
        result.clockRightWithdrawn = true;
    }
    lowerClockRight();
    return result;
}

}  // namespace quorvane
