#include "platform/posix/text_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_rules.h"
#include "platform/posix/file_basics.h"
#include "platform/posix/save_steps.h"

namespace quorvane {

int fileErrorNumber(int error, bool folderMissing) {
    switch (error) {
        case ENOENT:
            return folderMissing ? 76 : 53;
        case ENOTDIR:
            return 76;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return 75;
        case ETXTBSY:
        case EBUSY:
        case EWOULDBLOCK:
            return 70;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return 61;
        case EIO:
            return 57;
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return 71;
        case ENAMETOOLONG:
            return 64;
        case EMFILE:
        case ENFILE:
            return 67;
        default:
            return 1000 + error;
    }
}

std::string PosixTextFiles::programFolder() {
    if (const std::optional<std::string> executable = posix::readLink("/proc/self/exe")) {
        return posix::folderOf(*executable);
    }
    // Without /proc the folder the program was started in is the best guess there is.
    std::vector<char> cwd(4096);
    if (::getcwd(cwd.data(), cwd.size()) != nullptr) {
        return cwd.data();
    }
    return ".";
}

std::string PosixTextFiles::executablePath() {
    if (std::optional<std::string> executable = posix::readLink("/proc/self/exe")) {
        return *executable;
    }
    return joinPath(programFolder(), "quorvane");
}

std::string PosixTextFiles::readAll(const std::string& path) {
    // Not blocking: a named pipe with no writer must not hang the program.
    posix::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        posix::fail(errno, path, "Cannot open");
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        posix::fail(errno, path, "Cannot read");
    }
    if (S_ISDIR(info.st_mode)) {
        // With the system's own reason.
        throw UnfitFile(fileErrorNumber(EISDIR),
                        "Cannot read " + path + ": " + std::strerror(EISDIR));
    }
    // A pipe, a device or a socket is no settings file, and /dev/zero would never end.
    if (!S_ISREG(info.st_mode)) {
        throw notAnOrdinaryFile(path, "Cannot read");
    }
    std::string bytes;
    std::vector<char> chunk(65536);
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            posix::fail(errno, path, "Cannot read");
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
        if (bytes.size() > kLargestReadableFile) {
            throw fileTooLarge(path);
        }
    }
}

void PosixTextFiles::replaceWhole(const std::string& path, const std::string& bytes) {
    const std::string target = posix::linkTarget(path);
    posix::FileDescriptor existing = posix::openExistingForWriting(target, path);
    // A rename would leave the file's other names holding the old settings.
    if (posix::hasOtherNames(existing)) {
        if (const int failed = posix::writeInPlace(existing, bytes); failed != 0) {
            posix::fail(failed, path, "Cannot write", target);
        }
        return;
    }
    posix::removeLeftoverTemporaries(target);
    std::string temporary;
    posix::FileDescriptor fd(posix::createTemporary(target, temporary));
    if (fd.get() < 0) {
        const int error = errno;
        // A folder that takes no new file, holding a file this user may write.
        if (existing.get() >= 0 && (error == EACCES || error == EPERM)) {
            if (const int failed = posix::writeInPlace(existing, bytes); failed != 0) {
                posix::fail(failed, path, "Cannot write", target);
            }
            return;
        }
        posix::fail(error, path, "Cannot create a file beside", target);
    }
    if (const int error = posix::completeReplacement(fd, temporary, target, existing, bytes);
        error != 0) {
        ::unlink(temporary.c_str());
        posix::fail(error, path, "Cannot write", target);
    }
    // The rename itself reaches the disk with the folder; a failure here loses nothing.
    posix::FileDescriptor folder(
        ::open(posix::folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        (void)::fsync(folder.get());
    }
}

void PosixTextFiles::rename(const std::string& path, const std::string& to) {
    if (::rename(path.c_str(), to.c_str()) != 0) {
        posix::fail(errno, path, "Cannot rename");
    }
}

}  // namespace quorvane
