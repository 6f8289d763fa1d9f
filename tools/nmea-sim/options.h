#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nmeasim {

enum class Mode { Nmea, Garmin, NoFix, Silent, Replay };

// How the bytes reach the computer: paced as a serial line carries them; through an adapter
// that hands over what crossed the line every few milliseconds; or from a USB receiver that
// hands the whole burst over at once, in packets 1 ms apart.
enum class Delivery { Line, Adapter, Usb };

// The sentences a burst may hold; Gsv stands for the whole set of satellites-in-view sentences.
enum class Sentence { Rmc, Gga, Gsa, Gsv, Pgrmz, Pgrmf };

struct Options {
    int port = 200;           // outside the device families, so it hides no real port
    std::string portsFolder;  // empty: the `ports` folder beside this executable
    int delayMs = 250;        // burst start after the second the fix describes
    int baud = 4800;
    Mode mode = Mode::Nmea;
    std::string replayFile;
    std::string fraction = "00";   // digits after the seconds of the time field
    double latitude = 48.1173;     // degrees, north positive
    double longitude = 11.516667;  // degrees, east positive
    double altitude = 545.4;       // meters above mean sea level
    double seconds = 0;            // run time; 0 runs until stopped
    // The burst's sentences in order; empty: those of the mode.
    std::vector<Sentence> sentences;
    int satellites = 8;  // in view, four to a satellites-in-view sentence
    int fillMs = 0;      // $GPTXT lines stretch the burst to last this long on the line; 0 none
    std::string talker = "GP";  // of the RMC and GGA sentences
    Delivery delivery = Delivery::Line;
    int latencyMs = 16;    // Adapter: how often it hands over what it holds
    int packetBytes = 64;  // Usb: the size of a packet
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options, or nullopt when --help was asked for. Throws UsageError.
std::optional<Options> parseOptions(int argc, char** argv);
std::string helpText();

// The fraction's value in milliseconds: "5" and "50" are 500, "250" is 250.
int fractionMilliseconds(const std::string& digits);

}  // namespace nmeasim
