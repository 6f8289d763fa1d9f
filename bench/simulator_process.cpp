#include "simulator_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace quorvane::bench {

SimulatorProcess::SimulatorProcess(const std::filesystem::path& program,
                                   const std::filesystem::path& portsFolder, int port,
                                   const std::vector<std::string>& options)
    : link_(portsFolder / ("Com" + std::to_string(port))) {
    std::vector<std::string> args{program.string(), "--port", std::to_string(port), "--ports-dir",
                                  portsFolder.string()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + program.string());
    }
}

SimulatorProcess::~SimulatorProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool SimulatorProcess::waitForLink() {
    for (int i = 0; i < 300; ++i) {
        if (std::filesystem::exists(link_)) {
            return true;
        }
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;  // ended by itself (a usage error, a port in use): nothing to stop
            return false;
        }
        ::usleep(10'000);
    }
    return false;
}

}  // namespace quorvane::bench
