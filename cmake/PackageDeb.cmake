# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, quarrow_<version>_<arch>.deb: `cmake --build --preset default --target package`
# (scripts/package does it from a fresh clone). Install prefix /usr; the dependencies are computed
# from the binaries by dpkg-shlibdeps.
set(deb_dir ${PROJECT_SOURCE_DIR}/packaging/debian)

# The web address and the support address are the About box's settings (app/); a build without the
# window program still needs them for the package's fields.
if(NOT DEFINED QUARROW_WEB_URL)
  set(QUARROW_WEB_URL "https://example.org/" CACHE STRING "Web site opened from the About box")
endif()
if(NOT DEFINED QUARROW_SUPPORT_EMAIL)
  set(QUARROW_SUPPORT_EMAIL "support@example.org" CACHE STRING "Support e-mail address shown in the About box")
endif()
set(QUARROW_PACKAGE_MAINTAINER "Quarrow developers <${QUARROW_SUPPORT_EMAIL}>" CACHE STRING
    "The Debian package's Maintainer field: a name and an e-mail address")

find_program(QUARROW_DPKG dpkg)
if(QUARROW_DPKG)
  execute_process(COMMAND ${QUARROW_DPKG} --print-architecture
                  OUTPUT_VARIABLE deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(deb_arch amd64)
endif()
set(QUARROW_DEB_FILE quarrow_${PROJECT_VERSION}_${deb_arch}.deb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME ${QUARROW_DEB_FILE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUARROW_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUARROW_WEB_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary on the Description's first line and the text below it under it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for Ricoh RP5H01 serial PROMs via FT232R programmers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quarrow reads the 128 bits of a Ricoh RP5H01 serial PROM, the security chip
of PlayChoice-10 and Nintendo Super System game boards, through a USB
programmer built on an FTDI FT232R in bit-bang mode. It shows the bits, saves
them as 16-byte image files in MAME's layout or the raw one, compares the chip
with a file and names the known dump it matches.

The package holds the window program quarrow, the command line tool
quarrow-cli for scripts and machines without a display, and a udev rule that
lets the person at the seat use the programmer without root. Both programs
can drive a simulated programmer, so they can be tried without hardware.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${deb_dir}/postinst ${deb_dir}/postrm)

# A build folder configured before the rule's folder became relative to the prefix still holds an
# absolute /usr/local default, which would put the rule where udev never looks.
if(IS_ABSOLUTE "${QUARROW_UDEV_RULES_DIR}")
  set(deb_udev_dir "${QUARROW_UDEV_RULES_DIR}")
else()
  set(deb_udev_dir "${CPACK_PACKAGING_INSTALL_PREFIX}/${QUARROW_UDEV_RULES_DIR}")
endif()
if(NOT deb_udev_dir MATCHES "^/usr/lib/udev/rules\\.d/?$")
  message(WARNING "The package would install the udev rule into ${deb_udev_dir}, where udev does not "
                  "read it; configure again with -UQUARROW_UDEV_RULES_DIR to use /usr/lib/udev/rules.d")
endif()

# The package's copyright file, machine-readable, with the addresses of this build.
configure_file(${deb_dir}/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarrow)

# Debian wants the changelog of a native package, compressed with gzip -9n. Its newest entry must be
# this version: a release without one would ship a changelog that contradicts the package.
file(STRINGS ${deb_dir}/changelog deb_changelog_top LIMIT_COUNT 1)
if(NOT deb_changelog_top MATCHES "^quarrow \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "${deb_dir}/changelog starts with '${deb_changelog_top}'; "
                      "add an entry for version ${PROJECT_VERSION} at its top")
endif()
find_program(QUARROW_GZIP gzip)
if(QUARROW_GZIP)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${QUARROW_GZIP} -9nc ${deb_dir}/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${deb_dir}/changelog
    COMMENT "Compressing the package's changelog")
  add_custom_target(deb_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarrow)
endif()
