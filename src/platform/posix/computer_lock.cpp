#include "platform/posix/computer_lock.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// Opens the lock file without following a link planted in a shared folder. An existing file of
// another user is opened for reading only: a lock needs no more, and the kernel may refuse to
// create over another user's file in a sticky folder.
int openLockFile(const std::string& path) {
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), kFlags);
        if (fd >= 0 || errno != ENOENT) {
            return fd;
        }
        const int made = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
        if (made >= 0) {
            ::fchmod(made, 0644);  // whatever the umask, other users must be able to open it
            return made;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    return -1;
}

}  // namespace

ComputerLock::ComputerLock(std::vector<std::string> paths) : paths_(std::move(paths)) {}

ComputerLock::~ComputerLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ComputerLock::hold() {
    if (fd_ >= 0) {
        return true;
    }
    for (const std::string& path : paths_) {
        struct stat folder {};
        if (::stat(folderOf(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            continue;
        }
        const int fd = openLockFile(path);
        if (fd < 0) {
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        return true;
    }
    return true;  // nowhere to lock: nothing tells of another copy
}

}  // namespace quorvane
