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
    std::string readAll(const std::string& path) override;
    // Written to a temporary file in the same folder, flushed to the disk, then renamed over
    // the target; the temporary is removed on any failure, so the old file stays whole.
    void replaceWhole(const std::string& path, const std::string& bytes) override;
};

}  // namespace quorvane
