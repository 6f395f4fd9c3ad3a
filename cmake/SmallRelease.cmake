# The Windows program is downloaded by every user before anything else
# happens, so its release build is optimised for size: -Os, one section per
# function and object so that the linker drops what nothing calls, and the
# shipped executables stripped (tavo_strip_release). The Linux build keeps
# CMake's usual release flags.
if(TAVO_WINDOWS)
  foreach(_tavo_lang C CXX)
    set(CMAKE_${_tavo_lang}_FLAGS_RELEASE "-Os -DNDEBUG -ffunction-sections -fdata-sections")
  endforeach()
  add_link_options($<$<CONFIG:Release>:LINKER:--gc-sections>)
endif()

# tavo_strip_release(<target>): the release build of <target> carries no
# symbols.
function(tavo_strip_release target)
  if(TAVO_WINDOWS)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
  endif()
endfunction()
