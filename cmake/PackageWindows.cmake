# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows package: a zip with quarrow-cli.exe, the window program quarrow.exe when its Qt was
# found (cmake/WindowsQt.cmake), the README and the licence, made by
#   cmake --build --preset windows --target package
# The test stand-in for ftd2xx.dll is never installed, so it never reaches the zip; the real one
# comes with FTDI's D2XX driver.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quarrow)
set(CPACK_PACKAGE_VENDOR "Quarrow")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads RP5H01 serial PROMs through an FT232R programmer")
set(CPACK_SYSTEM_NAME windows-x86_64)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# All files at the top of the zip: the programs beside their README and LICENSE.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Without their symbol tables: the static Qt in quarrow.exe halves from 36 MB.
set(CPACK_STRIP_FILES ON)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
