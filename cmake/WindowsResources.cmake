# SPDX-License-Identifier: GPL-3.0-or-later
# Icon, manifest and version information of a Windows program, from the artwork and the version the
# Linux build uses:
#   quarrow_add_windows_resources(TARGET "What the program is")
if(NOT WIN32)
  return()
endif()
enable_language(RC)

function(quarrow_add_windows_resources target description)
  set(QUARROW_PROGRAM ${target})
  set(QUARROW_DESCRIPTION "${description}")
  set(QUARROW_FILE_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(QUARROW_FILE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/windows-resources)
  set(QUARROW_MANIFEST ${folder}/${target}.manifest)
  set(QUARROW_ICON ${PROJECT_SOURCE_DIR}/res/artwork/quarrow.ico)
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/quarrow.manifest.in ${QUARROW_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/program.rc.in ${folder}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${folder}/${target}.rc)
  # windres does not see that the .rc names these files.
  set_source_files_properties(${folder}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${QUARROW_MANIFEST};${QUARROW_ICON}")
endfunction()
