#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/posix/text_files.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "quorvane-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The number a TextFiles call fails with, or 0 when it succeeds.
int errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const FileError& error) {
        return error.number();
    }
    return 0;
}

// Runs `call` in a child that has given up root (uid and gid 65534), so permissions apply;
// the child's exit status is the error number.
int errorNumberAsNobody(const std::function<void()>& call) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(254);
        }
        ::_exit(errorNumberOf(call) & 0xFF);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(TextFiles, ReplaceWholeWritesTheExactBytesAndLeavesNoTemporaryBehind) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML");
    std::string bytes = "line 1\r\n\x80\xFF\r\n";
    bytes += std::string(1, '\0') + std::string(200000, 'x');
    files.replaceWhole(path, bytes);
    EXPECT_EQ(files.readAll(path), bytes);
    files.replaceWhole(path, "shorter\r\n");
    EXPECT_EQ(contents(path), "shorter\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

    // A user's permissions on the old file are kept.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    files.replaceWhole(path, "again\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(TextFiles, MissingFileAndMissingFolderHaveTheirOwnNumbers) {
    TemporaryFolder folder;
    PosixTextFiles files;
    EXPECT_EQ(errorNumberOf([&] { files.readAll(folder.file("Quorvane.XML")); }), 53);
    EXPECT_EQ(errorNumberOf([&] { files.readAll(folder.file("gone/Quorvane.XML")); }), 76);
    EXPECT_EQ(errorNumberOf([&] { files.replaceWhole(folder.file("gone/Quorvane.XML"), "x"); }),
              76);
    EXPECT_EQ(errorNumberOf([&] { files.readAll(folder.path().string()); }), 75);  // a folder
    EXPECT_EQ(errorNumberOf([&] { files.readAll("/proc/self/mem/x"); }), 76);      // not a folder
}

TEST(TextFiles, AReadOnlyFolderRefusesTheSaveAndKeepsTheOldFileWhole) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML");
    files.replaceWhole(path, "previous\r\n");
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);

    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, "new\r\n"); }), 75);
    EXPECT_EQ(errorNumberAsNobody([&] { (void)files.readAll(path); }), 0);
    EXPECT_EQ(contents(path), "previous\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(errorNumberAsNobody([&] { (void)files.readAll(path); }), 75);
}

TEST(TextFiles, ProgramFolderIsTheFolderOfTheRunningExecutable) {
    PosixTextFiles files;
    const std::string folder = files.programFolder();
    EXPECT_TRUE(fs::exists(fs::path(folder) / "quorvane_integration_tests")) << folder;
    EXPECT_NE(folder.back(), '/');
}

}  // namespace
}  // namespace quorvane
