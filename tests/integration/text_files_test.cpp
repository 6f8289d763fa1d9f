#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/file_rules.h"
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
    // Not this user's to write either: a writable file in such a folder is written in place.
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

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
    EXPECT_EQ(files.executablePath(), folder + "/quorvane_integration_tests");
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

void write(const std::string& path, const std::string& bytes, fs::perms mode) {
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
}

// What a rename would get around: the file's own permissions. Root's are given up first.
TEST(TextFiles, AFileThisUserMayNotWriteIsNeverReplaced) {
    TemporaryFolder folder;
    PosixTextFiles files;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string path = folder.file("Quorvane.XML");
    write(path, "mine\r\n", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);  // nobody's own read-only file
    }
    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, "new\r\n"); }), 75);
    EXPECT_EQ(contents(path), "mine\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(entriesIn(folder.path()), 1u);

    if (::geteuid() != 0) {
        GTEST_SKIP() << "another user's file needs root to be made";
    }
    write(path, "root's\r\n", fs::perms::none);
    ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
    EXPECT_EQ(errorNumberAsNobody([&] { (void)files.readAll(path); }), 75);
    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, "defaults\r\n"); }), 75);
    EXPECT_EQ(contents(path), "root's\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::none);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(TextFiles, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML");
    write(path, "a longer old text\r\n", fs::perms::owner_read | fs::perms::owner_write);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    struct stat before {};
    ::stat(path.c_str(), &before);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::others_read | fs::perms::others_exec);

    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, "short\r\n"); }), 0);
    EXPECT_EQ(contents(path), "short\r\n");
    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, std::string(70000, 'x')); }), 0);
    EXPECT_EQ(contents(path), std::string(70000, 'x'));
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

// A user who keeps the settings elsewhere through a link keeps the link; the temporary is
// made beside the file itself, where the rename can reach it.
TEST(TextFiles, SavesGoThroughLinksAndTheLinksStay) {
    TemporaryFolder folder;
    PosixTextFiles files;
    fs::create_directory(folder.path() / "program");
    fs::create_directory(folder.path() / "dotfiles");
    const std::string path = folder.file("program/Quorvane.XML");
    fs::create_symlink("../dotfiles/middle.XML", path);  // relative, to a link
    fs::create_symlink(folder.file("dotfiles/real.XML"), folder.file("dotfiles/middle.XML"));
    // A dangling chain: the save makes the file it ends at.
    files.replaceWhole(path, "first\r\n");
    files.replaceWhole(path, "second\r\n");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_TRUE(fs::is_symlink(folder.file("dotfiles/middle.XML")));
    EXPECT_EQ(contents(folder.file("dotfiles/real.XML")), "second\r\n");
    EXPECT_EQ(files.readAll(path), "second\r\n");
    EXPECT_EQ(entriesIn(folder.path() / "program"), 1u);
    EXPECT_EQ(entriesIn(folder.path() / "dotfiles"), 2u);

    // The target's permissions decide, not the link's.
    fs::permissions(folder.file("dotfiles/real.XML"), fs::perms::owner_read);
    fs::permissions(folder.path() / "dotfiles", fs::perms::all);
    EXPECT_EQ(errorNumberAsNobody([&] { files.replaceWhole(path, "third\r\n"); }), 75);
    EXPECT_EQ(contents(folder.file("dotfiles/real.XML")), "second\r\n");

    fs::create_symlink("loop.XML", folder.file("loop.XML"));
    EXPECT_NE(errorNumberOf([&] { files.replaceWhole(folder.file("loop.XML"), "x"); }), 0);
    EXPECT_TRUE(fs::is_symlink(folder.file("loop.XML")));
}

// Every name of a hard-linked file goes on showing the same settings, whatever their lengths.
TEST(TextFiles, AFileWithOtherNamesIsWrittenInPlace) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML"), other = folder.file("shared.XML");
    write(path, "old settings\r\n", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(path, other);
    for (const std::string& bytes : {std::string("a longer new text\r\n"), std::string("s\r\n")}) {
        files.replaceWhole(path, bytes);
        EXPECT_EQ(contents(other), bytes);
    }
    EXPECT_EQ(entriesIn(folder.path()), 2u) << "no temporary left behind";
}

// Runs `call` in a child that may not take more than two seconds: a read that blocks fails.
int errorNumberWithin2s(const std::function<void()>& call) {
    return errorNumberAsNobody([&] {
        ::alarm(2);
        call();
    });
}

TEST(TextFiles, OnlyOrdinaryFilesUpToTheLimitAreReadOrReplaced) {
    TemporaryFolder folder;
    PosixTextFiles files;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string pipe = folder.file("Quorvane.XML");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    EXPECT_EQ(errorNumberWithin2s([&] { (void)files.readAll(pipe); }), 75);
    EXPECT_EQ(errorNumberWithin2s([&] { files.replaceWhole(pipe, "x"); }), 75);
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);

    const std::string device = folder.file("zero.XML");
    fs::create_symlink("/dev/zero", device);
    EXPECT_EQ(errorNumberWithin2s([&] { (void)files.readAll(device); }), 75);

    // Sparse files: nothing is written to the disk.
    const std::string large = folder.file("large.XML");
    std::ofstream(large, std::ios::binary).close();
    fs::resize_file(large, kLargestReadableFile);
    EXPECT_EQ(files.readAll(large).size(), kLargestReadableFile);
    fs::resize_file(large, kLargestReadableFile + 1);
    EXPECT_EQ(errorNumberOf([&] { (void)files.readAll(large); }), kFileTooLargeNumber);
}

// A child that stays until it is killed; its pid names a live writer.
pid_t sleeper() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    return child;
}

pid_t deadPid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(TextFiles, LeftoverTemporariesOfDeadSavesGoAndLiveOnesStay) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML");
    const pid_t live = sleeper();
    const std::string dead = std::to_string(deadPid());
    const std::string alive = std::to_string(live);
    for (const std::string& name :
         {"Quorvane.XML." + dead + ".0.tmp", "Quorvane.XML." + dead + ".7.tmp",
          "Quorvane.XML." + alive + ".0.tmp", "Quorvane.XML." + dead + ".x.tmp",
          "Other.XML." + dead + ".0.tmp", "Quorvane.XML.locked." + dead + ".0.tmp"}) {
        std::ofstream(folder.file(name)) << "half a file";
    }
    // A writer in another pid namespace: its pid means nothing here, its lock does.
    const std::string locked = "Quorvane.XML." + std::to_string(deadPid()) + ".1.tmp";
    std::ofstream(folder.file(locked)) << "being written";
    const int lock = ::open(folder.file(locked).c_str(), O_RDONLY);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::flock(lock, LOCK_EX);
        ::pause();
        ::_exit(0);
    }
    ::close(lock);
    ::usleep(100000);

    files.replaceWhole(path, "saved\r\n");
    EXPECT_FALSE(fs::exists(folder.file("Quorvane.XML." + dead + ".0.tmp")));
    EXPECT_FALSE(fs::exists(folder.file("Quorvane.XML." + dead + ".7.tmp")));
    for (const std::string& name :
         {"Quorvane.XML." + alive + ".0.tmp", locked, "Quorvane.XML." + dead + ".x.tmp",
          "Other.XML." + dead + ".0.tmp", "Quorvane.XML.locked." + dead + ".0.tmp"}) {
        EXPECT_TRUE(fs::exists(folder.file(name))) << name;
    }
    ::kill(live, SIGKILL);
    ::kill(holder, SIGKILL);
    ::waitpid(live, nullptr, 0);
    ::waitpid(holder, nullptr, 0);
    files.replaceWhole(path, "saved again\r\n");
    EXPECT_FALSE(fs::exists(folder.file("Quorvane.XML." + alive + ".0.tmp")));
    EXPECT_FALSE(fs::exists(folder.file(locked)));
    EXPECT_EQ(entriesIn(folder.path()), 4u);
}

// Ten programs saving at once, each cleaning up after the others: every save succeeds, and a
// reader never sees anything but one whole file.
TEST(TextFiles, TenProcessesSavingAtOnceNeverLeaveAHalfWrittenFile) {
    TemporaryFolder folder;
    PosixTextFiles files;
    const std::string path = folder.file("Quorvane.XML");
    const auto version = [](int writer) {
        return std::string(100000, static_cast<char>('A' + writer));
    };
    files.replaceWhole(path, version(0));
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 10; ++writer) {
        writers.push_back(::fork());
        if (writers.back() == 0) {
            for (int save = 0; save < 20; ++save) {
                if (errorNumberOf([&] { files.replaceWhole(path, version(writer)); }) != 0) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
    }
    int torn = 0;
    for (int read = 0; read < 300; ++read) {
        const std::string seen = files.readAll(path);
        torn += seen.size() != 100000u || seen != std::string(100000, seen.front());
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ::waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

}  // namespace
}  // namespace quorvane
