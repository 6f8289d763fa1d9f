#include "sentences.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/date_time.h"

namespace nmeasim {
namespace {

constexpr std::int64_t kGpsEpoch = 315964800;  // 1980-01-06 00:00:00 UTC
constexpr int kLeapSeconds = 18;               // GPS time runs ahead of UTC by this much
constexpr double kFeetPerMeter = 3.28083989501312;

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// ddmm.mmmm (latitude, 2 degree digits) or dddmm.mmmm (longitude, 3) and the hemisphere.
std::string coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const long long tenThousandthsOfMinute = std::llround(std::fabs(degrees) * 60 * 10000);
    const long long whole = tenThousandthsOfMinute / 600000;
    const long long minutes = tenThousandthsOfMinute % 600000;
    return format("%0*lld%02lld.%04lld,%c", degreeDigits, whole, minutes / 10000, minutes % 10000,
                  degrees < 0 ? negative : positive);
}

struct Clock {
    std::string time;       // hhmmss with the chosen fraction
    std::string wholeTime;  // hhmmss
    std::string date;       // ddmmyy
    long long gpsWeek, gpsSecondOfWeek;
};

Clock clockFields(const Options& options, std::int64_t utcSecond) {
    const quorvane::DateTime utc = quorvane::fromEpochMilliseconds(utcSecond * 1000);
    Clock clock;
    clock.wholeTime = format("%02d%02d%02d", utc.hour, utc.minute, utc.second);
    clock.time =
        options.fraction.empty() ? clock.wholeTime : clock.wholeTime + "." + options.fraction;
    clock.date = format("%02d%02d%02d", utc.day, utc.month, utc.year % 100);
    const std::int64_t gps = utcSecond - kGpsEpoch + kLeapSeconds;
    clock.gpsWeek = gps / 604800;
    clock.gpsSecondOfWeek = gps % 604800;
    return clock;
}

// A sky of up to twelve satellites, constant: enough for a display, nothing to compute. The
// last two are too low to be tracked and carry no signal strength.
const char* const kSky[] = {"04,36,287,42", "05,52,214,45", "09,18,045,38", "12,65,110,47",
                            "24,22,320,40", "25,30,160,41", "29,12,080,35", "31,44,250,44",
                            "14,08,200,30", "16,15,095,33", "22,05,030,",   "26,03,300,"};
constexpr int kTrackedSatellites = 10;

// The satellites used in the fix: those in view that are tracked, in twelve slots.
std::string activeSatellites(int inView) {
    std::string body = "GPGSA,A,3";
    for (int i = 0; i < 12; ++i) {
        body += ",";
        if (i < std::min(inView, kTrackedSatellites)) {
            body.append(kSky[i], 2);
        }
    }
    return sentence(body + ",1.8,0.9,1.5");
}

// Satellites in view, four to a sentence.
std::string satellitesInView(int inView) {
    const int count = (inView + 3) / 4;
    std::string bytes;
    for (int n = 0; n < count; ++n) {
        std::string body = format("GPGSV,%d,%d,%02d", count, n + 1, inView);
        for (int i = n * 4; i < std::min(inView, n * 4 + 4); ++i) {
            body += std::string(",") + kSky[i];
        }
        bytes += sentence(body);
    }
    return bytes;
}

// Notices of no meaning, "$GPTXT,01,01,02,..." of at most 82 bytes each, that bring the burst
// to `size` bytes (or as near as a whole sentence allows).
std::string filler(std::size_t have, std::size_t size) {
    constexpr std::size_t kShortest = 21;  // "$GPTXT,01,01,02,*hh\r\n"
    constexpr std::size_t kLongest = 82;
    std::string bytes;
    while (have + bytes.size() + kShortest <= size) {
        std::size_t length = std::min(kLongest, size - have - bytes.size());
        // Never leave a remainder too short to make a sentence of.
        if (const std::size_t rest = size - have - bytes.size() - length;
            rest > 0 && rest < kShortest) {
            length -= kShortest - rest;
        }
        bytes += sentence("GPTXT,01,01,02," + std::string(length - kShortest, 'X'));
    }
    return bytes;
}

std::vector<Sentence> layoutOf(const Options& options) {
    if (!options.sentences.empty()) {
        return options.sentences;
    }
    std::vector<Sentence> layout{Sentence::Rmc, Sentence::Gga, Sentence::Gsa, Sentence::Gsv};
    if (options.mode == Mode::Garmin) {
        layout.insert(layout.end(), {Sentence::Pgrmz, Sentence::Pgrmf});
    }
    return layout;
}

}  // namespace

std::string sentence(const std::string& body) {
    unsigned checksum = 0;
    for (unsigned char c : body) {
        checksum ^= c;
    }
    return "$" + body + format("*%02X\r\n", checksum);
}

std::string burst(const Options& options, std::int64_t utcSecond) {
    const Clock clock = clockFields(options, utcSecond);
    std::string bytes;
    if (options.mode == Mode::NoFix) {
        bytes += sentence(options.talker + "RMC," + clock.time + ",V,,,,,,," + clock.date + ",,,N");
        bytes += sentence(options.talker + "GGA," + clock.time + ",,,,,0,00,,,M,,M,,");
        bytes += sentence("GPGSA,A,1,,,,,,,,,,,,,,,");
        bytes += sentence("GPGSV,1,1,00");
        return bytes;
    }
    const std::string latitude = coordinate(options.latitude, 2, 'N', 'S');
    const std::string longitude = coordinate(options.longitude, 3, 'E', 'W');
    for (const Sentence kind : layoutOf(options)) {
        switch (kind) {
            case Sentence::Rmc:
                bytes += sentence(options.talker + "RMC," + clock.time + ",A," + latitude + "," +
                                  longitude + ",000.0,000.0," + clock.date + ",,,A");
                break;
            case Sentence::Gga:
                bytes +=
                    sentence(options.talker + "GGA," + clock.time + "," + latitude + "," +
                             longitude + format(",1,08,0.9,%.1f,M,46.9,M,,", options.altitude));
                break;
            case Sentence::Gsa:
                bytes += activeSatellites(options.satellites);
                break;
            case Sentence::Gsv:
                bytes += satellitesInView(options.satellites);
                break;
            case Sentence::Pgrmz:
                bytes += sentence(
                    format("PGRMZ,%lld,f,3", std::llround(options.altitude * kFeetPerMeter)));
                break;
            case Sentence::Pgrmf:
                bytes +=
                    sentence(format("PGRMF,%lld,%lld,", clock.gpsWeek, clock.gpsSecondOfWeek) +
                             clock.date + "," + clock.wholeTime + format(",%d,", kLeapSeconds) +
                             latitude + "," + longitude + ",A,2,0,0,2,1");
                break;
        }
    }
    // Ten bits a byte on the line.
    const auto fillBytes =
        static_cast<std::size_t>(std::int64_t{options.fillMs} * options.baud / 10000);
    bytes += filler(bytes.size(), fillBytes);
    return bytes;
}

}  // namespace nmeasim
