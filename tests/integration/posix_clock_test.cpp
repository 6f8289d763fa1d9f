#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/posix/exit_signals.h"
#include "platform/posix/posix_clock.h"

namespace quorvane::testing {
namespace {

// Runs body in a forked child and returns what it reported. Zones and rights are changed only
// there, never in the test process.
std::string inChild(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "pipe failed";
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return "fork failed";
    }
    if (pid == 0) {
        close(fds[0]);
        std::string out;
        try {
            out = body();
        } catch (const std::exception& e) {
            out = std::string("exception: ") + e.what();
        }
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return out;
}

// One capability set of this process as the kernel reports it ("CapEff", "CapPrm", "CapBnd").
std::optional<std::uint64_t> capabilitySet(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stoull(line.substr(name.size() + 1), nullptr, 16);
        }
    }
    return std::nullopt;
}

// Takes CAP_SYS_TIME away from this process: from the bounding set, so nothing it runs can
// regain it, and from the effective, permitted and inheritable sets.
void dropClockRight() {
    prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    const auto bit = static_cast<std::uint32_t>(1u << (CAP_SYS_TIME % 32));
    auto& word = data[CAP_SYS_TIME / 32];
    word.effective &= ~bit;
    word.permitted &= ~bit;
    word.inheritable &= ~bit;
    syscall(SYS_capset, &header, data);
}

// The one way these tests reach PosixClock's setters: in a forked child that has first given
// up CAP_SYS_TIME, become the unprivileged user "nobody" where it was root, and then confirmed
// from the kernel's own account that it no longer holds the right. Otherwise it refuses
// without calling.
std::string withoutTheRight(pid_t testProcess,
                            const std::function<ClockSetResult(PosixClock&)>& change) {
    if (getpid() == testProcess) {
        return "refused: not in a child process";
    }
    dropClockRight();
    if (getuid() == 0 && setuid(65534) != 0) {
        return "refused: still root";
    }
    for (const char* set : {"CapEff", "CapPrm", "CapBnd"}) {
        const std::optional<std::uint64_t> mask = capabilitySet(set);
        if (!mask || (*mask >> CAP_SYS_TIME & 1) != 0) {
            return std::string("refused: CAP_SYS_TIME still in ") + set;
        }
    }
    PosixClock clock;
    const ClockSetResult result = change(clock);
    switch (result.outcome) {
        case ClockSetOutcome::NotPermitted:
            return "NotPermitted: " + result.detail;
        case ClockSetOutcome::Failed:
            return "Failed: " + result.detail;
        case ClockSetOutcome::Set:
            return "SET THE REAL CLOCK";
    }
    return "unknown outcome";
}

std::string setUtcWithoutTheRight(pid_t testProcess, const DateTime& value) {
    return withoutTheRight(testProcess, [&](PosixClock& clock) { return clock.setUtc(value); });
}

std::int64_t wallMinusMonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() -
           duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TEST(PosixClock, SettingTheClockWithoutTheRightIsRefusedAndChangesNothing) {
    const std::int64_t before = wallMinusMonotonicMs();
    const pid_t self = getpid();
    // Far from now, so a clock wrongly set would be plain to see.
    const std::string outcome = inChild([self] {
        return setUtcWithoutTheRight(self, DateTime{2001, 2, 3, 4, 5, 6, 789});
    });
    EXPECT_EQ(outcome, "NotPermitted: Operation not permitted");
    EXPECT_LT(std::llabs(wallMinusMonotonicMs() - before), 2000) << "the wall clock jumped";
    EXPECT_EQ(setUtcWithoutTheRight(self, DateTime{2001, 2, 3}), "refused: not in a child process");
}

// The zone record under TZ, and the current offset west in minutes as the C library gives it.
std::string zoneUnder(const char* tz) {
    return inChild([tz] {
        setenv("TZ", tz, 1);
        tzset();
        const TimeZoneInformation zone = PosixClock().timeZoneInformation();
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const std::int32_t part =
            zone.status == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias;
        std::ostringstream out;
        out << zone.Bias << ' ' << zone.StandardBias << ' ' << zone.DaylightBias << " status "
            << zone.status << (local.tm_isdst > 0 ? " daylight" : " standard")
            << (zone.Bias + part == -local.tm_gmtoff / 60 ? " consistent" : " inconsistent");
        return out.str();
    });
}

TEST(PosixClock, BuildsTheZoneRecordFromTheLocalRules) {
    EXPECT_EQ(zoneUnder("UTC0"), "0 0 0 status 0 standard consistent");
    EXPECT_EQ(zoneUnder("IST-5:30"), "-330 0 0 status 0 standard consistent");
    EXPECT_EQ(zoneUnder("XST-1XDT,0/0,J365/25"), "-60 0 -60 status 2 daylight consistent");
    // The status follows the moment: 1 in standard time, 2 in daylight time.
    for (const char* tz : {"CET-1CEST,M3.5.0,M10.5.0/3", "AEST-10AEDT,M10.1.0,M4.1.0/3"}) {
        const std::string record = zoneUnder(tz);
        const bool daylight = record.find(" daylight") != std::string::npos;
        const std::string bias = tz[0] == 'C' ? "-60" : "-600";
        EXPECT_EQ(record, bias + " 0 -60 status " + (daylight ? "2 daylight" : "1 standard") +
                              " consistent")
            << tz;
    }
}

TEST(PosixClock, LocalNowAndMonotonicNowReadTheRunningClocks) {
    const std::string report = inChild([] {
        setenv("TZ", "UTC0", 1);
        tzset();
        PosixClock clock;
        const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
        const std::int64_t shown = toEpochMilliseconds(clock.localNow());
        const auto mono = clock.monotonicNow() - MonoClock::now();
        return std::string(std::llabs(shown - wall) < 1000 ? "local ok" : "local off") +
               (std::chrono::abs(mono) < std::chrono::seconds(1) ? ", mono ok" : ", mono off");
    });
    EXPECT_EQ(report, "local ok, mono ok");
}

// A read only: adjtimex with no mode bits, which anyone may make.
TEST(PosixClock, ReadsTheKernelsDisciplineWithoutChangingIt) {
    PosixClock clock;
    const ClockDiscipline first = clock.discipline();
    ASSERT_TRUE(first.known);
    EXPECT_LE(std::abs(first.frequencyPpm), 512.0);  // the kernel's own bound
    EXPECT_EQ(clock.discipline().frequencyPpm, first.frequencyPpm);
}

TEST(PosixClock, TrimmingTheRateWithoutTheRightIsRefusedAndChangesNothing) {
    PosixClock clock;
    const ClockDiscipline before = clock.discipline();
    ASSERT_TRUE(before.known);
    const pid_t self = getpid();
    const auto trim = [](PosixClock& child) { return child.setFrequencyPpm(123.5); };
    EXPECT_EQ(inChild([&] { return withoutTheRight(self, trim); }),
              "NotPermitted: Operation not permitted");
    EXPECT_EQ(clock.discipline().frequencyPpm, before.frequencyPpm);
    EXPECT_EQ(withoutTheRight(self, trim), "refused: not in a child process");
}

TEST(PosixClock, OneCopyPerComputerHoldsTheRateLockAndACrashedOneHoldsNothing) {
    char folder[] = "/tmp/quorvane-lock-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::vector<std::string> files = {"/nonexistent-folder/keeping.lock",
                                            std::string(folder) + "/keeping.lock"};
    {
        PosixClock first(files), second(files);
        EXPECT_TRUE(first.holdRateLock());
        EXPECT_TRUE(first.holdRateLock());  // held, and kept
        EXPECT_FALSE(second.holdRateLock());
    }
    // A copy that takes the lock and is killed leaves it free.
    EXPECT_EQ(inChild([&] {
                  PosixClock crashing(files);
                  if (crashing.holdRateLock()) {
                      raise(SIGKILL);
                  }
                  return std::string("not held");
              }),
              "");
    PosixClock next(files);
    EXPECT_TRUE(next.holdRateLock());
    struct stat lock {};
    ASSERT_EQ(stat(files[1].c_str(), &lock), 0);
    EXPECT_EQ(lock.st_mode & 0777, 0644u);  // any user's copy can open it to lock
    unlink(files[1].c_str());
    rmdir(folder);
}

TEST(ExitSignals, EndTheProgramThroughItsOwnSequenceNotInTheHandler) {
    // In a child: the handlers stay there. Each signal leaves the process running and is handed
    // over, by name, through the pipe.
    EXPECT_EQ(inChild([] {
                  const int pipe = watchExitSignals();
                  std::string seen = takeExitSignal(pipe) + "|";
                  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
                      raise(signal);
                      seen += takeExitSignal(pipe) + "|";
                  }
                  return seen;
              }),
              "|SIGTERM|SIGHUP|SIGINT|");
}

}  // namespace
}  // namespace quorvane::testing
