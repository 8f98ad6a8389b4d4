# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE): the installer's own file name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
