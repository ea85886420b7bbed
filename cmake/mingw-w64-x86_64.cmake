# Cross build for 64-bit Windows with Debian's mingw-w64 compilers, the
# "posix" thread model (std::thread and std::mutex through winpthreads).
# Programs built with it run under Wine; see scripts/test-windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GK_MINGW_TRIPLE}-windres)

# Libraries and headers only from the cross sysroot (and the prefixes given
# on the command line, such as the cross-built GoogleTest); programs from
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${GK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs are run through Wine (gtest_discover_tests and ctest use it),
# by way of wine-run.sh, which keeps Wine's background services off the
# output that CMake and CTest read.
find_program(GK_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(GK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${GK_WINE64}")
endif()
