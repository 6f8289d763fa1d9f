#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// The NTP shared-memory segments that time servers read reference samples from: key
// kTimeShareKeyBase plus the unit.
inline constexpr std::int32_t kTimeShareKeyBase = 0x4e545030;
inline constexpr int kDefaultTimeShareUnit = 2;

// One reference sample, nanoseconds since 1970 UTC: the true time of a moment, and what the
// computer's clock read at that same moment.
struct TimeShareSample {
    std::int64_t referenceNs = 0;
    std::int64_t computerNs = 0;

    friend bool operator==(const TimeShareSample&, const TimeShareSample&) = default;
};

// Hands each sample to a time server on this computer, which keeps the clock from them and
// serves it to the network.
class TimeShare {
public:
    virtual ~TimeShare() = default;
    // Why this system cannot share time; "" where it can.
    virtual std::string unavailableReason() = 0;
    // Takes the unit's segment, creating it so that only this user (and root) may write it. ""
    // once samples can go out; else what is wrong and what the user should change.
    virtual std::string open(int unit) = 0;
    // Lets go of the segment. It stays for the server, which sees no new sample and so finds
    // the source gone stale; removing it would leave a server attached to a dead copy.
    virtual void close() = 0;
    // Publishes one sample; false when no segment is open.
    virtual bool write(const TimeShareSample& sample) = 0;
};

// Where no time server reads such segments: the option cannot be chosen, and says why.
class NoTimeShare : public TimeShare {
public:
    std::string unavailableReason() override {
        return "Sharing time with chrony works on Linux. On Windows the built-in time service "
               "serves the clock that Quorvane keeps (see docs/windows.md).";
    }
    std::string open(int /*unit*/) override { return unavailableReason(); }
    void close() override {}
    bool write(const TimeShareSample& /*sample*/) override { return false; }
};

}  // namespace quorvane
