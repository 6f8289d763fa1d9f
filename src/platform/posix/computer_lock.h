#pragma once

#include <string>
#include <vector>

namespace quorvane {

// An exclusive lock, for the whole computer, on a file in a folder every user may write to. The
// kernel drops it when the process ends, however it ends, so a crashed holder holds nothing.
class ComputerLock {
public:
    // The first path whose folder exists is the lock file.
    explicit ComputerLock(std::vector<std::string> paths);
    ~ComputerLock();
    ComputerLock(const ComputerLock&) = delete;
    ComputerLock& operator=(const ComputerLock&) = delete;

    // True when this process holds the lock, now or from before (or when none of the folders
    // exists, so no copy can hold it).
    bool hold();

private:
    std::vector<std::string> paths_;
    int fd_ = -1;
};

}  // namespace quorvane
