# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQUORVANE_BUILD_GUI=OFF
# or, with Qt's base cross-built by scripts/build-qt-windows.sh, the whole program:
#   cmake ... -DCMAKE_PREFIX_PATH=$(scripts/build-qt-windows.sh)
# Test programs run under Wine when wine64 is installed (ctest uses it as the emulator).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
# The POSIX thread model gives the standard library std::thread and its timed waits; Debian
# ships it beside the win32 model as the -posix compilers.
find_program(CMAKE_C_COMPILER NAMES ${QUORVANE_MINGW_TRIPLE}-gcc-posix ${QUORVANE_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUORVANE_MINGW_TRIPLE}-g++-posix ${QUORVANE_MINGW_TRIPLE}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUORVANE_MINGW_TRIPLE}-windres)

# A Qt built for Windows is found where CMAKE_PREFIX_PATH names it, not under the compiler's root.
set(CMAKE_FIND_ROOT_PATH /usr/${QUORVANE_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs that use no Qt link the compiler's run-time statically (tests/CMakeLists.txt),
# so Wine finds no DLLs missing. The program itself shares the run-time DLLs with Qt's: one
# C++ run-time per process.

find_program(QUORVANE_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVANE_WINE})
endif()
