#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "platform/posix/shm_segment_rights.h"
#include "platform/posix/shm_time_share.h"

namespace quorvane {
namespace {

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
    // The reader's view; the segment's owner and rights are checked with a real reader.
    auto* seen = static_cast<ShmTimeSample*>(::shmat(::shmget(base, 0, 0), nullptr, 0));
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
    const auto refusal = [](SegmentFacts facts, unsigned me) {
        return segmentRefusal({2, 0x4e545032}, facts, me, sizeof(ShmTimeSample));
    };
    // Each refusal and a part of what it tells to change ("" for none); owners the test
    // cannot make are put to the rule alone.
    const std::pair<std::string, std::string> cases[] = {
        {ShmTimeShare(base).open(1), ":perm=0666), remove that option. Then: Stop chrony"},
        {ShmTimeShare(base).open(2), "holds 16 bytes, not the 96"},
        {refusal({1234, 1234, 0600, 96}, 1000), "belongs to the user"},
        {refusal({1000, 1000, 0620, 96}, 1000), "rights 0620"},
        {refusal({0, 0, 0600, 96}, 1000), "created by root, most likely by chrony"},
        {refusal({0, 0, 0600, 96}, 1000), "sudo ipcrm -M 0x4e545032"},
        {refusal({0, 0, 0600, 96}, 0), ""},
        {refusal({1000, 0, 0600, 96}, 1000), ""}};
    for (const auto& [said, part] : cases) {
        EXPECT_TRUE(part.empty() ? said.empty() : said.find(part) < said.size()) << said;
    }
    // What a user who may not read a segment's facts learns from the system's list.
    make(3, sizeof(ShmTimeSample), 0640);
    const auto listed = listedSegmentFacts(base + 3);
    ASSERT_TRUE(listed);
    EXPECT_EQ(std::vector<unsigned>({listed->ownerUid, listed->mode & 0777u}),
              std::vector<unsigned>({::geteuid(), 0640u}));
}

}  // namespace
}  // namespace quorvane
