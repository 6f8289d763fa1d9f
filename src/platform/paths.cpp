#include "platform/text_files.h"

namespace quorvane {

std::string joinPath(const std::string& folder, const std::string& name) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    if (folder.empty() || folder.back() == kSeparator) {
        return folder + name;
    }
    return folder + kSeparator + name;
}

}  // namespace quorvane
