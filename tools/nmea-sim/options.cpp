#include "options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace nmeasim {
namespace {

double number(std::string_view flag, const char* text, double low, double high) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value) || value < low || value > high) {
        char range[64];
        std::snprintf(range, sizeof range, " wants a number from %g to %g, not \"", low, high);
        throw UsageError(std::string(flag) + range + text + "\"");
    }
    return value;
}

int whole(std::string_view flag, const char* text, int low, int high) {
    const double value = number(flag, text, low, high);
    if (value != std::floor(value)) {
        throw UsageError(std::string(flag) + " wants a whole number, not \"" + text + "\"");
    }
    return static_cast<int>(value);
}

Mode modeNamed(std::string_view name) {
    if (name == "nmea")
        return Mode::Nmea;
    if (name == "garmin")
        return Mode::Garmin;
    if (name == "nofix")
        return Mode::NoFix;
    if (name == "silent")
        return Mode::Silent;
    throw UsageError("unknown mode \"" + std::string(name) +
                     "\" (nmea, garmin, nofix or silent; --replay FILE for a capture)");
}

std::vector<Sentence> sentencesNamed(std::string_view list) {
    std::vector<Sentence> sentences;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view name = list.substr(start, comma - start);
        if (name == "RMC") {
            sentences.push_back(Sentence::Rmc);
        } else if (name == "GGA") {
            sentences.push_back(Sentence::Gga);
        } else if (name == "GSA") {
            sentences.push_back(Sentence::Gsa);
        } else if (name == "GSV") {
            sentences.push_back(Sentence::Gsv);
        } else if (name == "PGRMZ") {
            sentences.push_back(Sentence::Pgrmz);
        } else if (name == "PGRMF") {
            sentences.push_back(Sentence::Pgrmf);
        } else {
            throw UsageError("unknown sentence \"" + std::string(name) +
                             "\" in --sentences (RMC, GGA, GSA, GSV, PGRMZ, PGRMF)");
        }
        start = comma + 1;
    }
    return sentences;
}

// "line", "adapter:L" or "usb:N".
void deliveryNamed(const char* text, Options& options) {
    const std::string_view name = text;
    const std::size_t colon = name.find(':');
    const std::string_view kind = name.substr(0, colon);
    const std::string size =
        colon == std::string_view::npos ? "" : std::string(name.substr(colon + 1));
    if (kind == "line" && colon == std::string_view::npos) {
        options.delivery = Delivery::Line;
    } else if (kind == "adapter" && !size.empty()) {
        options.delivery = Delivery::Adapter;
        options.latencyMs = whole("--delivery adapter:", size.c_str(), 1, 255);
    } else if (kind == "usb" && !size.empty()) {
        options.delivery = Delivery::Usb;
        options.packetBytes = whole("--delivery usb:", size.c_str(), 1, 4096);
    } else {
        throw UsageError("--delivery wants line, adapter:MS or usb:BYTES, not \"" +
                         std::string(name) + "\"");
    }
}

}  // namespace

int fractionMilliseconds(const std::string& digits) {
    const std::string padded = (digits + "000").substr(0, 3);
    return std::atoi(padded.c_str());
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            throw UsageError("unknown option or missing value: " + std::string(flag));
        }
        const char* value = argv[++i];
        if (flag == "--port") {
            options.port = whole(flag, value, 1, 255);
        } else if (flag == "--ports-dir") {
            options.portsFolder = value;
        } else if (flag == "--delay-ms") {
            options.delayMs = whole(flag, value, 0, 999);
        } else if (flag == "--baud") {
            options.baud = whole(flag, value, 110, 921600);
        } else if (flag == "--mode") {
            options.mode = modeNamed(value);
        } else if (flag == "--replay") {
            options.mode = Mode::Replay;
            options.replayFile = value;
        } else if (flag == "--fraction") {
            options.fraction = value;
            if (options.fraction.size() > 3 ||
                options.fraction.find_first_not_of("0123456789") != std::string::npos) {
                throw UsageError("--fraction wants up to three digits, not \"" + options.fraction +
                                 "\"");
            }
        } else if (flag == "--lat") {
            options.latitude = number(flag, value, -89.9999, 89.9999);
        } else if (flag == "--lon") {
            options.longitude = number(flag, value, -179.9999, 179.9999);
        } else if (flag == "--alt") {
            options.altitude = number(flag, value, -1000, 100000);
        } else if (flag == "--seconds") {
            options.seconds = number(flag, value, 0, 1e7);
        } else if (flag == "--sentences") {
            options.sentences = sentencesNamed(value);
        } else if (flag == "--satellites") {
            options.satellites = whole(flag, value, 1, 12);
        } else if (flag == "--fill-ms") {
            options.fillMs = whole(flag, value, 0, 5000);
        } else if (flag == "--talker") {
            options.talker = value;
            if (options.talker.size() != 2 ||
                options.talker.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") !=
                    std::string::npos) {
                throw UsageError("--talker wants two capital letters, not \"" + options.talker +
                                 "\"");
            }
        } else if (flag == "--delivery") {
            deliveryNamed(value, options);
        } else {
            throw UsageError("unknown option " + std::string(flag));
        }
    }
    if (!options.sentences.empty() && options.mode != Mode::Nmea && options.mode != Mode::Garmin) {
        throw UsageError("--sentences goes with the nmea and garmin modes only");
    }
    return options;
}

std::string helpText() {
    return R"(nmea-sim: a GPS receiver on a pseudo-terminal, for trying Quorvane without one.

It links the pseudo-terminal as ComN in a ports folder, where Quorvane lists it in its
Port menu, and sends a burst of sentences every second, timed by this computer's clock.
It only reads the clock; it never sets it. Ctrl+C removes the link and ends it.

Usage: nmea-sim [options]
  --port N          the number to appear as, ComN (1-255; default 200)
  --ports-dir DIR   where to put the link (default: the folder "ports" beside nmea-sim,
                    which is beside quorvane in a build or an installed folder)
  --mode MODE       nmea    RMC, GGA, GSA and GSV (default)
                    garmin  the same plus $PGRMZ and $PGRMF
                    nofix   RMC with status V, GGA with quality 0, empty position fields
                    silent  the port exists but nothing is sent
  --replay FILE     send a capture file instead, one cycle of sentences per second
  --delay-ms MS     the burst starts this long after the second it reports (0-999; 250)
  --baud BPS        pace the bytes as a line at this speed would (10 bits a byte; 4800)
  --fraction DIGITS fraction of a second in the time field (default 00; "" for none);
                    hhmmss.50 reports the half second and is sent half a second later
  --sentences LIST  the burst's sentences in order, from RMC, GGA, GSA, GSV (the whole
                    satellites-in-view set), PGRMZ and PGRMF (default: those of the mode)
  --satellites N    satellites in view, four to a GSV sentence (1-12; default 8)
  --fill-ms MS      $GPTXT lines at the end stretch each burst to last MS on the line, so
                    that it may leave the line no rest (0-5000; default 0, no filling)
  --talker XX       the talker of the RMC and GGA sentences, GN for a receiver of several
                    satellite systems (default GP)
  --delivery HOW    how the bytes reach the computer (default line):
                    line       paced as a serial line at --baud carries them
                    adapter:L  paced so, and handed over every L ms, as a USB serial
                               adapter's latency timer does (1-255)
                    usb:N      a USB receiver: the whole burst at once, in packets of N
                               bytes 1 ms apart, whatever --baud says (1-4096)
  --lat DEG --lon DEG --alt M
                    the position to report (default 48.1173 11.516667, 545.4 m)
  --seconds S       stop after S seconds (default: run until stopped)
  --help            this text
)";
}

}  // namespace nmeasim
