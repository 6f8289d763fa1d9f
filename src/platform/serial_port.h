#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/mono_time.h"

namespace quorvane {

// Any refusal of the serial component; what() is the description shown to the user.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// When the text of one delivered line arrived, on the monotonic clock.
struct ArrivalStamps {
    // The first byte after a quiet gap on the line; the line's own first byte when the stream
    // has had no gap within the last second.
    MonoTime burstStart{};
    // The line's own first byte.
    MonoTime firstByte{};
    // False when the reader could not have dated the burst: it did not run for longer than its
    // tolerance around the burst's first byte, or the bytes did not fit the line's pace. Such a
    // burst may show, but never sets the clock nor gives the keeping a sample.
    bool trustworthy = true;
};

// The serial component, property for property. Every operation may throw SerialError.
// Parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stop bits 0 one, 1 one and a half, 2 two;
// flow control 0 none, 1 RTS/CTS, 2 DSR/DTR, 4 Xon/Xoff; data bits 7 or 8.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The ports the machine offers, by number, in ascending order.
    virtual std::vector<int> portList() = 0;
    // The device behind a listed number (a path on Linux, "COM3" on Windows); "" if unknown.
    virtual std::string portDevice(int number) = 0;

    virtual bool portOpen() = 0;
    // true opens with the values set before; false closes.
    virtual void setPortOpen(bool open) = 0;
    virtual void setParity(std::int16_t code) = 0;
    virtual void setStopBits(std::int16_t code) = 0;
    virtual void setFlowControl(std::int16_t code) = 0;
    virtual void setDataBits(std::int16_t bits) = 0;
    virtual void setFlagA(bool value) = 0;
    virtual void setFlagB(bool value) = 0;
    virtual void setSpeed(double bitsPerSecond) = 0;
    virtual void setPortNumber(double number) = 0;
    virtual void setTerminator(const std::string& terminator) = 0;
    virtual void setNumericSetting(std::int16_t value) = 0;

    // One event per received line, split at the terminator (which stays at the end of the text).
    // A null value carries nothing.
    std::function<void(const std::optional<std::string>& value, const ArrivalStamps& stamps)>
        onRead;
    // The open device went away (unplugged, hung up, removed); the component has already closed
    // the port. The text says what happened, for the log.
    std::function<void(const std::string& reason)> onGone;
};

}  // namespace quorvane
