# Cross-build for x86-64 Windows with mingw-w64 (the POSIX-threads flavour,
# for std::thread). The programs are linked statically: they run on a bare
# Windows with no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(COMPACTOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${COMPACTOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${COMPACTOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${COMPACTOR_MINGW_TRIPLE}-windres)

# Only the cross sysroot is searched for libraries and headers; the host's
# /usr/include never is (the three header-only libraries are given by
# folder, see cmake/header_only_libraries.cmake).
set(CMAKE_FIND_ROOT_PATH /usr/${COMPACTOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The plan's doubles bit for bit as on Linux: SSE2 arithmetic, never the
# x87 unit, no fused multiply-add.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine.
find_program(COMPACTOR_WINE NAMES wine64 wine)
if(COMPACTOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${COMPACTOR_WINE})
endif()
