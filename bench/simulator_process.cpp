#include "simulator_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
    // The simulator stands for a receiver's hardware, which no load on the computer delays: it
    // runs under a real-time policy where it may (as root), so a busy machine cannot break its
    // line into false bursts. The program measured keeps the normal priority.
    posix_spawnattr_t realTime;
    posix_spawnattr_init(&realTime);
    posix_spawnattr_setflags(&realTime, POSIX_SPAWN_SETSCHEDULER);
    posix_spawnattr_setschedpolicy(&realTime, SCHED_FIFO);
    const sched_param priority{10};
    posix_spawnattr_setschedparam(&realTime, &priority);
    int failed = posix_spawn(&pid_, argv[0], &actions, &realTime, argv.data(), environ);
    if (failed == EPERM) {
        failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    }
    posix_spawnattr_destroy(&realTime);
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
