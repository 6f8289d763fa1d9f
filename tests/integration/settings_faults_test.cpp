// The settings file on the real file system when it goes wrong: a folder the user may not write,
// a disk that fills up, and megabytes of binary junk where the file should be. Each time the
// previous file stays whole and the window keeps the values it holds.

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "fakes/fakes.h"
#include "platform/posix/text_files.h"

namespace quorvane::testing {
namespace {

namespace fs = std::filesystem;

// The real files, in a folder of the test's choosing instead of the executable's.
class FilesIn : public PosixTextFiles {
public:
    explicit FilesIn(std::string folder) : folder_(std::move(folder)) {}
    std::string programFolder() override { return folder_; }

private:
    std::string folder_;
};

// The window on the real files in `folder`, every other part faked.
struct WindowOnFiles : FakesButSerial {
    explicit WindowOnFiles(const std::string& folder) : realFiles(folder) {}

    FilesIn realFiles;
    FakeSerialPort serial;
    Form1 form{FormPlatform{serial, tray, balloon, clock, random, realFiles, desktop, log}};
};

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A settings file as the program writes it, naming the simulator's port at 4800 baud.
std::string goodSettings() {
    FormFixture f;
    f.form.GpsPortName = "Com200";
    f.form.GpsPortSpeed = "4800";
    f.form.SettingsSaveRequested = true;
    f.form.LoadSaveFiles();
    return f.files.files.at(f.settingsPath());
}

// Runs `body` in a forked child and returns what it reports: "" when every check held, else
// the first that failed. The child may give up root or mount file systems of its own.
std::string inChild(const std::function<std::string()>& body) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const std::string report = body();
        (void)!::write(pipe[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "the child died (status " + std::to_string(status) + "): " + report;
    }
    return report;
}

#define REQUIRE(condition) \
    if (!(condition))      \
    return std::string("failed: ") + #condition

// A baud click in a window whose save is refused: the box names the failure, the old file is
// whole, no temporary is left, and the window keeps the new speed for a later save.
std::string clickBaudAndExpectRefusal(WindowOnFiles& w, const fs::path& folder,
                                      const std::string& message) {
    const fs::path file = folder / "Quorvane.XML";
    const std::string before = contents(file);
    const std::size_t entries = entriesIn(folder);
    w.form.Form_Load();
    REQUIRE(w.desktop.messages.empty());
    REQUIRE(w.form.GpsPortName == "Com200");
    w.form.Menu_Baud_9600_Click();
    REQUIRE(w.desktop.messages.size() == 1);
    REQUIRE(w.desktop.messages[0].text.rfind(message + "\r\n", 0) == 0);
    REQUIRE(contents(file) == before);
    REQUIRE(entriesIn(folder) == entries);
    REQUIRE(w.form.GpsPortSpeed == "9600" && w.form.Menu_Baud_9600.checked());
    REQUIRE(w.serial.speed == 9600);  // the port still restarted with it
    return "";
}

class SettingsFaults : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quorvane-faults-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        std::ofstream(folder / "Quorvane.XML", std::ios::binary) << goodSettings();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
};

TEST_F(SettingsFaults, AReadOnlyFolderKeepsTheFileAndTheValuesForAnUnprivilegedUser) {
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    // Not writable by the user either, as root's file is not by nobody: a writable file in a
    // folder that takes no new file is written in place.
    fs::permissions(folder / "Quorvane.XML",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string report = inChild([&]() -> std::string {
        // As nobody: root may write anywhere.
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return "could not give up root";
        }
        WindowOnFiles w(folder.string());
        return clickBaudAndExpectRefusal(w, folder, "Path/File access error");
    });
    EXPECT_EQ(report, "");
}

TEST_F(SettingsFaults, AFullDiskKeepsTheFileAndTheNextSaveWritesTheValues) {
    const std::string report = inChild([&]() -> std::string {
        // A small file system of the child's own over the folder, so the disk really fills.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return "skip: cannot mount a small file system here: " +
                   std::string(std::strerror(errno));
        }
        std::ofstream(folder / "Quorvane.XML", std::ios::binary) << goodSettings();
        {
            std::ofstream filler(folder / "filler", std::ios::binary);
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size()) && filler.flush()) {
            }
        }
        WindowOnFiles w(folder.string());
        if (const std::string failed = clickBaudAndExpectRefusal(w, folder, "Disk full");
            !failed.empty()) {
            return failed;
        }
        fs::remove(folder / "filler");
        w.form.StartInTaskTray_Click();  // any later save
        REQUIRE(w.desktop.messages.size() == 1);
        REQUIRE(contents(folder / "Quorvane.XML").find(">9600</GPS_PORT_SPEED>") !=
                std::string::npos);
        return "";
    });
    if (report.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << report.substr(6);
    }
    EXPECT_EQ(report, "");
}

TEST_F(SettingsFaults, TenMegabytesOfBinaryJunkAreReadAndReplacedByAWholeFile) {
    std::mt19937 random(77);
    std::string junk(10 * 1024 * 1024, '\0');
    for (char& c : junk) {
        c = static_cast<char>(random());
    }
    // One good line somewhere in the middle still counts.
    const std::string line = "\r<GPS_PORT_NAME>Com7</GPS_PORT_NAME>\r";
    junk.replace(junk.size() / 2, line.size(), line);
    std::ofstream(folder / "Quorvane.XML", std::ios::binary) << junk;

    WindowOnFiles w(folder.string());
    w.form.Form_Load();
    EXPECT_TRUE(w.desktop.messages.empty());
    EXPECT_EQ(w.form.GpsPortName, "Com7");
    w.form.StartInTaskTray_Click();
    const std::string saved = contents(folder / "Quorvane.XML");
    EXPECT_LT(saved.size(), 1000u);
    EXPECT_NE(saved.find("<GPS_PORT_NAME>Com7</GPS_PORT_NAME>"), std::string::npos);
    EXPECT_EQ(entriesIn(folder), 1u);
}

// A named pipe or a device where the file should be: start-up says so at once and goes on,
// and the start-up save leaves the pipe as it is.
TEST_F(SettingsFaults, APipeOrADeviceForTheFileIsReportedAtOnceAndLeftAlone) {
    for (const bool pipe : {true, false}) {
        const fs::path file = folder / "Quorvane.XML";
        fs::remove(file);
        ASSERT_EQ(pipe ? ::mkfifo(file.c_str(), 0666) : ::symlink("/dev/zero", file.c_str()), 0);
        const std::string report = inChild([&]() -> std::string {
            ::alarm(5);  // a start-up that hangs ends the child
            WindowOnFiles w(folder.string());
            w.form.Form_Load();
            REQUIRE(w.desktop.messages.size() == 1);
            REQUIRE(w.desktop.messages[0].text.rfind("Path/File access error\r\n", 0) == 0);
            w.form.StartInTaskTray_Click();  // a save
            REQUIRE(w.desktop.messages.size() == 2);
            return "";
        });
        EXPECT_EQ(report, "") << (pipe ? "pipe" : "device");
        EXPECT_EQ(fs::symlink_status(file).type(),
                  pipe ? fs::file_type::fifo : fs::file_type::symlink);
    }
}

}  // namespace
}  // namespace quorvane::testing
