#pragma once

// Shared by the serial integration tests: the Qt application, an event pump that waits for a
// condition, a pseudo-terminal pair and a throwaway `ports` folder.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "fakes/fakes.h"

namespace quorvane::testing {

inline QCoreApplication& qtApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "quorvane_integration_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
    return *QCoreApplication::instance();
}

// Runs the event loop until the condition holds or the time is up; true if it held. The loop
// sleeps in the system's poll, so received bytes are stamped the moment they arrive.
inline bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    qtApplication();
    if (condition()) {
        return true;
    }
    QEventLoop loop;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (condition() || elapsed.elapsed() > limit.count()) {
            loop.quit();
        }
    });
    check.start(5);
    loop.exec();
    return condition();
}

inline void pumpFor(std::chrono::milliseconds span) {
    pumpUntil([] { return false; }, span);
}

// Runs `body` in a forked child that has given up root (uid and gid 65534) and returns the text
// it gave back, through a page shared with it.
inline std::string inChildAsNobody(const std::function<std::string()>& body) {
    constexpr std::size_t kPage = 4096;
    void* page = ::mmap(nullptr, kPage, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        return "no shared page";
    }
    char* answer = static_cast<char*>(page);
    answer[0] = '\0';
    const pid_t child = ::fork();
    if (child == 0) {
        const bool nobody =
            ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        std::snprintf(answer, kPage, "%s", nobody ? body().c_str() : "could not become uid 65534");
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    std::string text = answer;
    ::munmap(page, kPage);
    return text;
}

// A pseudo-terminal; the test writes to the master, the component opens the slave by path.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        slaveName_ = name;
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void write(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                throw std::runtime_error("write to the pty failed");
            }
            done += static_cast<std::size_t>(n);
        }
    }
    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }
    // The line settings the slave runs with, as the component left them.
    termios settings() const {
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    const std::string& slaveName() const { return slaveName_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

// A `ports` folder of its own, removed afterwards.
class TempPortsFolder {
public:
    explicit TempPortsFolder(const std::string& tag)
        : path_(std::filesystem::temp_directory_path() /
                ("quorvane-" + tag + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempPortsFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempPortsFolder(const TempPortsFolder&) = delete;
    TempPortsFolder& operator=(const TempPortsFolder&) = delete;

    // Makes ComN lead to the device, replacing an older link.
    void link(int number, const std::string& device) const {
        const auto name = path_ / ("Com" + std::to_string(number));
        std::filesystem::remove(name);
        std::filesystem::create_symlink(device, name);
    }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The window with the real serial component and fakes for everything else, loaded, set to open
// a port with the line settings a receiver uses (4800 8N1).
struct FormOnRealPort : FakesButSerial {
    explicit FormOnRealPort(SerialPort& port, const std::string& portName) : serial(port) {
        form.Form_Load();
        desktop.messages.clear();
        form.GpsPortName = portName;
        form.GpsPortSpeed = "4800";
        form.GpsPortParity = "None";
        form.GpsPortDataLength = "8";
        form.GpsPortFlowControl = "None";
        form.GpsPortStopBits = "1";
    }

    SerialPort& serial;
    Form1 form{platformWith(serial)};
};

}  // namespace quorvane::testing
