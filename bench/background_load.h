#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane::bench {

// Load that runs beside the program while it is measured, in processes of normal priority.
struct LoadPlan {
    enum class Kind { Idle, Busy, Decoder };
    Kind kind = Kind::Idle;
    int processes = 0;  // Busy: how many processes spin all the time
};

// "idle", "busy:N" (N from 1 to 64) or "decoder"; nothing for anything else.
std::optional<LoadPlan> parseLoad(const std::string& text);
// For the report: "idle", "4 busy processes", "decoder pattern (...)".
std::string loadText(const LoadPlan& plan);

// The load's processes, from construction until destruction. Decoder: one process per core,
// each busy 2.5 s out of every 15 s, all at once, as a digital-mode decoder that wakes for each
// 15 s period. The processes also end when this one dies.
class BackgroundLoad {
public:
    explicit BackgroundLoad(const LoadPlan& plan);
    ~BackgroundLoad();
    BackgroundLoad(const BackgroundLoad&) = delete;
    BackgroundLoad& operator=(const BackgroundLoad&) = delete;

private:
    std::vector<pid_t> children_;
};

}  // namespace quorvane::bench
