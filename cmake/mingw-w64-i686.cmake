# 32-bit Windows (i686): the build that is released, and the one whose tests
# run under 32-bit Wine where the machine can run 32-bit x86 programs.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(OMBREL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
