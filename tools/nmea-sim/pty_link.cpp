#include "pty_link.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace nmeasim {

namespace fs = std::filesystem;

PtyLink::PtyLink(const fs::path& folder, int number) {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error(std::string("cannot open a pseudo-terminal: ") +
                                 std::strerror(errno));
    }
    slaveName_ = name;
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    // Nobody may be reading: a full buffer must drop sentences, as a real line would, not stall.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    std::error_code error;
    fs::create_directories(folder, error);
    link_ = folder / ("Com" + std::to_string(number));
    // Left behind by a run that was killed: its pseudo-terminal is gone, or is the one just
    // handed to us (the system reuses their numbers), so no other simulator can be using it.
    if (fs::is_symlink(fs::symlink_status(link_, error)) &&
        (!fs::exists(link_, error) || fs::read_symlink(link_, error) == fs::path(slaveName_))) {
        fs::remove(link_, error);
    }
    fs::create_symlink(slaveName_, link_, error);
    if (error) {
        const std::string why = fs::exists(fs::symlink_status(link_))
                                    ? "it already exists; is another simulator using Com" +
                                          std::to_string(number) + "? Choose another --port"
                                    : error.message();
        link_.clear();
        ::close(master_);
        ::close(slave_);
        throw std::runtime_error("cannot create " +
                                 (folder / ("Com" + std::to_string(number))).string() + ": " + why);
    }
}

PtyLink::~PtyLink() {
    std::error_code error;
    if (!link_.empty() && fs::read_symlink(link_, error) == fs::path(slaveName_)) {
        fs::remove(link_, error);
    }
    ::close(master_);
    ::close(slave_);
}

fs::path defaultPortsFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return (error ? fs::current_path() : self.parent_path()) / "ports";
}

}  // namespace nmeasim
