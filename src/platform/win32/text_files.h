#pragma once

#include <cstdint>
#include <string>

#include "platform/text_files.h"

namespace quorvane {

// Error numbers for Windows error codes, as the settings-file message table numbers them (the
// same choices as for errno on POSIX):
//   FILE_NOT_FOUND 53
//   PATH_NOT_FOUND, DIRECTORY, BAD_NETPATH, BAD_NET_NAME 76
//   ACCESS_DENIED, WRITE_PROTECT, CANNOT_MAKE 75
//   SHARING_VIOLATION, LOCK_VIOLATION, USER_MAPPED_FILE 70
//   DISK_FULL, HANDLE_DISK_FULL, DISK_QUOTA_EXCEEDED 61
//   CRC, READ_FAULT, WRITE_FAULT, GEN_FAILURE, SECTOR_NOT_FOUND, IO_DEVICE 57
//   NOT_READY, DEV_NOT_EXIST, NO_MEDIA_IN_DRIVE 71
//   INVALID_DRIVE 68; NOT_SAME_DEVICE 74; FILE_EXISTS, ALREADY_EXISTS 58
//   INVALID_NAME, BAD_PATHNAME, FILENAME_EXCED_RANGE 64; TOO_MANY_OPEN_FILES 67
//   any other code: 1000 + the code.
int windowsFileErrorNumber(std::uint32_t error);

// Files of the program's own folder on Windows. Paths are UTF-8 and go to the wide API as
// UTF-16; a path that is not UTF-8, or holds a NUL, is a bad file name (64).
class Win32TextFiles : public TextFiles {
public:
    Win32TextFiles() = default;

    // The folder of the executable (GetModuleFileNameW); the working folder if that fails.
    std::string programFolder() override;
    // GetModuleFileNameW; the program folder's "quorvane.exe" if that fails.
    std::string executablePath() override;
    // Pipes and devices are refused (75), and so is a file past the size limit.
    std::string readAll(const std::string& path) override;
    // Written to a temporary file in the folder of the target (the end of any chain of
    // symbolic links, so the links stay links; a link that leads nowhere is refused) and
    // flushed, then moved over the target with MoveFileExW (replace, write through); the
    // temporary is removed on any failure, so the old file stays whole. A read-only file is not
    // replaced (75); one that another program holds open is locked (70). In a folder that takes
    // no new file, a file this user may write is written in place and flushed. Leftover
    // temporaries of saves that never finished (their process is gone) are removed first.
    void replaceWhole(const std::string& path, const std::string& bytes) override;
    void rename(const std::string& path, const std::string& to) override;
};

}  // namespace quorvane
