# Version information (product, company, version) and Corvane's icon in the resources of
# the Windows programs.

# Who makes Corvane, as packaging/debian/copyright names them; the installer's "Apps"
# entry uses the same words.
set(CORVANE_COMPANY "The Corvane developers")
set(CORVANE_COPYRIGHT "Copyright 2026 The Corvane developers")
set(CORVANE_ICON ${PROJECT_SOURCE_DIR}/src/app/win32/corvane.ico)

# Four numbers, as VERSIONINFO wants them: 0.1.0 is 0,1,0,0.
set(corvane_version_numbers ${PROJECT_VERSION_MAJOR})
foreach(part MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    string(APPEND corvane_version_numbers ",0")
  else()
    string(APPEND corvane_version_numbers ",${PROJECT_VERSION_${part}}")
  endif()
endforeach()

# Adds the version information to `target`; with WITH_ICON also Corvane's icon, which
# Explorer shows for the file (the tray program has its icon in its own .rc already).
function(corvane_windows_resources target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "WITH_ICON" "" "")
  set(file_name ${target}.exe)
  set(version_numbers ${corvane_version_numbers})
  set(icon_resource "")
  if(arg_WITH_ICON)
    set(icon_resource "APPICON ICON \"${CORVANE_ICON}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_info.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
