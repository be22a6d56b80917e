# Windows programs with MinGW-w64.
#
# Pavlune ships as a 32-bit program (i686) built with the win32 thread model:
# the posix one links a threading runtime that imports functions Windows 95,
# 98, Me and NT4 lack.
#
# The Windows tests build the same sources for x86_64 with the posix thread
# model, which GoogleTest needs for std::mutex, and run them under 64-bit
# Wine: it runs on every x86_64 Linux machine, also on kernels that cannot
# execute 32-bit programs at all.
set(CMAKE_SYSTEM_NAME Windows)

set(PAVLUNE_MINGW_ARCH i686 CACHE STRING "MinGW-w64 target: i686 or x86_64")
set(PAVLUNE_MINGW_THREADS win32 CACHE STRING "MinGW-w64 thread model: win32 or posix")
set(CMAKE_SYSTEM_PROCESSOR ${PAVLUNE_MINGW_ARCH})
set(triplet ${PAVLUNE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-${PAVLUNE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${triplet}-g++-${PAVLUNE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything links statically: the programs import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows programs built here, tests included, run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/win/wine-run")
