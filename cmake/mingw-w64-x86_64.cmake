# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix), whose
# programs and tests run here under Wine (Debian: wine64):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# It builds batch mode alone: the Qt-free core, the program mirrak-generator.exe and their tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIRRAK_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix flavour of the compiler: its C++ runtime has std::thread and std::mutex.
set(CMAKE_C_COMPILER ${MIRRAK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRRAK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRRAK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRRAK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine, headless, in a Wine prefix of the build's own (see
# wine-run.sh): tests, test discovery and CTest alike.
find_program(MIRRAK_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH)
if(MIRRAK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${MIRRAK_WINE} ${CMAKE_BINARY_DIR}/wine)
endif()
