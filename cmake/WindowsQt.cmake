# SPDX-License-Identifier: GPL-3.0-or-later
# The window program in a Windows cross build: found only in a Qt 6 built for MinGW-w64, which
# Debian does not package; scripts/build-qt-windows makes one. Without it the window is left out and
# the rest of the build goes on.
set(QUARROW_QT_WINDOWS_DIR "" CACHE PATH
    "Qt 6 for MinGW-w64 that the window program is built with (scripts/build-qt-windows makes one)")

if(NOT QUARROW_BUILD_APP)
  return()
endif()
if(NOT EXISTS "${QUARROW_QT_WINDOWS_DIR}/lib/cmake/Qt6/Qt6Config.cmake")
  message(STATUS "No Qt for Windows in '${QUARROW_QT_WINDOWS_DIR}': the window program is not built "
                 "(run scripts/build-qt-windows, or set QUARROW_QT_WINDOWS_DIR to a Qt 6 for MinGW-w64)")
  set(QUARROW_BUILD_APP OFF)
  return()
endif()

# The toolchain file looks for packages under the MinGW sysroot only; Qt's folder becomes a second
# root. Qt's host tools (moc, rcc, uic) are the build machine's, of the same version.
get_filename_component(quarrow_qt_windows_dir "${QUARROW_QT_WINDOWS_DIR}" REALPATH)
# The link made by scripts/build-qt-windows moves to a new folder when the script or its patches
# change: the package folders found in the old one are then forgotten.
if(NOT quarrow_qt_windows_dir STREQUAL QUARROW_QT_WINDOWS_FOUND_IN)
  get_cmake_property(cached CACHE_VARIABLES)
  foreach(variable IN LISTS cached)
    if(variable MATCHES "^Qt6.*_DIR$")
      unset(${variable} CACHE)
    endif()
  endforeach()
  set(QUARROW_QT_WINDOWS_FOUND_IN "${quarrow_qt_windows_dir}" CACHE INTERNAL "")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH "${quarrow_qt_windows_dir}")
list(APPEND CMAKE_PREFIX_PATH "${quarrow_qt_windows_dir}")
if(NOT DEFINED QT_HOST_PATH)
  set(QT_HOST_PATH /usr CACHE PATH "Qt of the build machine, for moc, rcc and uic")
endif()

# Found here, at the top, so that the targets of the static plugins, which qt_import_plugins names,
# are seen in every folder: found first in a subfolder, they would be that folder's alone, and a
# later folder would link no plugin beyond the default one.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
if(QUARROW_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
endif()
