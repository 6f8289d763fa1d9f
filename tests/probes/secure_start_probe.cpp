// Starts as the program does and reports what the rest of it would see: whether the kernel
// flagged the start as one with more rights than the user's, the command line left for Qt, and
// the environment. One "secure", "arg" or "env" line each.
#include <cstdio>

#include <sys/auxv.h>

#include "platform/posix/secure_start.h"

extern char** environ;

int main(int argc, char** argv) {
    const quorvane::SecureStart start = quorvane::secureStart(argc, argv);
    std::printf("secure %lu\n", getauxval(AT_SECURE));
    for (int i = 0; i < start.argc; ++i) {
        std::printf("arg %s\n", start.argv[static_cast<std::size_t>(i)]);
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::printf("env %s\n", *entry);
    }
    return 0;
}
