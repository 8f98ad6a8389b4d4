# SPDX-License-Identifier: GPL-3.0-or-later
# Packages made by `cmake --build --preset ... --target package`: a .deb on Linux, a zip on Windows.
# Each generator's settings live in a file of their own beside this one.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackageWindows.cmake OPTIONAL)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/PackageDeb.cmake OPTIONAL)
endif()
include(CPack)
