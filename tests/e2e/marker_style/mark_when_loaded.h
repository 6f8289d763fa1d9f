// Leaves a file named "loaded" beside the plug-in that holds this, as soon as a program loads
// it, before any of its code is asked for anything: a check can then tell whether a program
// loaded a plug-in that its user named.
#pragma once

#include <dlfcn.h>

#include <fstream>
#include <string>

namespace {

struct MarkWhenLoaded {
    MarkWhenLoaded() {
        Dl_info self{};
        if (dladdr(this, &self) == 0 || self.dli_fname == nullptr) {
            return;
        }
        const std::string path = self.dli_fname;
        std::ofstream(path.substr(0, path.rfind('/') + 1) + "loaded") << "loaded\n";
    }
};

const MarkWhenLoaded mark;

}  // namespace
