#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quorvane::bench {

// nmea-sim run as a child on its own port number in a ports folder; stopped with SIGTERM when
// this object goes.
class SimulatorProcess {
public:
    SimulatorProcess(const std::filesystem::path& program, const std::filesystem::path& portsFolder,
                     int port, const std::vector<std::string>& options);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Waits until its ComN link appears; false if it ended first or took more than three seconds.
    bool waitForLink();

private:
    std::filesystem::path link_;
    pid_t pid_ = -1;
};

}  // namespace quorvane::bench
