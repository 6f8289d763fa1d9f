// The Windows tests' entry point. Started as `--print-program-folder OUT`, the program writes
// the folder that Win32TextFiles finds for it into the file OUT and ends, so a test can run a
// copy of it from a folder of its choosing.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/win32/text_files.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--print-program-folder") {
        quorvane::Win32TextFiles files;
        try {
            files.replaceWhole(argv[2], files.programFolder());
            return 0;
        } catch (const quorvane::FileError&) {
            return 1;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
