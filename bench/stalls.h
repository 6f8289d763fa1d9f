#pragma once

#include <sys/types.h>

#include <cstdint>

namespace quorvane::bench {

// A process that stops this one now and then, as swapping, a paused virtual machine or a frozen
// desktop session would: SIGSTOP for 50 to 400 ms, every 0.3 to 1.2 s, drawn at random, from
// construction until destruction. The stopping process also ends when this one dies.
class Stalls {
public:
    Stalls(bool enabled, std::uint32_t seed);
    ~Stalls();
    Stalls(const Stalls&) = delete;
    Stalls& operator=(const Stalls&) = delete;

private:
    pid_t child_ = -1;
};

}  // namespace quorvane::bench
