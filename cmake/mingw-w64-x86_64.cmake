# Cross-builds Corvane for 64-bit Windows with Debian's MinGW-w64 (posix threads) compilers:
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
# ctest then runs every test program through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(corvane_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${corvane_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${corvane_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${corvane_mingw}-windres)

# Headers and libraries come from the MinGW tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${corvane_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads are linked in: a Windows machine has none of
# MinGW's DLLs, and a program that misses one ends at once with status 53.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Debian's wine runs 64-bit programs through wine64.
find_program(CORVANE_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CORVANE_WINE})
