// nmea-sim: a GPS receiver on a pseudo-terminal. See --help.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>

#include "options.h"
#include "pty_link.h"
#include "replay.h"
#include "sentences.h"
#include "stream.h"

namespace {

constexpr std::int64_t kBillion = 1000000000;

const char* modeName(nmeasim::Mode mode) {
    switch (mode) {
        case nmeasim::Mode::Nmea:
            return "NMEA";
        case nmeasim::Mode::Garmin:
            return "NMEA with Garmin sentences";
        case nmeasim::Mode::NoFix:
            return "no fix";
        case nmeasim::Mode::Silent:
            return "silence";
        case nmeasim::Mode::Replay:
            return "a replayed capture";
    }
    return "";
}

const char* deliveryName(nmeasim::Delivery delivery) {
    switch (delivery) {
        case nmeasim::Delivery::Line:
            return "";
        case nmeasim::Delivery::Adapter:
            return " through an adapter";
        case nmeasim::Delivery::Usb:
            return " as a USB receiver would (in packets, whatever the baud)";
    }
    return "";
}

bool send(int fd, const std::string& bytes, std::int64_t start, const nmeasim::Options& options) {
    using nmeasim::Delivery;
    switch (options.delivery) {
        case Delivery::Line:
            break;
        case Delivery::Adapter:
            return nmeasim::sendThroughAdapter(fd, bytes, start, options.baud, options.latencyMs);
        case Delivery::Usb:
            return nmeasim::sendInPackets(fd, bytes, start,
                                          static_cast<std::size_t>(options.packetBytes));
    }
    return nmeasim::sendPaced(fd, bytes, start, options.baud);
}

int run(const nmeasim::Options& options) {
    using namespace nmeasim;
    const auto cycles =
        options.mode == Mode::Replay ? loadCycles(options.replayFile) : std::vector<std::string>{};
    const PtyLink pty(options.portsFolder.empty() ? defaultPortsFolder()
                                                  : std::filesystem::path(options.portsFolder),
                      options.port);
    stopOnSignals();
    std::cout << "Com" << options.port << " is " << pty.slaveName() << " (link "
              << pty.link().string() << "): " << modeName(options.mode) << " at " << options.baud
              << " baud" << deliveryName(options.delivery) << ", " << options.delayMs
              << " ms after each second. Ctrl+C ends it." << std::endl;

    // The burst for second S starts at S + fraction + delay on the real-time clock.
    const std::int64_t offset =
        (fractionMilliseconds(options.fraction) + options.delayMs) * std::int64_t{1000000};
    const std::int64_t end =
        options.seconds > 0 ? wallNanoseconds() + static_cast<std::int64_t>(options.seconds * 1e9)
                            : INT64_MAX;
    std::int64_t second = (wallNanoseconds() - offset) / kBillion + 1;
    for (std::size_t cycle = 0; !stopRequested; ++cycle) {
        const std::int64_t start = second * kBillion + offset;
        if (start > end) {
            break;
        }
        if (options.mode == Mode::Silent) {
            sleepUntil(start);
        } else {
            const std::string bytes = options.mode == Mode::Replay ? cycles[cycle % cycles.size()]
                                                                   : burst(options, second);
            send(pty.master(), bytes, start, options);
        }
        // A burst longer than a second (slow line, long capture) skips the seconds it ran into.
        second = std::max(second + 1, (wallNanoseconds() - offset) / kBillion + 1);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const auto options = nmeasim::parseOptions(argc, argv);
        if (!options) {
            std::cout << nmeasim::helpText();
            return 0;
        }
        return run(*options);
    } catch (const nmeasim::UsageError& error) {
        std::cerr << "nmea-sim: " << error.what() << "\n(nmea-sim --help lists the options)\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "nmea-sim: " << error.what() << "\n";
        return 1;
    }
}
