# Cross-compiles for Windows with Debian's mingw-w64 compilers, posix
# threading model, everything linked statically so that the programs need
# only the system's own DLLs. Included by the toolchain file of each
# processor, which sets CMAKE_SYSTEM_PROCESSOR and OMBREL_MINGW_PREFIX.
# Test programs run through Wine of the program's own width.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${OMBREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OMBREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${OMBREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OMBREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 arithmetic instead of the x87 unit: x87 keeps intermediates in 80-bit
# registers, which would change the simulation's single- and double-precision
# results and make them depend on register allocation.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs Windows executables through Wine, in a prefix of the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
