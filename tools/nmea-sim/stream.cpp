#include "stream.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

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

namespace {

// Writes the bytes in pieces, each when it is due: next(sent) gives the size of the piece that
// starts at byte `sent` and when it goes. A short or refused write means nobody is reading;
// those bytes are lost.
template <typename Next>
bool sendPieces(int fd, const std::string& bytes, Next next) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const auto [count, dueNs] = next(sent);
        if (!sleepUntil(dueNs)) {
            return false;
        }
        (void)::write(fd, bytes.data() + sent, count);
        sent += count;
    }
    return !stopRequested;
}

std::int64_t byteNanoseconds(int baud) {
    return 10 * kBillion / baud;
}

}  // namespace

bool sendPaced(int fd, const std::string& bytes, std::int64_t startNs, int baud) {
    // A line carries its bytes back to back, so they go out a few at a time (about 5 ms worth):
    // whole sentences written at once would leave gaps that a reader takes for burst ends. A few
    // go when the last of them is due, as a line hands nothing over before it has carried it:
    // bytes readable early would look like bytes that waited unread.
    const std::int64_t byteNs = byteNanoseconds(baud);
    const std::size_t chunk = std::max(1, baud / 2000);
    return sendPieces(fd, bytes, [&](std::size_t sent) {
        const std::size_t count = std::min(chunk, bytes.size() - sent);
        return std::pair{count, startNs + static_cast<std::int64_t>(sent + count - 1) * byteNs};
    });
}

bool sendThroughAdapter(int fd, const std::string& bytes, std::int64_t startNs, int baud,
                        int latencyMs) {
    const std::int64_t byteNs = byteNanoseconds(baud);
    const std::int64_t latencyNs = std::int64_t{latencyMs} * 1000000;
    return sendPieces(fd, bytes, [&](std::size_t sent) {
        // The first tick at or after the byte crossed the line takes every byte crossed by then.
        const std::int64_t crossed = startNs + static_cast<std::int64_t>(sent) * byteNs;
        const std::int64_t tick = (crossed + latencyNs - 1) / latencyNs * latencyNs;
        const auto upTo = static_cast<std::size_t>((tick - startNs) / byteNs + 1);
        return std::pair{std::min(upTo, bytes.size()) - sent, tick};
    });
}

bool sendInPackets(int fd, const std::string& bytes, std::int64_t startNs, std::size_t packet) {
    return sendPieces(fd, bytes, [&](std::size_t sent) {
        const auto count = std::min(packet, bytes.size() - sent);
        return std::pair{count, startNs + static_cast<std::int64_t>(sent / packet) * 1000000};
    });
}

}  // namespace nmeasim
