# Third-party libraries, all from Debian's archive (scripts/setup-deps).
#
# Linux: the Debian -dev packages.
# Windows (MinGW-w64 cross build): zlib from libz-mingw-w64-dev; OpenSSL and
# the single-header cpp-httplib built from Debian's source packages into the
# cache ${TAVO_DEPS_CACHE} (default ~/.cache/tavo-deps); nlohmann JSON is
# header-only and taken from the Linux package; GoogleTest is built from
# Debian's /usr/src/googletest.
#
# Targets defined here: tavo::json (nlohmann), tavo::httplib, tavo::gtest,
# tavo::gtest_main, tavo::gmock; on Linux also tavo::gtk (GTK 3 and fontconfig).

if(DEFINED ENV{TAVO_DEPS_CACHE})
  set(_tavo_cache_default "$ENV{TAVO_DEPS_CACHE}")
else()
  set(_tavo_cache_default "$ENV{HOME}/.cache/tavo-deps")
endif()
set(TAVO_DEPS_CACHE "${_tavo_cache_default}" CACHE PATH "Cache of dependencies built by scripts/setup-deps")

find_package(Threads REQUIRED)

if(TAVO_WINDOWS)
  # The folder's name follows scripts/setup-deps (it changes with the options
  # OpenSSL is built with).
  set(_tavo_openssl "${TAVO_DEPS_CACHE}/openssl-mingw-3")
  if(NOT EXISTS "${_tavo_openssl}/.done" OR
     NOT EXISTS "${TAVO_DEPS_CACHE}/cpp-httplib/include/httplib.h")
    message(FATAL_ERROR "Windows dependencies missing in ${TAVO_DEPS_CACHE}: run scripts/setup-deps")
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH "${_tavo_openssl}")
  set(OPENSSL_ROOT_DIR "${_tavo_openssl}")
  # Build folders that found another OpenSSL build (an older cache folder)
  # forget it and find this one.
  foreach(_tavo_ssl_var OPENSSL_INCLUDE_DIR LIB_EAY SSL_EAY)
    if(DEFINED CACHE{${_tavo_ssl_var}} AND NOT "${${_tavo_ssl_var}}" MATCHES "^${_tavo_openssl}/")
      unset(${_tavo_ssl_var} CACHE)
    endif()
  endforeach()
  set(OPENSSL_USE_STATIC_LIBS TRUE)
  find_package(OpenSSL 3 REQUIRED)
  # The static archive, not libz.dll.a: the program must not need zlib1.dll
  # (Wine has one of its own, so only a real Windows would notice). Build
  # folders that cached the import library forget it and find the archive.
  set(ZLIB_USE_STATIC_LIBS ON)
  foreach(_tavo_zlib_var ZLIB_LIBRARY ZLIB_LIBRARY_RELEASE)
    if("${${_tavo_zlib_var}}" MATCHES "\\.dll\\.a$")
      unset(${_tavo_zlib_var} CACHE)
    endif()
  endforeach()
  find_package(ZLIB REQUIRED)

  # nlohmann JSON is header-only; expose only its own folder, never the host's
  # /usr/include, to the cross compiler.
  set(_tavo_json_dir "${CMAKE_BINARY_DIR}/deps-include")
  if(NOT EXISTS "${_tavo_json_dir}/nlohmann")
    file(MAKE_DIRECTORY "${_tavo_json_dir}")
    file(CREATE_LINK /usr/include/nlohmann "${_tavo_json_dir}/nlohmann" SYMBOLIC)
  endif()
  add_library(tavo_json_lib INTERFACE)
  target_include_directories(tavo_json_lib SYSTEM INTERFACE "${_tavo_json_dir}")

  add_library(tavo_httplib_lib INTERFACE)
  target_include_directories(tavo_httplib_lib SYSTEM INTERFACE "${TAVO_DEPS_CACHE}/cpp-httplib/include")
  target_compile_definitions(tavo_httplib_lib INTERFACE CPPHTTPLIB_OPENSSL_SUPPORT CPPHTTPLIB_ZLIB_SUPPORT)
  target_link_libraries(tavo_httplib_lib INTERFACE OpenSSL::SSL OpenSSL::Crypto ZLIB::ZLIB
    ws2_32 crypt32 gdi32 advapi32 user32)

  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  add_library(tavo_gtest INTERFACE)
  target_link_libraries(tavo_gtest INTERFACE gtest)
  add_library(tavo_gtest_main INTERFACE)
  target_link_libraries(tavo_gtest_main INTERFACE gtest_main)
  add_library(tavo_gmock INTERFACE)
  target_link_libraries(tavo_gmock INTERFACE gmock)
else()
  find_package(PkgConfig REQUIRED)
  find_package(OpenSSL 3 REQUIRED)
  find_package(ZLIB REQUIRED)
  find_package(nlohmann_json 3.11 REQUIRED CONFIG)
  add_library(tavo_json_lib INTERFACE)
  target_link_libraries(tavo_json_lib INTERFACE nlohmann_json::nlohmann_json)

  # Always use the package's pkg-config flags: they define the feature macros
  # the shared library was built with, without which its class layouts differ.
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

  # The GTK 3 window, and fontconfig for the question which faces are installed.
  pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  add_library(tavo_gtk_lib INTERFACE)
  target_link_libraries(tavo_gtk_lib INTERFACE PkgConfig::GTK3 PkgConfig::FONTCONFIG)
  add_library(tavo::gtk ALIAS tavo_gtk_lib)
  add_library(tavo_httplib_lib INTERFACE)
  target_link_libraries(tavo_httplib_lib INTERFACE PkgConfig::HTTPLIB OpenSSL::SSL OpenSSL::Crypto)

  find_package(GTest REQUIRED)
  add_library(tavo_gtest INTERFACE)
  target_link_libraries(tavo_gtest INTERFACE GTest::gtest)
  add_library(tavo_gtest_main INTERFACE)
  target_link_libraries(tavo_gtest_main INTERFACE GTest::gtest_main)
  add_library(tavo_gmock INTERFACE)
  target_link_libraries(tavo_gmock INTERFACE GTest::gmock)
endif()

add_library(tavo::json ALIAS tavo_json_lib)
add_library(tavo::httplib ALIAS tavo_httplib_lib)
add_library(tavo::gtest ALIAS tavo_gtest)
add_library(tavo::gtest_main ALIAS tavo_gtest_main)
add_library(tavo::gmock ALIAS tavo_gmock)
