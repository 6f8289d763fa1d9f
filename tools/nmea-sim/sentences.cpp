#include "sentences.h"

#include <cmath>
#include <cstdio>

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

// A sky of eight satellites, constant: enough for a display, nothing to compute.
const char* const kSatellites[] = {
    "GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5",
    "GPGSV,2,1,08,04,36,287,42,05,52,214,45,09,18,045,38,12,65,110,47",
    "GPGSV,2,2,08,24,22,320,40,25,30,160,41,29,12,080,35,31,44,250,44",
};

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
        bytes += sentence("GPRMC," + clock.time + ",V,,,,,,," + clock.date + ",,,N");
        bytes += sentence("GPGGA," + clock.time + ",,,,,0,00,,,M,,M,,");
        bytes += sentence("GPGSA,A,1,,,,,,,,,,,,,,,");
        bytes += sentence("GPGSV,1,1,00");
        return bytes;
    }
    const std::string latitude = coordinate(options.latitude, 2, 'N', 'S');
    const std::string longitude = coordinate(options.longitude, 3, 'E', 'W');
    bytes += sentence("GPRMC," + clock.time + ",A," + latitude + "," + longitude + ",000.0,000.0," +
                      clock.date + ",,,A");
    bytes += sentence("GPGGA," + clock.time + "," + latitude + "," + longitude +
                      format(",1,08,0.9,%.1f,M,46.9,M,,", options.altitude));
    for (const char* body : kSatellites) {
        bytes += sentence(body);
    }
    if (options.mode == Mode::Garmin) {
        bytes += sentence(format("PGRMZ,%lld,f,3", std::llround(options.altitude * kFeetPerMeter)));
        bytes += sentence(format("PGRMF,%lld,%lld,", clock.gpsWeek, clock.gpsSecondOfWeek) +
                          clock.date + "," + clock.wholeTime + format(",%d,", kLeapSeconds) +
                          latitude + "," + longitude + ",A,2,0,0,2,1");
    }
    return bytes;
}

}  // namespace nmeasim
