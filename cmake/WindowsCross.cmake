# SPDX-License-Identifier: GPL-3.0-or-later
# What a cross build for Windows with MinGW-w64 needs beyond the toolchain file: static programs,
# and the header-only and test libraries that Debian ships only for the build machine.

# Static C++, GCC and winpthreads runtimes: the programs then need only DLLs that Windows itself has.
add_link_options(-static)

# GCC 12's MinGW headers trip -Werror=restrict in inlined std::string code at -O3, not at -O2.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

set(ZLIB_USE_STATIC_LIBS ON)

# Tests and tools run under Wine through wine-run, which starts a program once more when Wine ended
# it with a failure before any of it ran. (Set here, not in the toolchain file, which keys the
# cached Qt build.)
if(QUARROW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${QUARROW_WINE})
endif()

# A Windows program sits at the top of its folder, beside its README, not in a bin/ below it.
set(CMAKE_INSTALL_BINDIR .)

# CLI11 and nlohmann-json are header-only, but their headers live in /usr/include: pointing the cross
# compiler there would mix glibc's headers into the build, so a copy of their folders alone is staged
# in the build folder.
set(staged_include ${CMAKE_BINARY_DIR}/staged-include)
foreach(header_library "CLI11::CLI11|CLI|CLI.hpp|libcli11-dev"
                       "nlohmann_json::nlohmann_json|nlohmann|json.hpp|nlohmann-json3-dev")
  string(REPLACE "|" ";" header_library "${header_library}")
  list(GET header_library 0 target)
  list(GET header_library 1 folder)
  list(GET header_library 2 header)
  list(GET header_library 3 package)
  if(NOT EXISTS /usr/include/${folder}/${header})
    message(FATAL_ERROR "${target} headers not found in /usr/include/${folder} (apt-get install ${package})")
  endif()
  file(COPY /usr/include/${folder} DESTINATION ${staged_include})
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${staged_include})
endforeach()

# The test programs list their tests when ctest starts, not when they are built: listing runs them
# under Wine, whose first start in a fresh prefix takes longer than a build step should wait, and
# whose wineserver would outlive the build step holding its output pipe.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# GoogleTest built from Debian's sources with this toolchain; the tests use no gmock.
if(QUARROW_BUILD_TESTS)
  set(googletest_source /usr/src/googletest)
  if(NOT EXISTS ${googletest_source}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${googletest_source} (apt-get install googletest)")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
