#include "platform/posix/shm_time_share.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include "platform/posix/shm_segment_rights.h"

namespace quorvane {

namespace {

constexpr std::int64_t kBillion = 1'000'000'000;
// Samples are dated to about a millisecond: 2^-10 s.
constexpr int kPrecision = -10;
// Leap indicator 0: no leap second announced. The receiver's sentences carry none.
constexpr int kNoLeap = 0;

static_assert(sizeof(void*) != 8 || sizeof(ShmTimeSample) == 96,
              "the layout time servers read on 64-bit systems");

void split(std::int64_t ns, std::time_t& seconds, int& us, unsigned& nsPart) {
    std::int64_t whole = ns / kBillion, rest = ns % kBillion;
    if (rest < 0) {
        whole -= 1;
        rest += kBillion;
    }
    seconds = static_cast<std::time_t>(whole);
    us = static_cast<int>(rest / 1000);
    nsPart = static_cast<unsigned>(rest);
}

void fence() {
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

}  // namespace

std::string ShmTimeShare::open(int unit) {
    close();
    const SegmentName name{unit, keyBase_ + unit};
    // Our own, written by nobody else: created for this user alone, whatever the umask.
    int id = ::shmget(name.key, sizeof(ShmTimeSample), IPC_CREAT | IPC_EXCL | 0600);
    if (id < 0 && errno != EEXIST) {
        return segmentFailure(name, "created", errno);
    }
    if (id < 0) {
        // Someone made it first: used only when nobody else can write it.
        id = ::shmget(name.key, 0, 0);
        if (id < 0) {
            return segmentFailure(name, "found", errno);
        }
        std::optional<SegmentFacts> facts;
        if (shmid_ds state{}; ::shmctl(id, IPC_STAT, &state) == 0) {
            facts = SegmentFacts{state.shm_perm.uid, state.shm_perm.cuid,
                                 static_cast<unsigned>(state.shm_perm.mode),
                                 static_cast<std::size_t>(state.shm_segsz)};
        } else {
            facts = listedSegmentFacts(name.key);
        }
        if (!facts) {
            return segmentFailure(name, "examined", EACCES);
        }
        if (std::string refusal = segmentRefusal(name, *facts, ::geteuid(), sizeof(ShmTimeSample));
            !refusal.empty()) {
            return refusal;
        }
    }
    void* at = ::shmat(id, nullptr, 0);
    if (at == reinterpret_cast<void*>(-1)) {
        return segmentFailure(name, "attached", errno);
    }
    segment_ = static_cast<ShmTimeSample*>(at);
    segment_->valid = 0;
    segment_->mode = 1;
    return {};
}

void ShmTimeShare::close() {
    if (segment_) {
        ::shmdt(segment_);
        segment_ = nullptr;
    }
}

bool ShmTimeShare::write(const TimeShareSample& sample) {
    if (!segment_) {
        return false;
    }
    ShmTimeSample& t = *segment_;
    t.valid = 0;
    t.count = t.count + 1;
    fence();
    t.mode = 1;
    split(sample.referenceNs, t.clockTimeStampSec, t.clockTimeStampUSec, t.clockTimeStampNSec);
    split(sample.computerNs, t.receiveTimeStampSec, t.receiveTimeStampUSec, t.receiveTimeStampNSec);
    t.leap = kNoLeap;
    t.precision = kPrecision;
    t.nsamples = 0;
    fence();
    t.count = t.count + 1;
    fence();
    t.valid = 1;
    return true;
}

}  // namespace quorvane
