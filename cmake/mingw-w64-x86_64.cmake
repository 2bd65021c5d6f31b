# Cross-building the Windows programs on Debian with mingw-w64 (packages
# g++-mingw-w64-x86-64-posix and libz-mingw-w64-dev). The posix thread model gives the
# standard library its threads and atomic waits; everything the programs need from the
# compiler's runtime is linked in, so the .exe files run on a Windows machine with nothing
# installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZENTRIX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENTRIX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTRIX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTRIX_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENTRIX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++, winpthread and zlib go into the .exe.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
