#pragma once

#include <string>
#include <string_view>

#include "platform/posix/file_basics.h"

namespace quorvane::posix {

// The file a save must replace: `path` itself, or the end of its chain of symbolic links, so
// the links stay links. A dangling link's target is created. Throws FileError.
std::string linkTarget(const std::string& path);

// The existing target opened for writing, or an empty descriptor when there is none yet.
// What this user could not write in place is refused (75), and so is anything but an ordinary
// file: a rename would otherwise replace what the permissions protect. Throws FileError.
FileDescriptor openExistingForWriting(const std::string& target, const std::string& path);

// True when the open file has more than one name (hard links): only writing it in place keeps
// every name showing the same settings.
bool hasOtherNames(const FileDescriptor& existing);

// Removes temporaries of `target` left by saves that never finished (a process killed
// midway). One whose writer still runs, or still holds its lock, is left alone.
void removeLeftoverTemporaries(const std::string& target);

// A new, empty temporary beside the target, locked while it is written; -1 with errno set when
// none can be made.
int createTemporary(const std::string& target, std::string& temporary);

// Writes, flushes and renames the temporary over the target, keeping the old file's owner and
// permissions (from `existing`, when there is one): 0 or the errno.
int completeReplacement(FileDescriptor& temporaryFd, const std::string& temporary,
                        const std::string& target, const FileDescriptor& existing,
                        std::string_view bytes);

// Writes the file where it is, for a folder that takes no new file: space is reserved first
// where the file system can, so a full disk refuses before an old byte is overwritten, and
// the file is on the disk before this returns 0; else the errno.
int writeInPlace(FileDescriptor& existing, std::string_view bytes);

}  // namespace quorvane::posix
