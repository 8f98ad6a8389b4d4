# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages, made by
#   cmake --build --preset windows --target package
# - quarrow-VERSION-windows-x86_64.zip: quarrow-cli.exe, the window program quarrow.exe when its Qt
#   was found (cmake/WindowsQt.cmake), README-Windows.txt, the README and the licence;
# - quarrow-VERSION-windows-x86_64-setup.exe, when makensis is found (Debian's nsis): an installer
#   of the same files into Program Files, with a Start menu entry for the window, an uninstaller
#   that Windows lists among its apps and a choice to put the folder on PATH; /S installs and
#   uninstalls without questions (packaging/windows/NSIS.template.in).
# The test stand-in for ftd2xx.dll is never installed, so it never reaches either; the real one
# comes with FTDI's D2XX driver.
find_program(QUARROW_MAKENSIS makensis)
set(CPACK_GENERATOR ZIP)
if(QUARROW_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
endif()
set(CPACK_PACKAGE_NAME quarrow)
set(CPACK_PACKAGE_VENDOR "Quarrow")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads RP5H01 serial PROMs through an FTDI programmer")
set(CPACK_SYSTEM_NAME windows-x86_64)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# All files at the top of the zip: the programs beside their README and LICENSE.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Without their symbol tables: the static Qt in quarrow.exe halves from 36 MB.
set(CPACK_STRIP_FILES ON)

# The read-me for Windows users, with Windows line ends for every Notepad.
configure_file(${PROJECT_SOURCE_DIR}/res/windows/README-Windows.txt.in
               ${PROJECT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE WIN32)
install(FILES ${PROJECT_BINARY_DIR}/README-Windows.txt ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

# The installer, from packaging/windows/NSIS.template.in in place of CPack's own: a 64-bit installer
# (amd64-unicode stubs) needs no 32-bit Windows subsystem, installs into the 64-bit Program Files and
# writes the 64-bit registry view, where Windows' list of apps looks first.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quarrow")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Quarrow")
set(CPACK_NSIS_PACKAGE_NAME "Quarrow ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Quarrow ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/artwork/quarrow.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/artwork/quarrow.ico)
set(CPACK_NSIS_URL_INFO_ABOUT "${QUARROW_WEB_URL}")
set(CPACK_NSIS_CONTACT "${QUARROW_SUPPORT_EMAIL}")
set(CPACK_NSIS_QUARROW_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
# The oldest Windows each program starts on (cmake/WindowsResources.cmake); the installer refuses
# a Windows older than what it installs.
if(TARGET quarrow)
  # The Start menu entry opens the window; Apps & features shows its icon.
  set(CPACK_NSIS_QUARROW_WINDOW "quarrow.exe")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "quarrow.exe")
  set(CPACK_NSIS_QUARROW_MINIMUM_BUILD ${QUARROW_WINDOW_OLDEST_BUILD})
  set(CPACK_NSIS_QUARROW_TOO_OLD
      "Quarrow ${PROJECT_VERSION} needs 64-bit ${QUARROW_WINDOW_OLDEST_WINDOWS} or later. Its command line tool alone, quarrow-cli.exe, runs on ${QUARROW_CLI_OLDEST_WINDOWS} and later: take it from ${CPACK_PACKAGE_FILE_NAME}.zip.")
else()
  set(CPACK_NSIS_QUARROW_WINDOW "")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "quarrow-cli.exe")
  set(CPACK_NSIS_QUARROW_MINIMUM_BUILD ${QUARROW_CLI_OLDEST_BUILD})
  set(CPACK_NSIS_QUARROW_TOO_OLD "Quarrow ${PROJECT_VERSION} needs 64-bit ${QUARROW_CLI_OLDEST_WINDOWS} or later.")
endif()
# The installer is named apart from the zip: quarrow-VERSION-windows-x86_64-setup.exe.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageWindowsGenerator.cmake)
