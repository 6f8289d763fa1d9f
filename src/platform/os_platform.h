#pragma once

// This operating system's files and clock, under one name each.

#ifdef _WIN32
#include "platform/win32/text_files.h"
#include "platform/win32/win32_clock.h"
#else
#include "platform/posix/posix_clock.h"
#include "platform/posix/text_files.h"
#endif

namespace quorvane {

#ifdef _WIN32
using OsTextFiles = Win32TextFiles;
using OsClock = Win32Clock;
#else
using OsTextFiles = PosixTextFiles;
using OsClock = PosixClock;
#endif

}  // namespace quorvane
