# Toolchain of the Windows build: Debian's MinGW-w64 for 64-bit Windows, with POSIX threads (for
# std::thread and std::mutex), and Wine to run the programs it makes, so that ctest runs the
# Windows test programs as it runs the Linux ones.
# The windows preset uses it: cmake --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KOLVEX_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOLVEX_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOLVEX_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KOLVEX_MINGW_HOST}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KOLVEX_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Windows programs run under Wine (scripts/wine-run.sh) in a prefix of this build folder's own,
# where the host's root folder is drive Z: (the paths the tests are given).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env
    KOLVEX_WINEPREFIX=${CMAKE_BINARY_DIR}/wine ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
set(KOLVEX_HOST_ROOT "Z:")
