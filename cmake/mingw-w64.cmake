# Cross build of zentharis.scr for 64-bit Windows with mingw-w64.
# Configure with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZEN_NATIVE_BUILD_DIR=<native build>.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEN_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model: the win32 one has no std::thread in GCC 12.
set(CMAKE_C_COMPILER ${ZEN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEN_MINGW_TRIPLET}-windres)
set(CMAKE_ASM_COMPILER ${ZEN_MINGW_TRIPLET}-gcc-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, so the program needs nothing beyond Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine through a wrapper that keeps one private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
