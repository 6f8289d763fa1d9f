#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/posix/shm_segment_rights.h"
#include "platform/posix/shm_time_share.h"

namespace quorvane {
namespace {

::testing::AssertionResult has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in: " << text;
}

// Keys of the test's own, far from the NTP segments a station's chrony reads; removed after.
class ShmSegments : public ::testing::Test {
protected:
    const std::int32_t base = 0x51560000 + (::getpid() & 0xfff) * 16;
    void TearDown() override {
        for (int unit = 0; unit < 4; ++unit) {
            if (const int id = ::shmget(base + unit, 0, 0); id >= 0) {
                ::shmctl(id, IPC_RMID, nullptr);
            }
        }
    }
    void make(int unit, std::size_t size, int mode) {
        ASSERT_GE(::shmget(base + unit, size, IPC_CREAT | IPC_EXCL | mode), 0);
    }
};

TEST_F(ShmSegments, SamplesFollowTheCountAndValidProtocol) {
    ShmTimeShare share(base);
    ASSERT_EQ(share.open(0), "");
    const int id = ::shmget(base, 0, 0);
    shmid_ds state{};
    ASSERT_EQ(::shmctl(id, IPC_STAT, &state), 0);
    EXPECT_EQ(state.shm_perm.mode & 0777, 0600u);
    EXPECT_EQ(state.shm_perm.uid, ::geteuid());
    EXPECT_EQ(state.shm_segsz, sizeof(ShmTimeSample));

    // The reader's view: a mapping of its own.
    auto* seen = static_cast<ShmTimeSample*>(::shmat(id, nullptr, 0));
    ASSERT_NE(seen, reinterpret_cast<void*>(-1));
    EXPECT_EQ(seen->mode, 1);
    const int count = seen->count;
    ASSERT_TRUE(share.write({1'796'718'364'250'000'000, 1'796'718'364'300'123'456}));
    EXPECT_EQ(seen->valid, 1);
    EXPECT_EQ(seen->count, count + 2);
    EXPECT_EQ(seen->clockTimeStampSec, 1'796'718'364);
    EXPECT_EQ(seen->clockTimeStampUSec, 250'000);
    EXPECT_EQ(seen->clockTimeStampNSec, 250'000'000u);
    EXPECT_EQ(seen->receiveTimeStampSec, 1'796'718'364);
    EXPECT_EQ(seen->receiveTimeStampUSec, 300'123);
    EXPECT_EQ(seen->receiveTimeStampNSec, 300'123'456u);
    EXPECT_EQ(seen->leap, 0);

    seen->valid = 0;  // taken by the reader
    share.close();
    EXPECT_FALSE(share.write({1, 2}));
    EXPECT_EQ(seen->valid, 0);
    // A restart finds its own segment and takes it again.
    EXPECT_EQ(share.open(0), "");
    ::shmdt(seen);
}

TEST_F(ShmSegments, ASegmentOthersCouldWriteOrOfAnotherSizeIsRefused) {
    make(1, sizeof(ShmTimeSample), 0666);
    make(2, 16, 0600);
    char removal[32];
    std::snprintf(removal, sizeof removal, "ipcrm -M 0x%08x", static_cast<unsigned>(base + 1));
    EXPECT_TRUE(has(ShmTimeShare(base).open(1), "rights 0666"));
    EXPECT_TRUE(has(ShmTimeShare(base).open(1), ":perm=0666), remove that option"));
    EXPECT_TRUE(has(ShmTimeShare(base).open(1), removal));
    EXPECT_TRUE(has(ShmTimeShare(base).open(2), "holds 16 bytes, not the 96"));

    // Owners the test cannot make: the rule alone.
    const SegmentName name{2, 0x4e545032};
    const auto refusal = [&](SegmentFacts facts, unsigned me) {
        return segmentRefusal(name, facts, me, sizeof(ShmTimeSample));
    };
    EXPECT_TRUE(has(refusal({1234, 1234, 0600, 96}, 1000), "belongs to the user"));
    EXPECT_TRUE(has(refusal({1000, 1234, 0600, 96}, 1000), "belongs to the user"));
    EXPECT_TRUE(has(refusal({1000, 1000, 0620, 96}, 1000), "rights 0620"));
    EXPECT_TRUE(has(refusal({0, 0, 0600, 96}, 1000), "ipcrm -M 0x4e545032"));
    EXPECT_EQ(refusal({0, 0, 0600, 96}, 0), "");
    EXPECT_EQ(refusal({1000, 0, 0600, 96}, 1000), "");
}

TEST_F(ShmSegments, AnOrdinaryUserIsToldWhenRootMadeTheSegmentFirst) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can make a segment of root's";
    }
    make(3, sizeof(ShmTimeSample), 0600);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // nobody may not even read the segment's facts: they come from the system's list.
        const std::string said = ::setgid(65534) == 0 && ::setuid(65534) == 0
                                     ? ShmTimeShare(base).open(3)
                                     : "could not become nobody";
        (void)!::write(out[1], said.data(), said.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string said(4096, '\0');
    said.resize(static_cast<std::size_t>(std::max<ssize_t>(::read(out[0], said.data(), 4096), 0)));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(has(said, "was created by root"));
}

}  // namespace
}  // namespace quorvane
