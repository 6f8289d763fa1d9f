#include "platform/win32/text_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/file_rules.h"

#include "win32_test_support.h"

namespace quorvane::testing {
namespace {

class Win32Files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.made()); }

    // The error number the call throws, or 0.
    template <class Call>
    static int errorOf(Call&& call) {
        try {
            call();
        } catch (const FileError& error) {
            return error.number();
        }
        return 0;
    }
    // A file written by other means than the code under test.
    void put(const std::wstring& name, const std::string& bytes) {
        const HANDLE file = CreateFileW(dir.wide(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(written, bytes.size());
    }

    TempFolder dir;
    Win32TextFiles files;
};

TEST_F(Win32Files, ReplacesWholeAndReadsBackEveryByte) {
    const std::string path = dir.utf8("Quorvane.XML");
    // CR LF stays CR LF, a lone LF stays alone, bytes above 127 and NUL pass as they are.
    const std::string bytes = std::string("<A>\r\n\xE9t\xE9\n", 9) + '\0' + "\x1A end";
    files.replaceWhole(path, bytes);
    EXPECT_EQ(files.readAll(path), bytes);

    files.replaceWhole(path, "short");
    EXPECT_EQ(files.readAll(path), "short");
    files.replaceWhole(path, "");
    EXPECT_EQ(files.readAll(path), "");
    EXPECT_EQ(dir.names(), std::vector<std::wstring>{L"Quorvane.XML"}) << "a temporary was left";
}

TEST_F(Win32Files, NamesGoToTheSystemAsUtf16) {
    // "Zeit-Ü時.XML" in UTF-8.
    const std::string name = "Zeit-\xC3\x9C\xE6\x99\x82.XML";
    files.replaceWhole(dir.utf8(name), "x");
    EXPECT_NE(GetFileAttributesW(dir.wide(L"Zeit-\u00DC\u6642.XML").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.readAll(dir.utf8(name)), "x");

    // Not UTF-8, or cut short by a NUL: a bad file name, and nothing is created.
    EXPECT_EQ(errorOf([&] { files.replaceWhole(dir.utf8("bad-\xFF.XML"), "x"); }), 64);
    EXPECT_EQ(errorOf([&] { files.readAll(dir.utf8("bad-\xC3.XML")); }), 64);
    const std::string cut = dir.utf8("Quorvane.XML") + std::string(1, '\0') + ".evil";
    EXPECT_EQ(errorOf([&] { files.replaceWhole(cut, "x"); }), 64);
    EXPECT_EQ(dir.names().size(), 1u);
}

TEST_F(Win32Files, MissingFileFolderAndAFolderForAFileHaveTheirNumbers) {
    EXPECT_EQ(errorOf([&] { files.readAll(dir.utf8("none.XML")); }), 53);
    EXPECT_EQ(errorOf([&] { files.readAll(dir.utf8("none\\Quorvane.XML")); }), 76);
    EXPECT_EQ(errorOf([&] { files.replaceWhole(dir.utf8("none\\Quorvane.XML"), "x"); }), 76);
    ASSERT_TRUE(CreateDirectoryW(dir.wide(L"folder").c_str(), nullptr));
    EXPECT_EQ(errorOf([&] { files.readAll(dir.utf8("folder")); }), 75);

    try {
        files.readAll(dir.utf8("none.XML"));
    } catch (const FileError& error) {
        // The system's own words and the path, for whoever reads a log.
        EXPECT_NE(std::string(error.what()).find(dir.utf8("none.XML")), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("(error 2)"), std::string::npos) << error.what();
    }
}

// A symbolic link `link` to `target` beside it: the system's own, or under Wine, whose links are
// stubs, one of the Unix system beneath, which Wine follows as Windows follows its own.
bool makeFileLink(const TempFolder& dir, const std::wstring& link, const std::wstring& target) {
    const std::wstring path = dir.wide(link);
    CreateSymbolicLinkW(path.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* folder = unixName ? unixName(dir.wide().c_str()) : nullptr;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && folder != nullptr) {
        std::wstring command = L"/bin/ln -s \"" + target + L"\" \"" + widen(folder).value_or(L"") +
                               L"/" + link + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        // Wine cannot wait for a Unix process: wait for its link instead.
        for (int i = 0; i < 100 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
             ++i) {
            Sleep(50);
        }
    }
    HeapFree(GetProcessHeap(), 0, folder);
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(Win32Files, SavesGoThroughASymbolicLinkAndTheLinkStays) {
    put(L"real.XML", "old");
    if (!makeFileLink(dir, L"Quorvane.XML", L"real.XML")) {
        GTEST_SKIP() << "no symbolic link can be made here";
    }
    const std::string link = dir.utf8("Quorvane.XML");
    files.replaceWhole(link, "a longer text than before");
    EXPECT_EQ(files.readAll(dir.utf8("real.XML")), "a longer text than before");
    put(L"real.XML", "by hand");  // still a link: the file shows through it
    EXPECT_EQ(files.readAll(link), "by hand");
    EXPECT_EQ(dir.names().size(), 2u) << "a temporary was left";
    // A link that leads nowhere is refused, not replaced. Wine shows a dangling Unix link as no
    // file at all, so only the system's own links can tell.
    if ((GetFileAttributesW(dir.wide(L"Quorvane.XML").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) !=
        0) {
        ASSERT_TRUE(DeleteFileW(dir.wide(L"real.XML").c_str()));
        EXPECT_NE(errorOf([&] { files.replaceWhole(link, "x"); }), 0);
    }
}

TEST_F(Win32Files, AReadOnlyFileIsReadButNotReplaced) {
    put(L"Quorvane.XML", "old");
    ASSERT_TRUE(SetFileAttributesW(dir.wide(L"Quorvane.XML").c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string path = dir.utf8("Quorvane.XML");
    EXPECT_EQ(files.readAll(path), "old");
    EXPECT_EQ(errorOf([&] { files.replaceWhole(path, "new"); }), 75);
    EXPECT_EQ(files.readAll(path), "old");
    EXPECT_EQ(dir.names(), std::vector<std::wstring>{L"Quorvane.XML"}) << "a temporary was left";
}

TEST_F(Win32Files, AFileHeldOpenWithoutSharingIsLockedUntilReleased) {
    put(L"Quorvane.XML", "old");
    const std::string path = dir.utf8("Quorvane.XML");
    const HANDLE held = CreateFileW(dir.wide(L"Quorvane.XML").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(errorOf([&] { files.readAll(path); }), 70);
    EXPECT_EQ(errorOf([&] { files.replaceWhole(path, "new"); }), 70);
    EXPECT_EQ(dir.names(), std::vector<std::wstring>{L"Quorvane.XML"}) << "a temporary was left";
    CloseHandle(held);

    EXPECT_EQ(files.readAll(path), "old");
    files.replaceWhole(path, "new");
    EXPECT_EQ(files.readAll(path), "new");
}

// Saves killed midway leave temporaries; the next save removes those whose process is gone
// and leaves a running writer's, and one still held open, alone.
TEST_F(Win32Files, LeftoversOfSavesThatEndedAreRemovedAndLiveOnesStay) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION live{};
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                               nullptr, nullptr, &startup, &live));
    const std::wstring alive = L"Quorvane.XML." + std::to_wstring(live.dwProcessId) + L".0.tmp";
    const std::wstring gone = L"Quorvane.XML.4294967292.0.tmp";  // no process has that id
    const std::wstring held = L"Quorvane.XML.4294967292.1.tmp";
    for (const std::wstring& name :
         {alive, gone, held, std::wstring(L"Other.XML.4294967292.0.tmp")}) {
        put(name, "half a file");
    }
    const HANDLE holder = CreateFileW(dir.wide(held).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    files.replaceWhole(dir.utf8("Quorvane.XML"), "saved");
    const std::vector<std::wstring> names = dir.names();
    const auto has = [&](const std::wstring& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_FALSE(has(gone));
    EXPECT_TRUE(has(alive));
    EXPECT_TRUE(has(held));
    EXPECT_TRUE(has(L"Other.XML.4294967292.0.tmp"));
    CloseHandle(holder);
    TerminateProcess(live.hProcess, 0);
    WaitForSingleObject(live.hProcess, 10'000);
    CloseHandle(live.hThread);
    CloseHandle(live.hProcess);
    files.replaceWhole(dir.utf8("Quorvane.XML"), "saved again");
    EXPECT_EQ(dir.names().size(), 2u);
}

TEST_F(Win32Files, AFileLargerThanTheLimitIsNotRead) {
    put(L"large.XML", "");
    const HANDLE file = CreateFileW(dir.wide(L"large.XML").c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kLargestReadableFile) + 1;
    EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(errorOf([&] { files.readAll(dir.utf8("large.XML")); }), kFileTooLargeNumber);
}

TEST(Win32FileErrors, FailuresThatCannotBeMadeHereStillMapAsOnPosix) {
    const std::pair<DWORD, int> cases[] = {
        {ERROR_DISK_FULL, 61},
        {ERROR_HANDLE_DISK_FULL, 61},
        {1295, 61},  // quota
        {ERROR_CRC, 57},
        {ERROR_IO_DEVICE, 57},
        {ERROR_NOT_READY, 71},
        {ERROR_LOCK_VIOLATION, 70},
        {ERROR_WRITE_PROTECT, 75},
        {ERROR_INVALID_DRIVE, 68},
        {ERROR_BAD_NETPATH, 76},
        {ERROR_FILENAME_EXCED_RANGE, 64},
        {ERROR_TOO_MANY_OPEN_FILES, 67},
        {ERROR_INVALID_PARAMETER, 1087},
    };
    for (const auto& [code, number] : cases) {
        EXPECT_EQ(windowsFileErrorNumber(code), number) << code;
    }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramWhateverItsName) {
    Win32TextFiles files;
    const std::string folder = files.programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    const std::optional<std::wstring> self = widen(folder + "\\quorvane_win32_tests.exe");
    ASSERT_TRUE(self);
    EXPECT_NE(GetFileAttributesW(self->c_str()), INVALID_FILE_ATTRIBUTES) << folder;
    EXPECT_EQ(files.executablePath(), folder + "\\quorvane_win32_tests.exe");

    // A copy of this program in a folder whose name needs UTF-16 reports that folder, in UTF-8.
    TempFolder dir(L"Pr\u00FCf ordner \u6642");
    ASSERT_TRUE(dir.made());
    const std::wstring copy = dir.wide(L"copy.exe");
    ASSERT_TRUE(CopyFileW(self->c_str(), copy.c_str(), TRUE));
    TempFolder out;
    const std::string answer = out.utf8("folder.txt");
    std::wstring command =
        L"\"" + copy + L"\" --print-program-folder \"" + out.wide(L"folder.txt") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 60'000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u);
    EXPECT_EQ(files.readAll(answer), dir.utf8());
}

}  // namespace
}  // namespace quorvane::testing
