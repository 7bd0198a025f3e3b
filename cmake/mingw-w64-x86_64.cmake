# 64-bit Windows (x86-64): the same program and tests built for 64-bit Wine,
# which runs on machines whose kernel cannot run 32-bit x86 programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(OMBREL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
