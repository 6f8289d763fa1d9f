#include "platform/win32/text_files.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/file_rules.h"
#include "platform/win32/wide_text.h"

// After the program's own headers: its macros would rename their constants.
#include <windows.h>

namespace quorvane {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which not every SDK's headers name.
constexpr DWORD kDiskQuotaExceeded = 1295;

[[noreturn]] void fail(DWORD error, const std::string& path, const char* doing) {
    throw FileError(windowsFileErrorNumber(error),
                    std::string(doing) + " " + path + ": " + systemMessage(error));
}

std::wstring widePath(const std::string& path) {
    // A NUL would cut the name short and name another file.
    const std::optional<std::wstring> wide = widen(path);
    if (!wide || path.find('\0') != std::string::npos) {
        fail(ERROR_INVALID_NAME, path, "Cannot use the name");
    }
    return *wide;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // 0 or the error closing reported.
    DWORD close() {
        DWORD error = 0;
        if (valid() && !CloseHandle(handle_)) {
            error = GetLastError();
        }
        handle_ = INVALID_HANDLE_VALUE;
        return error;
    }

private:
    HANDLE handle_;
};

// 0 when every byte is written and on the disk, else the error.
DWORD writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return GetLastError();
        }
        bytes.remove_prefix(written);
    }
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

// A new, empty file beside the target that no other writer can be using.
HANDLE createTemporary(const std::wstring& target, std::wstring& temporary) {
    for (int attempt = 0;; ++attempt) {
        temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                    std::to_wstring(attempt) + L".tmp";
        const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (file != INVALID_HANDLE_VALUE ||
            (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
            SetLastError(error);
            return file;
        }
    }
}

// A pid that exists counts as a writer, even when it now belongs to another program: a
// leftover then waits for a later save, where removing a live save's file would fail it.
bool processRuns(DWORD pid) {
    if (pid == GetCurrentProcessId()) {
        return true;
    }
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not this user's
    }
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

// Removes temporaries of `target` left by saves that never finished. A writer still running
// is left alone; the file it holds open could not be deleted anyway.
void removeLeftoverTemporaries(const std::wstring& target) {
    const std::size_t separator = target.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    const std::string name = narrow(target.substr(folder.size()));
    std::vector<std::wstring> leftovers;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((target + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::optional<std::uint32_t> pid = temporaryOwner(name, narrow(found.cFileName));
        if (pid && !processRuns(*pid)) {
            leftovers.push_back(folder + found.cFileName);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& leftover : leftovers) {
        DeleteFileW(leftover.c_str());
    }
}

// For a folder that takes no new file: the file written where it is and flushed, if this user
// may write it; else `refused`, the reason no temporary could be made.
DWORD writeInPlace(const std::wstring& target, std::string_view bytes, DWORD refused) {
    Handle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return refused;
    }
    DWORD error = writeAll(file.get(), bytes);
    if (error == 0 && !SetEndOfFile(file.get())) {
        error = GetLastError();
    }
    if (const DWORD closed = file.close(); error == 0) {
        error = closed;
    }
    return error;
}

// Windows refuses to replace a file that another program holds open with "access denied",
// as it refuses a read-only one; a file that cannot even be opened for deleting is held.
DWORD whyNotReplaced(DWORD error, const std::wstring& target) {
    if (error != ERROR_ACCESS_DENIED) {
        return error;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return error;
    }
    Handle probe(CreateFileW(target.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION
                                                                       : error;
}

// The file a save must replace: the end of the path's chain of symbolic links, so the links
// stay links (a move onto a link replaces the link). A link whose end is missing is refused
// rather than replaced by a file.
std::wstring saveTarget(const std::wstring& target, const std::string& path) {
    Handle file(CreateFileW(target.c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            fail(error, path, "Cannot follow the link");
        }
        return target;  // no file yet, or one whose own failure the save reports
    }
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(
            file.get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
        if (length == 0 || length > 32768) {
            return target;
        }
        if (length < final.size()) {
            final.resize(length);
            return final;
        }
        final.resize(length + 1);
    }
}

// The executable's full name (GetModuleFileNameW), or nullopt.
std::optional<std::wstring> modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::nullopt;
        }
        // A full buffer means the name was cut short.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 65536) {
            return std::nullopt;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

int windowsFileErrorNumber(std::uint32_t error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return 53;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return 76;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANNOT_MAKE:
            return 75;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return 70;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded:
            return 61;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_IO_DEVICE:
            return 57;
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_NO_MEDIA_IN_DRIVE:
            return 71;
        case ERROR_INVALID_DRIVE:
            return 68;
        case ERROR_NOT_SAME_DEVICE:
            return 74;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return 58;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return 64;
        case ERROR_TOO_MANY_OPEN_FILES:
            return 67;
        default:
            return static_cast<int>(1000 + error);
    }
}

std::string Win32TextFiles::programFolder() {
    if (const std::optional<std::wstring> path = modulePath()) {
        const std::size_t separator = path->find_last_of(L"\\/");
        return narrow(separator == std::wstring::npos ? L"." : path->substr(0, separator));
    }
    // The folder the program was started in is the best guess there is.
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length >= folder.size()) {
        return ".";
    }
    folder.resize(length);
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    return narrow(folder);
}

std::string Win32TextFiles::executablePath() {
    if (const std::optional<std::wstring> path = modulePath()) {
        return narrow(*path);
    }
    return joinPath(programFolder(), "quorvane.exe");
}

std::string Win32TextFiles::readAll(const std::string& path) {
    const std::wstring wide = widePath(path);
    // Another program may rename or replace the file while it is read, as this one does.
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        fail(GetLastError(), path, "Cannot open");
    }
    // A pipe or a device is no settings file.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        throw notAnOrdinaryFile(path, "Cannot read");
    }
    std::string bytes;
    std::string chunk(65536, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            fail(GetLastError(), path, "Cannot read");
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(chunk.data(), got);
        if (bytes.size() > kLargestReadableFile) {
            throw fileTooLarge(path);
        }
    }
}

void Win32TextFiles::replaceWhole(const std::string& path, const std::string& bytes) {
    const std::wstring target = saveTarget(widePath(path), path);
    // Windows refuses to replace a read-only file, but not every file system it reaches does;
    // the attribute is the user's wish that the file stays as it is.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        fail(ERROR_ACCESS_DENIED, path, "Cannot write");
    }
    removeLeftoverTemporaries(target);
    std::wstring temporary;
    Handle file(createTemporary(target, temporary));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED) {
            fail(error, path, "Cannot create a file beside");
        }
        if (const DWORD failed = writeInPlace(target, bytes, error); failed != 0) {
            fail(failed, path, failed == error ? "Cannot create a file beside" : "Cannot write");
        }
        return;
    }
    DWORD error = writeAll(file.get(), bytes);
    if (const DWORD closed = file.close(); error == 0) {
        error = closed;
    }
    if (error == 0 && !MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = whyNotReplaced(GetLastError(), target);
    }
    if (error != 0) {
        DeleteFileW(temporary.c_str());
        fail(error, path, "Cannot write");
    }
}

void Win32TextFiles::rename(const std::string& path, const std::string& to) {
    if (!MoveFileExW(widePath(path).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fail(GetLastError(), path, "Cannot rename");
    }
}

}  // namespace quorvane
