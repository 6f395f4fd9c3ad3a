# Platform selection. Platform code lives in <name>_win.cpp / <name>_posix.cpp
# side by side; tavo_platform_sources() adds the one that fits the target
# system, so logic files never need an #ifdef.
if(WIN32)
  set(TAVO_PLATFORM_SUFFIX win)
  set(TAVO_WINDOWS ON)
else()
  set(TAVO_PLATFORM_SUFFIX posix)
  set(TAVO_WINDOWS OFF)
endif()

# tavo_platform_sources(<target> <stem>...): adds <stem>_win.cpp or
# <stem>_posix.cpp (relative to the calling directory) to <target>.
function(tavo_platform_sources target)
  foreach(stem IN LISTS ARGN)
    target_sources(${target} PRIVATE ${stem}_${TAVO_PLATFORM_SUFFIX}.cpp)
  endforeach()
endfunction()
