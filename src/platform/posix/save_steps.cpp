#include "platform/posix/save_steps.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/file_rules.h"

namespace quorvane::posix {

namespace {

// Chains longer than this are loops, as the kernel counts them.
constexpr int kMostLinks = 40;

// A pid that exists counts as a writer, even when it now belongs to another program: a
// leftover then waits for a later save, where removing a live save's file would fail it.
bool processRuns(std::uint32_t pid) {
    if (pid == 0 || pid > static_cast<std::uint32_t>(INT_MAX)) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes one leftover unless a writer holds its lock (a writer in another pid namespace).
void removeUnlessLocked(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() >= 0 && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    ::unlink(path.c_str());
}

}  // namespace

std::string linkTarget(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        const std::optional<std::string> target = readLink(current);
        if (!target || target->empty()) {
            fail(errno != 0 ? errno : ENOENT, path, "Cannot follow the link");
        }
        // A relative link is relative to the folder that holds it.
        current = target->front() == '/' ? *target : folderOf(current) + "/" + *target;
    }
    fail(ELOOP, path, "Cannot follow the link");
}

FileDescriptor openExistingForWriting(const std::string& target, const std::string& path) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return FileDescriptor();
        }
        fail(errno, path, "Cannot write", target);
    }
    if (S_ISDIR(info.st_mode)) {
        fail(EISDIR, path, "Cannot write");
    }
    if (!S_ISREG(info.st_mode)) {
        throw notAnOrdinaryFile(path, "Cannot write");
    }
    // Opening without truncating changes nothing, and asks exactly what an in-place write
    // would ask: permissions, access lists, a read-only mount, a running program's file.
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail(errno, path, "Cannot write", target);
    }
    return fd;
}

bool hasOtherNames(const FileDescriptor& existing) {
    struct stat info {};
    return existing.get() >= 0 && ::fstat(existing.get(), &info) == 0 && info.st_nlink > 1;
}

void removeLeftoverTemporaries(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    std::vector<std::string> leftovers;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::optional<std::uint32_t> pid = temporaryOwner(name, entry->d_name);
            if (pid && !processRuns(*pid)) {
                leftovers.push_back(folder + "/" + entry->d_name);
            }
        }
        ::closedir(dir);
    }
    for (const std::string& leftover : leftovers) {
        removeUnlessLocked(leftover);
    }
}

int createTemporary(const std::string& target, std::string& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = temporaryName(target, static_cast<std::uint32_t>(::getpid()), attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Tells another instance's clean-up that this file is being written.
            (void)::flock(fd, LOCK_EX);
            return fd;
        }
        if (errno != EEXIST || attempt >= 100) {
            return fd;
        }
    }
}

int completeReplacement(FileDescriptor& temporaryFd, const std::string& temporary,
                        const std::string& target, const FileDescriptor& existing,
                        std::string_view bytes) {
    const int fd = temporaryFd.get();
    struct stat old {};
    if (existing.get() >= 0 && ::fstat(existing.get(), &old) == 0) {
        // Another user's file keeps its owner where this user may keep it so (root may), and
        // every file keeps the permissions its user gave it.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            (void)!::fchown(fd, old.st_uid, old.st_gid);
        }
        ::fchmod(fd, old.st_mode & 07777);
    }
    if (const int error = writeAll(fd, bytes); error != 0) {
        return error;
    }
    if (::fsync(fd) != 0) {
        return errno;
    }
    // The lock lasts while any descriptor of the file is open: this one keeps it past the
    // close, which may be the first to report a full disk on some file systems, until the
    // rename is done.
    const FileDescriptor lock(::dup(fd));
    if (::close(temporaryFd.release()) != 0) {
        return errno;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return errno;
    }
    return 0;
}

int writeInPlace(FileDescriptor& existing, std::string_view bytes) {
    const int fd = existing.get();
    // Two instances saving in such a folder take turns.
    (void)::flock(fd, LOCK_EX);
#ifdef FALLOC_FL_KEEP_SIZE
    if (!bytes.empty() &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL) {
        return errno;
    }
#endif
    if (::lseek(fd, 0, SEEK_SET) < 0) {
        return errno;
    }
    if (const int error = writeAll(fd, bytes); error != 0) {
        return error;
    }
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
        return errno;
    }
    if (::close(existing.release()) != 0) {
        return errno;
    }
    return 0;
}

}  // namespace quorvane::posix
