#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane::posix {

// Closes on scope exit; a close that reports an error during a write is checked explicitly.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string folderOf(const std::string& path);
// The name part of a path.
std::string nameOf(const std::string& path);

// Throws the FileError for `error`, naming `path`; ENOENT counts as a missing folder when the
// folder of `checked` (the file actually opened, a link's target) is not there.
[[noreturn]] void fail(int error, const std::string& path, const char* doing,
                       const std::string& checked);
[[noreturn]] inline void fail(int error, const std::string& path, const char* doing) {
    fail(error, path, doing, path);
}

// What the symbolic link `path` points at, as it is written in the link; nullopt when it is no
// link or cannot be read.
std::optional<std::string> readLink(const std::string& path);

// 0 when every byte is written, else the errno.
int writeAll(int fd, std::string_view bytes);

}  // namespace quorvane::posix
