#pragma once

// The built receiver simulator (tools/nmea-sim) as a child process of a test.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "serial_test_support.h"

extern char** environ;

namespace quorvane::testing {

// The built simulator, run as a child; stopped with SIGTERM if still running at the end.
class Simulator {
public:
    Simulator(const TempPortsFolder& folder, int number, std::vector<std::string> args)
        : link_(std::filesystem::path(folder.path()) / ("Com" + std::to_string(number))) {
        args.insert(args.begin(), {QUORVANE_BIN_DIR "/nmea-sim", "--port", std::to_string(number),
                                   "--ports-dir", folder.path()});
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        running_ = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Simulator() { stop(); }

    bool waitForLink() const {
        for (int i = 0; i < 300 && running_; ++i) {
            if (std::filesystem::exists(link_)) {
                return true;
            }
            ::usleep(10000);
        }
        return false;
    }
    // The exit status after SIGTERM (or after its own end).
    int stop() {
        if (running_) {
            ::kill(pid_, SIGTERM);
            return wait();
        }
        return status_;
    }
    // Killed as by a crash or a power cut: no chance to remove its link.
    int kill() {
        if (running_) {
            ::kill(pid_, SIGKILL);
        }
        return wait();
    }
    int wait() {
        if (running_) {
            ::waitpid(pid_, &status_, 0);
            running_ = false;
        }
        return status_;
    }
    const std::filesystem::path& link() const { return link_; }

private:
    std::filesystem::path link_;
    pid_t pid_ = -1;
    bool running_ = false;
    int status_ = -1;
};

}  // namespace quorvane::testing
