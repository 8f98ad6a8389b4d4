# SPDX-License-Identifier: GPL-3.0-or-later
# Icon, manifest and version information of a Windows program, from the artwork and the version the
# Linux build uses:
#   quarrow_add_windows_resources(TARGET "What the program is" WINDOW|CLI)
# WINDOW or CLI: whose oldest Windows (below) the manifest declares.
if(NOT WIN32)
  return()
endif()
enable_language(RC)

# The oldest Windows each program starts on, as their import tables have it. The window's Qt imports
# SetProcessDpiAwarenessContext from user32, which came with Windows 10 version 1703. The command
# line imports nothing newer than Vista's, but asks LoadLibraryExW to search the system folders
# only (LOAD_LIBRARY_SEARCH_DEFAULT_DIRS), which Windows 7 has from its Service Pack 1 updates on.
# README-Windows.txt, the manifests and the installer say the same.
set(QUARROW_WINDOW_OLDEST_WINDOWS "Windows 10 version 1703")
set(QUARROW_WINDOW_OLDEST_BUILD 15063)
set(QUARROW_CLI_OLDEST_WINDOWS "Windows 7 SP1")
set(QUARROW_CLI_OLDEST_BUILD 7601)

# A manifest's supportedOS lines, from Windows 7 or from Windows 10 on: a program declares only the
# systems it runs on.
function(quarrow_supported_os_lines kind out)
  set(ids "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}:Windows 7"
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}:Windows 8"
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}:Windows 8.1")
  if(kind STREQUAL "WINDOW")
    set(ids "")
  endif()
  list(APPEND ids "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}:Windows 10 and 11")
  set(lines "")
  foreach(entry IN LISTS ids)
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 id)
    list(GET entry 1 name)
    string(APPEND lines "      <supportedOS Id=\"${id}\"/> <!-- ${name} -->\n")
  endforeach()
  string(STRIP "${lines}" lines)
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(quarrow_add_windows_resources target description kind)
  quarrow_supported_os_lines(${kind} QUARROW_SUPPORTED_OS)
  if(kind STREQUAL "WINDOW")
    set(QUARROW_OLDEST_WINDOWS "${QUARROW_WINDOW_OLDEST_WINDOWS}")
  else()
    set(QUARROW_OLDEST_WINDOWS "${QUARROW_CLI_OLDEST_WINDOWS}")
  endif()
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
