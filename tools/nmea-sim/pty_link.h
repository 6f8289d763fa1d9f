#pragma once

#include <filesystem>
#include <string>

namespace nmeasim {

// A pseudo-terminal in raw mode whose slave side is linked as ComN in a ports folder. The link
// goes when this object does, unless someone has since put another in its place.
class PtyLink {
public:
    // Throws std::runtime_error with a message for the user.
    PtyLink(const std::filesystem::path& folder, int number);
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // The side the sentences are written to; non-blocking.
    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }
    const std::filesystem::path& link() const { return link_; }

private:
    int master_ = -1;
    // Held open so that a reader closing its end never hangs the terminal up.
    int slave_ = -1;
    std::string slaveName_;
    std::filesystem::path link_;
};

// The `ports` folder beside this executable.
std::filesystem::path defaultPortsFolder();

}  // namespace nmeasim
