#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/shm_segment_rights.h"
#include "platform/posix/shm_time_share.h"

namespace quorvane {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Keys of the test's own, far from the NTP segments a station's chrony reads; removed after.
struct ShmSegments : ::testing::Test {
    const std::int32_t base = 0x51560000 + (::getpid() & 0xfff) * 16;
    void TearDown() override {
        for (int unit = 0; unit < 4; ++unit) {
            ::shmctl(::shmget(base + unit, 0, 0), IPC_RMID, nullptr);
        }
    }
    void make(int unit, std::size_t size, int mode) {
        ASSERT_GE(::shmget(base + unit, size, IPC_CREAT | IPC_EXCL | mode), 0);
    }
};

TEST_F(ShmSegments, SamplesFollowTheCountAndValidProtocolInAPrivateSegment) {
    ShmTimeShare share(base);
    ASSERT_EQ(share.open(0), "");
    const int id = ::shmget(base, 0, 0);
    shmid_ds state{};
    ASSERT_EQ(::shmctl(id, IPC_STAT, &state), 0);
    EXPECT_EQ(state.shm_perm.mode & 0777, 0600u);
    EXPECT_EQ(state.shm_perm.uid, ::geteuid());
    auto* seen = static_cast<ShmTimeSample*>(::shmat(id, nullptr, 0));  // the reader's view
    const int count = seen->count;
    ASSERT_TRUE(share.write({1'796'718'364'250'000'000, 1'796'718'364'300'123'456}));
    EXPECT_EQ((std::vector<long long>{seen->mode, seen->valid, seen->count - count, seen->leap,
                                      seen->clockTimeStampSec, seen->clockTimeStampUSec,
                                      seen->clockTimeStampNSec, seen->receiveTimeStampSec,
                                      seen->receiveTimeStampUSec, seen->receiveTimeStampNSec}),
              (std::vector<long long>{1, 1, 2, 0, 1'796'718'364, 250'000, 250'000'000,
                                      1'796'718'364, 300'123, 300'123'456}));
    seen->valid = 0;  // taken by the reader
    share.close();
    EXPECT_FALSE(share.write({1, 2}));
    EXPECT_EQ(seen->valid, 0);
    EXPECT_EQ(share.open(0), "");  // a restart takes its own segment again
    ::shmdt(seen);
}

TEST_F(ShmSegments, SegmentsOthersCouldWriteAreRefusedSayingWhatToChange) {
    make(1, sizeof(ShmTimeSample), 0666);
    make(2, 16, 0600);
    char removal[32];
    std::snprintf(removal, sizeof removal, "ipcrm -M 0x%08x", static_cast<unsigned>(base + 1));
    const std::string open1 = ShmTimeShare(base).open(1);
    EXPECT_TRUE(has(open1, "rights 0666") && has(open1, "perm=0666), remove") &&
                has(open1, removal))
        << open1;
    EXPECT_TRUE(has(ShmTimeShare(base).open(2), "holds 16 bytes, not the 96"));
    // Owners the test cannot make: the rule alone.
    const auto refusal = [](SegmentFacts facts, unsigned me) {
        return segmentRefusal({2, 0x4e545032}, facts, me, sizeof(ShmTimeSample));
    };
    EXPECT_TRUE(has(refusal({1234, 1234, 0600, 96}, 1000), "belongs to the user"));
    EXPECT_TRUE(has(refusal({1000, 1000, 0620, 96}, 1000), "rights 0620"));
    EXPECT_EQ(refusal({0, 0, 0600, 96}, 0), "");
    EXPECT_EQ(refusal({1000, 0, 0600, 96}, 1000), "");

    EXPECT_TRUE(has(refusal({0, 0, 0600, 96}, 1000), "was created by root"));
    // What a user who may not read a segment's facts learns from the system's list.
    make(3, sizeof(ShmTimeSample), 0640);
    const auto listed = listedSegmentFacts(base + 3);
    ASSERT_TRUE(listed);
    EXPECT_EQ(std::vector<unsigned>({listed->ownerUid, listed->mode & 0777u}),
              std::vector<unsigned>({::geteuid(), 0640u}));
}

}  // namespace
}  // namespace quorvane
