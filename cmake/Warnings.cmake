# Warnings are errors for the project's own code. Third-party headers come in
# as SYSTEM includes and are not held to this.
add_library(tavo_warnings INTERFACE)
target_compile_options(tavo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wunused -Wformat=2 -Wimplicit-fallthrough
  -Werror $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(TAVO_WINDOWS)
  # MinGW: wide entry points (wmain / wWinMain) and Unicode Win32 calls.
  target_compile_definitions(tavo_warnings INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
    NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
