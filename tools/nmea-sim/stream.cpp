#include "stream.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace nmeasim {

volatile std::sig_atomic_t stopRequested = 0;

namespace {

constexpr std::int64_t kBillion = 1000000000;

void onSignal(int) {
    stopRequested = 1;
}

}  // namespace

void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked wait must return and see the flag
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

std::int64_t wallNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kBillion + now.tv_nsec;
}

bool sleepUntil(std::int64_t wallNs) {
    const timespec until{static_cast<time_t>(wallNs / kBillion),
                         static_cast<long>(wallNs % kBillion)};
    while (!stopRequested) {
        // Absolute on the real-time clock, so a burst lands on its millisecond after the second
        // however long the previous one took.
        const int result = ::clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &until, nullptr);
        if (result == 0) {
            return true;
        }
        if (result != EINTR) {
            return false;
        }
    }
    return false;
}

bool sendPaced(int fd, const std::vector<std::string>& lines, std::int64_t startNs, int baud) {
    std::int64_t bytesBefore = 0;
    for (const std::string& line : lines) {
        if (!sleepUntil(startNs + bytesBefore * 10 * kBillion / baud)) {
            return false;
        }
        // A short or refused write means nobody is reading; the rest of the line is lost.
        (void)::write(fd, line.data(), line.size());
        bytesBefore += static_cast<std::int64_t>(line.size());
    }
    return !stopRequested;
}

}  // namespace nmeasim
