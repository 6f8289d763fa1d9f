#include "background_load.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quorvane::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kDecoderPeriod = std::chrono::milliseconds(15000);
constexpr auto kDecoderBusy = std::chrono::milliseconds(2500);

void spinUntil(Clock::time_point end) {
    volatile unsigned long sink = 0;
    while (Clock::now() < end) {
        for (int i = 0; i < 10000; ++i) {
            sink = sink + static_cast<unsigned long>(i);
        }
    }
}

// The child's whole life: never returns.
[[noreturn]] void runChild(const LoadPlan& plan, Clock::time_point epoch) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (plan.kind == LoadPlan::Kind::Busy) {
        for (;;) {
            spinUntil(Clock::now() + std::chrono::hours(1));
        }
    }
    for (auto start = epoch;; start += kDecoderPeriod) {
        std::this_thread::sleep_until(start);
        spinUntil(start + kDecoderBusy);
    }
}

}  // namespace

std::optional<LoadPlan> parseLoad(const std::string& text) {
    if (text == "idle") {
        return LoadPlan{};
    }
    if (text == "decoder") {
        return LoadPlan{LoadPlan::Kind::Decoder, 0};
    }
    const std::string prefix = "busy:";
    if (text.rfind(prefix, 0) != 0) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long count = std::strtol(text.c_str() + prefix.size(), &end, 10);
    if (end == text.c_str() + prefix.size() || *end != '\0' || count < 1 || count > 64) {
        return std::nullopt;
    }
    return LoadPlan{LoadPlan::Kind::Busy, static_cast<int>(count)};
}

std::string loadText(const LoadPlan& plan) {
    switch (plan.kind) {
        case LoadPlan::Kind::Idle:
            return "idle";
        case LoadPlan::Kind::Busy:
            return std::to_string(plan.processes) + " busy processes";
        case LoadPlan::Kind::Decoder:
            return "decoder pattern (every core busy 2.5 s out of every 15 s)";
    }
    return "";
}

BackgroundLoad::BackgroundLoad(const LoadPlan& plan) {
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    const int count = plan.kind == LoadPlan::Kind::Busy ? plan.processes
                      : plan.kind == LoadPlan::Kind::Decoder
                          ? static_cast<int>(cores > 0 ? cores : 1)
                          : 0;
    // The decoder's first busy spell comes a second in, while the scenario is under way.
    const auto epoch = Clock::now() + std::chrono::seconds(1);
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            runChild(plan, epoch);
        }
        if (child > 0) {
            children_.push_back(child);
        }
    }
}

BackgroundLoad::~BackgroundLoad() {
    for (const pid_t child : children_) {
        ::kill(child, SIGKILL);
    }
    for (const pid_t child : children_) {
        ::waitpid(child, nullptr, 0);
    }
}

}  // namespace quorvane::bench
