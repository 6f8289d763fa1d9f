#pragma once

#include <string>

#include "platform/text_files.h"

namespace quorvane {

// Error numbers for errno values, as the settings-file message table numbers them:
// ENOENT 53 (76 when `folderMissing`), ENOTDIR 76, EACCES/EPERM/EROFS/EISDIR 75,
// ETXTBSY/EBUSY/EWOULDBLOCK 70, ENOSPC/EDQUOT/EFBIG 61, EIO 57, ENXIO/ENODEV/ENOMEDIUM 71,
// ENAMETOOLONG 64, EMFILE/ENFILE 67; any other errno 1000 + errno.
int fileErrorNumber(int error, bool folderMissing = false);

// Files of the program's own folder on a POSIX system.
class PosixTextFiles : public TextFiles {
public:
    PosixTextFiles() = default;

    // The folder of /proc/self/exe; the working folder if the link cannot be read.
    std::string programFolder() override;
    // /proc/self/exe; the program folder's "quorvane" if the link cannot be read.
    std::string executablePath() override;
    // Opened without blocking; anything but an ordinary file is refused (75, a folder as
    // EISDIR), and so is a file past the size limit (kFileTooLargeNumber).
    std::string readAll(const std::string& path) override;
    // Written to a temporary file beside the target (the end of a chain of links), flushed to
    // the disk, then renamed over it; the temporary is removed on any failure, so the old file
    // stays whole. A file this user may not write is refused (75) untouched. In a folder that
    // takes no new file, and for a file with other names (hard links), a writable file is
    // written in place and flushed. Leftover temporaries of saves that never finished are
    // removed first.
    void replaceWhole(const std::string& path, const std::string& bytes) override;
    void rename(const std::string& path, const std::string& to) override;
};

}  // namespace quorvane
