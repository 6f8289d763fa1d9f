#pragma once

#include <ctime>

#include "platform/time_share.h"

namespace quorvane {

// The NTP shared-memory sample, as time servers (chrony's refclock SHM) lay it out. Mode 1:
// the writer brackets each sample with two steps of `count` and clears `valid` while writing;
// the reader takes a copy, and only when `valid` is set and `count` has not moved meanwhile.
struct ShmTimeSample {
    int mode;
    volatile int count;
    std::time_t clockTimeStampSec;
    int clockTimeStampUSec;
    std::time_t receiveTimeStampSec;
    int receiveTimeStampUSec;
    int leap;
    int precision;
    int nsamples;
    volatile int valid;
    unsigned clockTimeStampNSec;
    unsigned receiveTimeStampNSec;
    int dummy[8];
};

// Writes samples into the segment of key keyBase + unit.
class ShmTimeShare : public TimeShare {
public:
    explicit ShmTimeShare(std::int32_t keyBase = kTimeShareKeyBase) : keyBase_(keyBase) {}
    ~ShmTimeShare() override { close(); }
    ShmTimeShare(const ShmTimeShare&) = delete;
    ShmTimeShare& operator=(const ShmTimeShare&) = delete;

    std::string unavailableReason() override { return {}; }
    std::string open(int unit) override;
    void close() override;
    bool write(const TimeShareSample& sample) override;

private:
    std::int32_t keyBase_;
    ShmTimeSample* segment_ = nullptr;
};

}  // namespace quorvane
