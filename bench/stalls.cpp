#include "stalls.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <random>

namespace quorvane::bench {
namespace {

void sleepMs(long ms) {
    const timespec span{ms / 1000, (ms % 1000) * 1'000'000};
    ::nanosleep(&span, nullptr);
}

[[noreturn]] void stopNowAndThen(pid_t target, std::uint32_t seed) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> between(300, 1200), stopped(50, 400);
    for (;;) {
        sleepMs(between(random));
        if (::kill(target, SIGSTOP) != 0) {
            ::_exit(0);
        }
        sleepMs(stopped(random));
        ::kill(target, SIGCONT);
    }
}

}  // namespace

Stalls::Stalls(bool enabled, std::uint32_t seed) {
    if (!enabled) {
        return;
    }
    const pid_t self = ::getpid();
    child_ = ::fork();
    if (child_ == 0) {
        stopNowAndThen(self, seed);
    }
}

Stalls::~Stalls() {
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        // A stop it sent just before it died must not stop this process for good: a continue
        // discards a pending stop.
        ::waitpid(child_, nullptr, 0);
        ::kill(::getpid(), SIGCONT);
    }
}

}  // namespace quorvane::bench
