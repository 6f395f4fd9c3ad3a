# Version information for the project's executables, read back at run time by
# Utils::GetFileVersion / Utils::GetProductVersion.
#
# Windows: a VERSIONINFO resource (language 0x0804, code page 1200), plus the
# application manifest when MANIFEST is given.
# Linux: an ELF section ".tavo_version" holding the same string values.
#
# tavo_add_version_info(<target>
#     [FILE_VERSION <a.b.c.d>] [PRODUCT_VERSION <a.b.c.d>]
#     [DESCRIPTION <text>] [MANIFEST <file>] [ICON <file>])
# Versions default to the project version.
set(_tavo_version_dir "${CMAKE_CURRENT_LIST_DIR}")

function(tavo_add_version_info target)
  cmake_parse_arguments(V "" "FILE_VERSION;PRODUCT_VERSION;DESCRIPTION;MANIFEST;ICON" "" ${ARGN})
  if(NOT V_FILE_VERSION)
    set(V_FILE_VERSION "${PROJECT_VERSION}")
  endif()
  if(NOT V_PRODUCT_VERSION)
    set(V_PRODUCT_VERSION "${PROJECT_VERSION}")
  endif()
  if(NOT V_DESCRIPTION)
    set(V_DESCRIPTION "${target}")
  endif()
  set(TAVO_VI_NAME "${target}")
  set(TAVO_VI_FILE_VERSION "${V_FILE_VERSION}")
  set(TAVO_VI_PRODUCT_VERSION "${V_PRODUCT_VERSION}")
  set(TAVO_VI_DESCRIPTION "${V_DESCRIPTION}")
  if(TAVO_WINDOWS)
    foreach(kind FILE PRODUCT)
      string(REGEX MATCHALL "[0-9]+" _parts "${V_${kind}_VERSION}")
      list(LENGTH _parts _n)
      while(_n LESS 4)
        list(APPEND _parts 0)
        math(EXPR _n "${_n} + 1")
      endwhile()
      list(SUBLIST _parts 0 4 _parts)
      string(REPLACE ";" "," TAVO_VI_${kind}_VERSION_COMMAS "${_parts}")
    endforeach()
    set(TAVO_VI_EXTRA "")
    if(V_MANIFEST)
      get_filename_component(_m "${V_MANIFEST}" ABSOLUTE)
      string(APPEND TAVO_VI_EXTRA "1 24 \"${_m}\"\n")
    endif()
    if(V_ICON)
      get_filename_component(_i "${V_ICON}" ABSOLUTE)
      string(APPEND TAVO_VI_EXTRA "128 ICON \"${_i}\"\n")
    endif()
    set(_out "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    configure_file("${_tavo_version_dir}/versioninfo.rc.in" "${_out}" @ONLY)
  else()
    set(_out "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.c")
    configure_file("${_tavo_version_dir}/versioninfo.c.in" "${_out}" @ONLY)
  endif()
  target_sources(${target} PRIVATE "${_out}")
endfunction()
