# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The posix flavour is the one whose libstdc++ has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUARROW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUARROW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUARROW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUARROW_MINGW_PREFIX}-windres)

# Look for libraries and headers in the MinGW sysroot only; programs come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUARROW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools run under Wine on the build machine. Debian keeps the 64-bit loader in
# /usr/lib/wine; its `wine` wrapper would print a hint about the missing 32-bit Wine to standard
# error on every run, which the programs' own messages would then be mixed with.
find_program(QUARROW_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(QUARROW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARROW_WINE})
endif()
