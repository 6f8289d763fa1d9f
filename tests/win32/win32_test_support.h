#pragma once

// Shared by the Windows tests: a temporary folder of their own, and whether Wine runs them.
// Include after the program's headers: <windows.h> would rename their constants.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace quorvane::testing {

inline bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A new folder under the user's temporary folder, removed with everything in it, read-only
// files included. `name` may hold any characters a Windows file name can.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name = L"quorvane-test") {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        const std::wstring base = std::wstring(temp, length) + name + L"-" +
                                  std::to_wstring(GetCurrentProcessId()) + L"-";
        for (int attempt = 0; path_.empty(); ++attempt) {
            const std::wstring candidate = base + std::to_wstring(attempt);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) {
                path_ = candidate;
            } else if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 1000) {
                break;
            }
        }
    }
    ~TempFolder() { removeTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool made() const { return !path_.empty(); }
    const std::wstring& wide() const { return path_; }
    std::string utf8() const { return narrow(path_); }
    std::wstring wide(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::string utf8(const std::string& name) const { return utf8() + "\\" + name; }

    // The names in the folder, in the system's order.
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) {
            return found;
        }
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") {
                found.push_back(name);
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        return found;
    }

private:
    static void removeTree(const std::wstring& folder) {
        if (folder.empty()) {
            return;
        }
        WIN32_FIND_DATAW entry;
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = entry.cFileName;
                const std::wstring path = folder + L"\\" + name;
                if (name == L"." || name == L"..") {
                    continue;
                }
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(path);
                } else {
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &entry));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

}  // namespace quorvane::testing
