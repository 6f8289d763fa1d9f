#include "platform/posix/text_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

namespace quorvane {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

[[noreturn]] void fail(int error, const std::string& path, const char* doing) {
    // ENOENT names the file when its folder is there, and the folder when it is not.
    const bool folderMissing = error == ENOENT && !isFolder(folderOf(path));
    throw FileError(fileErrorNumber(error, folderMissing),
                    std::string(doing) + " " + path + ": " + std::strerror(error));
}

// Closes on scope exit; a close that reports an error during a write is checked explicitly.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// 0 when every byte is written, else the errno.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// Writes, flushes and closes the temporary, then renames it over the target: 0 or the errno.
int completeReplacement(FileDescriptor& fd, const std::string& temporary, const std::string& path,
                        std::string_view bytes) {
    // Keep the permissions a user gave the old file.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    if (const int error = writeAll(fd.get(), bytes); error != 0) {
        return error;
    }
    if (::fsync(fd.get()) != 0) {
        return errno;
    }
    // close() may be the first to report a full disk on some file systems.
    if (::close(fd.release()) != 0) {
        return errno;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return errno;
    }
    return 0;
}

// A new, empty file beside the target that no other writer can be using.
int createTemporary(const std::string& path, std::string& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary =
            path + "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST || attempt >= 100) {
            return fd;
        }
    }
}

}  // namespace

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
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            break;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return folderOf(std::string(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
    // Without /proc the folder the program was started in is the best guess there is.
    std::vector<char> cwd(4096);
    if (::getcwd(cwd.data(), cwd.size()) != nullptr) {
        return cwd.data();
    }
    return ".";
}

std::string PosixTextFiles::readAll(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail(errno, path, "Cannot open");
    }
    std::string bytes;
    std::vector<char> chunk(65536);
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno, path, "Cannot read");
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

void PosixTextFiles::replaceWhole(const std::string& path, const std::string& bytes) {
    std::string temporary;
    FileDescriptor fd(createTemporary(path, temporary));
    if (fd.get() < 0) {
        fail(errno, path, "Cannot create a file beside");
    }
    if (const int error = completeReplacement(fd, temporary, path, bytes); error != 0) {
        ::unlink(temporary.c_str());
        fail(error, path, "Cannot write");
    }
    // The rename itself reaches the disk with the folder; a failure here loses nothing.
    FileDescriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        (void)::fsync(folder.get());
    }
}

}  // namespace quorvane
